#pragma once

// The geometry of a tour page: the illustration band's height for the user's text size, the room
// for the copy and the width of the composition. Points; non-finite sizes count as 0:
//
//   const auto height = OnboardingLayout::illustrationHeight(OnboardingTypeSize::large, 700);
//   const auto [width, margin] = OnboardingLayout::composition(500);  // 420 wide, 40 aside

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "platform/foundation/RawValues.hpp"

namespace kelvo {

/// The user's text size class.
enum class OnboardingTypeSize : std::uint8_t { standard, large, accessibility };

template <>
struct RawValues<OnboardingTypeSize> {
  static constexpr std::array<std::pair<OnboardingTypeSize, std::string_view>, 3> table{{
      {OnboardingTypeSize::standard, "standard"},
      {OnboardingTypeSize::large, "large"},
      {OnboardingTypeSize::accessibility, "accessibility"},
  }};
};

enum class OnboardingWritingDirection : std::uint8_t { leftToRight, rightToLeft };

template <>
struct RawValues<OnboardingWritingDirection> {
  static constexpr std::array<std::pair<OnboardingWritingDirection, std::string_view>, 2> table{{
      {OnboardingWritingDirection::leftToRight, "leftToRight"},
      {OnboardingWritingDirection::rightToLeft, "rightToLeft"},
  }};
};

constexpr OnboardingWritingDirection direction(bool isRightToLeft) {
  return isRightToLeft ? OnboardingWritingDirection::rightToLeft
                       : OnboardingWritingDirection::leftToRight;
}
/// 1 left to right, −1 right to left.
constexpr double horizontalSign(OnboardingWritingDirection direction) {
  return direction == OnboardingWritingDirection::rightToLeft ? -1.0 : 1.0;
}

struct OnboardingLayout {
  static constexpr double standardIllustrationHeight = 230;
  static constexpr double largeTypeIllustrationHeight = 170;
  static constexpr double compositionMaxWidth = 420;
  /// From the copy allowance to the copy ceiling.
  static constexpr double copyHeadroom = 1.6;

  struct Composition {
    double width;
    double margin;
    friend bool operator==(const Composition&, const Composition&) = default;
  };

  /// The height the copy needs below the illustration; +∞ for accessibility sizes.
  static double copyAllowance(OnboardingTypeSize typeSize);
  /// The illustration's height, or none when it and the copy allowance do not both fit.
  static std::optional<double> illustrationHeight(OnboardingTypeSize typeSize,
                                                  double availableHeight);
  /// The most height the copy may take beside an illustration.
  static std::optional<double> copyCeiling(OnboardingTypeSize typeSize,
                                           std::optional<double> illustrationHeight);
  /// The composition's width, capped at `compositionMaxWidth`, centred with equal margins.
  static Composition composition(double bandWidth);
};

}  // namespace kelvo
