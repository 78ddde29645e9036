#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "core/design/KelvoTheme.hpp"
#include "core/design/SRGB.hpp"
#include "platform/foundation/RawValues.hpp"

namespace kelvo {

/// The hues of icon tiles. Raw values equal the case names.
enum class KelvoTileHue { kelvo, orange, red, pink, purple, indigo, blue, teal, green, graphite };

template <>
struct RawValues<KelvoTileHue> {
  static constexpr std::array<std::pair<KelvoTileHue, std::string_view>, 10> table{{
      {KelvoTileHue::kelvo, "kelvo"},
      {KelvoTileHue::orange, "orange"},
      {KelvoTileHue::red, "red"},
      {KelvoTileHue::pink, "pink"},
      {KelvoTileHue::purple, "purple"},
      {KelvoTileHue::indigo, "indigo"},
      {KelvoTileHue::blue, "blue"},
      {KelvoTileHue::teal, "teal"},
      {KelvoTileHue::green, "green"},
      {KelvoTileHue::graphite, "graphite"},
  }};
};

/// The designed tile colour ("#RRGGBB") of the hue in an appearance.
std::string_view hex(KelvoTileHue hue, KelvoTheme::Appearance appearance);
/// The designed highlight colour ("#RRGGBB") of the hue in an appearance.
std::string_view highlightHex(KelvoTileHue hue, KelvoTheme::Appearance appearance);
/// `hex` as a colour.
SRGB base(KelvoTileHue hue, KelvoTheme::Appearance appearance);
/// `highlightHex` as a colour.
SRGB highlight(KelvoTileHue hue, KelvoTheme::Appearance appearance);
/// The colour of a glyph drawn on the tile: white for every hue and appearance.
SRGB glyph(KelvoTileHue hue, KelvoTheme::Appearance appearance);

}  // namespace kelvo
