#pragma once

#include <array>
#include <set>
#include <string_view>

namespace kelvo {

/// The few system symbols the interface draws instead of icon artwork.
struct KelvoSymbol {
  static constexpr std::string_view disclosure = "chevron.forward";
  static constexpr std::string_view back = "chevron.backward";
  static constexpr std::string_view expanded = "chevron.down";
  static constexpr std::string_view menu = "chevron.down";
  static constexpr std::string_view search = "magnifyingglass";
  static constexpr std::string_view share = "square.and.arrow.up";
  static constexpr std::string_view clear = "xmark.circle.fill";

  /// The symbols that follow the reading direction.
  static constexpr std::array<std::string_view, 4> directional{disclosure, back, expanded, menu};
  /// Spellings that do not mirror in right-to-left layouts; never to be used.
  static constexpr std::array<std::string_view, 4> nonMirroringSpellings{
      "chevron.right", "chevron.left", "arrow.right", "arrow.left"};

  /// The only system symbol names the interface uses: `directional` and search, share and clear
  /// (six names, since expanded and menu coincide).
  static const std::set<std::string_view>& allowlist() {
    static const std::set<std::string_view> names{disclosure, back,  expanded, menu,
                                                  search,     share, clear};
    return names;
  }
};

}  // namespace kelvo
