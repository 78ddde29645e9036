#pragma once

#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

#include "core/widget/KelvoWidgetAction.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/widgetkit/AssetCatalog.hpp"
#include "platform/widgetkit/Timeline.hpp"
#include "platform/widgetkit/View.hpp"
#include "platform/widgetkit/WidgetBundle.hpp"
#include "platform/widgetkit/WidgetConfiguration.hpp"

namespace kelvo {

/// Gives the actions widget its one entry. The widget shows the same tiles at all times, so
/// there is nothing to reload: each answer is one entry dated at the request.
struct KelvoActionsProvider {
  struct Entry {
    Date date;
  };

  Entry placeholder(const widgetkit::TimelineProviderContext& context) const;
  void getSnapshot(const widgetkit::TimelineProviderContext& context,
                   const std::function<void(Entry)>& completion) const;
  /// One entry dated now, and the reload policy never.
  void getTimeline(const widgetkit::TimelineProviderContext& context,
                   const std::function<void(widgetkit::Timeline<Entry>)>& completion) const;
};

/// The actions widget's view: the tiles side by side with their detail lines in the medium
/// family; in every other family the first tile across the top half and the others beside each
/// other below, titles only.
struct KelvoActionsView {
  /// Between tiles, in both directions and both families.
  static constexpr double tileSpacing = 6;

  widgetkit::WidgetFamily family = widgetkit::WidgetFamily::systemSmall;
  double displayScale = 1;

  /// The view as the environment it is drawn in asks for.
  static KelvoActionsView in(const widgetkit::EnvironmentValues& environment) {
    return {environment.widgetFamily, environment.displayScale};
  }

  /// The layout of `KelvoWidgetTile::all()`.
  widgetkit::View body() const;
  /// The layout of any list of tiles; an empty one leaves only the surface.
  widgetkit::View body(const std::vector<KelvoWidgetTile>& tiles) const;
};

/// The one widget of the extension.
struct KelvoActionsWidget {
  static constexpr std::string_view kind = "KelvoActions";
  /// Localisation keys; English values.
  static constexpr std::string_view displayName = "Kelvo actions";
  static constexpr std::string_view description =
      "Keep the clipboard, fill a form, or search your library.";

  /// A static configuration in the small and medium families; the view ignores the entry.
  widgetkit::WidgetConfiguration body() const;
};

/// The extension's bundle, which the program's entry starts.
struct KelvoWidgetBundle : widgetkit::WidgetBundle<KelvoWidgetBundle> {
  /// The environment variable that points at another copy of the icon artwork.
  static constexpr const char* artworkVariable = "KELVO_ICON_ARTWORK";

  /// Exactly one widget: `KelvoActionsWidget`.
  static std::vector<widgetkit::WidgetConfiguration> body();
  /// Every asset of the icon fetch list, by asset name, under `artworkFolder()`.
  static widgetkit::AssetCatalog assets();
  /// The same under another folder of the artwork's layout.
  static widgetkit::AssetCatalog assets(const std::filesystem::path& folder);
  /// $KELVO_ICON_ARTWORK when set, else "share/kelvo/icons" beside the program's own folder:
  /// `<prefix>/bin/kelvo-widget` reads `<prefix>/share/kelvo/icons`, wherever the prefix is,
  /// and the build tree has the same layout.
  static std::filesystem::path artworkFolder();
};

}  // namespace kelvo
