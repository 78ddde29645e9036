#pragma once

// Where the design's colours come from: a colour role, the conditions of the screen
// (KelvoTheme.hpp) and the user's palette family give one sRGB colour, in every combination,
// so that a view never needs a fallback and each contrast rule can be checked in every theme:
//
//   const KelvoTheme theme = KelvoTheme::dark.on(KelvoTheme::Platform::mac);
//   const SRGB text = KelvoPalette::value(KelvoColorToken::primaryLabel, theme, family);
//   const SRGB surface = KelvoPalette::value(KelvoColorToken::cardSurface, theme, family);
//   const bool readable = text.satisfies(ContrastRequirement::normalText, surface);  // true

#include <array>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "core/design/KelvoColorToken.hpp"
#include "core/design/KelvoTheme.hpp"
#include "core/design/SRGB.hpp"
#include "platform/foundation/RawValues.hpp"

namespace kelvo {

/// The two palettes: black, white and orange tones, or warm paper with a burnt-orange accent.
enum class KelvoPaletteFamily { twoColour, brand };

template <>
struct RawValues<KelvoPaletteFamily> {
  static constexpr std::array<std::pair<KelvoPaletteFamily, std::string_view>, 2> table{{
      {KelvoPaletteFamily::twoColour, "twoColour"},
      {KelvoPaletteFamily::brand, "brand"},
  }};
};

/// Turns a colour token, a theme and a palette family into a colour.
struct KelvoPalette {
  /// The colour of `token` in `theme` and `family`. Every token resolves in every theme and
  /// family; the platform of the theme never changes the colour.
  static SRGB value(KelvoColorToken token, const KelvoTheme& theme, KelvoPaletteFamily family);

  /// Tokens whose brand colour is the two-colour palette's colour.
  static const std::set<KelvoColorToken>& addedWithTwoColours();
  /// The tokens that stand outside either family's scheme. Published; no resolution reads it.
  static const std::set<KelvoColorToken>& outsideTheFamily();

  /// The designed colour of secondaryLabel, placeholderLabel, typeImage and syncSynced;
  /// nothing for every other token.
  static std::optional<SRGB> designedValue(KelvoColorToken token);

  /// The retired olive accent of the seven accent tokens; nothing for every other token.
  static std::optional<SRGB> legacyOliveAccent(KelvoColorToken token, const KelvoTheme& theme);
};

}  // namespace kelvo
