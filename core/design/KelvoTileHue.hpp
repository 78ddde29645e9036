#pragma once

#include <span>
#include <string_view>

#include "core/design/KelvoTheme.hpp"
#include "core/design/RawValue.hpp"
#include "core/design/SRGB.hpp"

namespace kelvo {

/// The hues of icon tiles. Raw values equal the case names.
enum class KelvoTileHue { kelvo, orange, red, pink, purple, indigo, blue, teal, green, graphite };

std::span<const RawValueCase<KelvoTileHue>> rawValueCases(KelvoTileHue);

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
