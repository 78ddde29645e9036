#pragma once

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/design/KelvoIcon.hpp"
#include "core/widget/KelvoURL.hpp"
#include "platform/foundation/RawValues.hpp"
#include "platform/foundation/URL.hpp"

namespace kelvo {

/// What a tile of the actions widget starts, in the order the tiles stand.
enum class KelvoWidgetAction { keep, fill, search };

template <>
struct RawValues<KelvoWidgetAction> {
  static constexpr std::array<std::pair<KelvoWidgetAction, std::string_view>, 3> table{{
      {KelvoWidgetAction::keep, "keep"},
      {KelvoWidgetAction::fill, "fill"},
      {KelvoWidgetAction::search, "search"},
  }};
};

/// The action's identity: its raw value.
inline std::string_view id(KelvoWidgetAction action) { return rawValue(action); }

/// "Keep", "Fill a form", "Search", in the current locale.
std::string title(KelvoWidgetAction action);
/// The action's detail, the line under the title: "What's on the clipboard", "Details into a
/// form", "Find a card". (Named apart from the namespace `kelvo::detail`.)
std::string detailText(KelvoWidgetAction action);
/// The whole sentence read out for the tile: "Keep the clipboard in Kelvo", ...
std::string accessibilityLabel(KelvoWidgetAction action);
KelvoIcon icon(KelvoWidgetAction action);
/// Where the action leads: keep without text, open form filling, or a search for
/// `kelvoWidgetSearchTerm()` as it reads at this moment.
KelvoURL request(KelvoWidgetAction action);

/// What the search tile searches for: the translation of "*", looked up on every call.
std::string kelvoWidgetSearchTerm();

/// A tile of the actions widget: an action and its link, fixed when the tile is made.
struct KelvoWidgetTile {
  KelvoWidgetAction action;
  URL url;

  std::string_view id() const { return kelvo::id(action); }
  std::string title() const { return kelvo::title(action); }
  std::string detail() const { return kelvo::detailText(action); }
  KelvoIcon icon() const { return kelvo::icon(action); }
  std::string accessibilityLabel() const { return kelvo::accessibilityLabel(action); }

  /// The tiles the widget shows: one per action whose link can be formed, in the actions'
  /// order (normally keep, fill, search). Made once per process, on first use, and kept.
  static const std::vector<KelvoWidgetTile>& all();
  /// The same list made afresh, for the moment it is asked.
  static std::vector<KelvoWidgetTile> make();

  friend bool operator==(const KelvoWidgetTile&, const KelvoWidgetTile&) = default;
};

}  // namespace kelvo
