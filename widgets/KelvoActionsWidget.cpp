#include "widgets/KelvoActionsWidget.hpp"

#include <cstdlib>
#include <string>
#include <system_error>

#include "core/design/KelvoIcon.hpp"
#include "widgets/WidgetStyle.hpp"

namespace kelvo {

using widgetkit::Alignment;
using widgetkit::EnvironmentValues;
using widgetkit::FrameLimits;
using widgetkit::HorizontalAlignment;
using widgetkit::infinity;
using widgetkit::TextStyle;
using widgetkit::VerticalAlignment;
using widgetkit::View;

namespace {

/// One tile: its icon at the top, its title and, when asked, its detail at the bottom.
struct ActionTile {
  static constexpr double spacing = 2;
  static constexpr double iconSize = 20;
  static constexpr double padding = 8;
  static constexpr double minimumSize = 44;
  static constexpr double minimumScaleFactor = 0.7;
  static constexpr int titleLines = 1;
  static constexpr int detailLines = 2;
  static constexpr KelvoColorToken iconToken = KelvoColorToken::accentLabel;
  static constexpr KelvoColorToken titleToken = KelvoColorToken::primaryLabel;
  static constexpr KelvoColorToken detailToken = KelvoColorToken::secondaryLabel;

  const KelvoWidgetTile& tile;
  bool showsDetail;
  double displayScale;

  View body() const {
    const KelvoIcon glyph = tile.icon();
    std::vector<View> items{
        View::image({assetName(glyph, inlineWeight(glyph)), /*decorative=*/true,
                     /*resizable=*/true, widgetkit::ImageRendering::templateImage})
            .frame(iconSize, iconSize)
            .foregroundColor(widgetColor(iconToken)),
        View::spacer(0),
        View::text(tile.title())
            .font(widgetkit::Font::system(TextStyle::footnote, widgetkit::FontWeight::semibold))
            .foregroundColor(widgetColor(titleToken))
            .lineLimit(titleLines),
    };
    if (showsDetail) {
      items.push_back(View::text(tile.detail())
                          .font(widgetkit::Font::system(TextStyle::caption2))
                          .foregroundColor(widgetColor(detailToken))
                          .lineLimit(detailLines));
    }
    const View stack = View::verticalStack(HorizontalAlignment::leading, spacing, std::move(items))
                           .allowsTightening(true)
                           .minimumScaleFactor(minimumScaleFactor)
                           .padding(padding)
                           .frame(FrameLimits{minimumSize, infinity, minimumSize, infinity,
                                              Alignment::topLeading()});
    return WidgetTile{displayScale}.body(stack);
  }
};

// A tile as a link: tapping it opens the tile's link, and it reads out the action's sentence.
View tileLink(const KelvoWidgetTile& tile, bool showsDetail, double displayScale) {
  return View::link(tile.url.absoluteString(), ActionTile{tile, showsDetail, displayScale}.body())
      .accessibilityLabel(tile.accessibilityLabel())
      .id(std::string(tile.id()));
}

}  // namespace

KelvoActionsProvider::Entry KelvoActionsProvider::placeholder(
    const widgetkit::TimelineProviderContext& context) const {
  return {context.now};
}

void KelvoActionsProvider::getSnapshot(const widgetkit::TimelineProviderContext& context,
                                       const std::function<void(Entry)>& completion) const {
  completion(Entry{context.now});
}

void KelvoActionsProvider::getTimeline(
    const widgetkit::TimelineProviderContext& context,
    const std::function<void(widgetkit::Timeline<Entry>)>& completion) const {
  completion({{Entry{context.now}}, widgetkit::TimelineReloadPolicy::never()});
}

View KelvoActionsView::body() const { return body(KelvoWidgetTile::all()); }

View KelvoActionsView::body(const std::vector<KelvoWidgetTile>& tiles) const {
  if (family == widgetkit::WidgetFamily::systemMedium) {
    std::vector<View> row;
    for (const KelvoWidgetTile& tile : tiles) row.push_back(tileLink(tile, true, displayScale));
    return WidgetSurface{}.body(
        View::horizontalStack(VerticalAlignment::center, tileSpacing, std::move(row)));
  }
  std::vector<View> column;
  std::vector<View> rest;
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    View link = tileLink(tiles[i], false, displayScale);
    if (i == 0) {
      column.push_back(link.frame(FrameLimits{.maxHeight = infinity}));
    } else {
      rest.push_back(std::move(link));
    }
  }
  column.push_back(View::horizontalStack(VerticalAlignment::center, tileSpacing, std::move(rest))
                       .frame(FrameLimits{.maxHeight = infinity}));
  return WidgetSurface{}.body(
      View::verticalStack(HorizontalAlignment::center, tileSpacing, std::move(column)));
}

widgetkit::WidgetConfiguration KelvoActionsWidget::body() const {
  return widgetkit::StaticConfiguration<KelvoActionsProvider>(
             std::string(kind), KelvoActionsProvider{},
             [](const KelvoActionsProvider::Entry&, const EnvironmentValues& environment) {
               return KelvoActionsView::in(environment).body();
             })
      .configurationDisplayName(std::string(displayName))
      .description(std::string(description))
      .supportedFamilies(
          {widgetkit::WidgetFamily::systemSmall, widgetkit::WidgetFamily::systemMedium});
}

std::vector<widgetkit::WidgetConfiguration> KelvoWidgetBundle::body() {
  return {KelvoActionsWidget{}.body()};
}

widgetkit::AssetCatalog KelvoWidgetBundle::assets() { return assets(artworkFolder()); }

widgetkit::AssetCatalog KelvoWidgetBundle::assets(const std::filesystem::path& folder) {
  widgetkit::AssetCatalog catalog(folder);
  for (const KelvoIconAsset& asset : kelvoIconFetchList()) {
    catalog.add(asset.assetName(), asset.path());
  }
  return catalog;
}

std::filesystem::path KelvoWidgetBundle::artworkFolder() {
  const char* chosen = std::getenv(artworkVariable);
  if (chosen && *chosen) return chosen;
  // Found from the program rather than compiled in, so that an installed tree can move.
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return program.parent_path().parent_path() / "share" / "kelvo" / "icons";
}

}  // namespace kelvo
