#pragma once

// How the screen is set, as it reports it: light or dark, the increased-contrast setting, and
// the platform; with a colour token it picks the colour (KelvoPalette.hpp). The named themes
// list every combination, for the code and the tests that must cover them all:
//
//   const KelvoTheme theme{KelvoTheme::Appearance::dark, increased, KelvoTheme::Platform::touch};
//   const bool known = theme == KelvoTheme::darkIncreasedContrast;  // when increased
//   std::unordered_set<KelvoTheme> covered(KelvoTheme::everyPlatform.begin(),
//                                          KelvoTheme::everyPlatform.end());  // all eight

#include <array>
#include <cstddef>
#include <functional>

namespace kelvo {

/// The conditions a colour is wanted under: the key of every colour look-up.
struct KelvoTheme {
  enum class Appearance { light, dark };
  enum class Platform { touch, mac };

  Appearance appearance = Appearance::light;
  bool increasedContrast = false;
  Platform platform = Platform::touch;

  /// The same theme on another platform.
  constexpr KelvoTheme on(Platform other) const { return {appearance, increasedContrast, other}; }

  friend constexpr bool operator==(const KelvoTheme&, const KelvoTheme&) = default;

  static const KelvoTheme light;
  static const KelvoTheme dark;
  static const KelvoTheme lightIncreasedContrast;
  static const KelvoTheme darkIncreasedContrast;
  /// light, dark, lightIncreasedContrast, darkIncreasedContrast, on touch.
  static const std::array<KelvoTheme, 4> all;
  /// The four of `all`, in the same order, on the Mac.
  static const std::array<KelvoTheme, 4> mac;
  /// `all` followed by `mac`.
  static const std::array<KelvoTheme, 8> everyPlatform;
};

inline constexpr KelvoTheme KelvoTheme::light{Appearance::light, false, Platform::touch};
inline constexpr KelvoTheme KelvoTheme::dark{Appearance::dark, false, Platform::touch};
inline constexpr KelvoTheme KelvoTheme::lightIncreasedContrast{Appearance::light, true,
                                                               Platform::touch};
inline constexpr KelvoTheme KelvoTheme::darkIncreasedContrast{Appearance::dark, true,
                                                              Platform::touch};
inline constexpr std::array<KelvoTheme, 4> KelvoTheme::all{light, dark, lightIncreasedContrast,
                                                           darkIncreasedContrast};
inline constexpr std::array<KelvoTheme, 4> KelvoTheme::mac{
    light.on(Platform::mac), dark.on(Platform::mac), lightIncreasedContrast.on(Platform::mac),
    darkIncreasedContrast.on(Platform::mac)};
inline constexpr std::array<KelvoTheme, 8> KelvoTheme::everyPlatform{
    all[0], all[1], all[2], all[3], mac[0], mac[1], mac[2], mac[3]};

}  // namespace kelvo

template <>
struct std::hash<kelvo::KelvoTheme> {
  size_t operator()(const kelvo::KelvoTheme& theme) const noexcept {
    return static_cast<size_t>(theme.appearance) << 2 |
           static_cast<size_t>(theme.increasedContrast) << 1 | static_cast<size_t>(theme.platform);
  }
};
