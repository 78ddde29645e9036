#pragma once

// The one colour value of the design: every palette, tile and widget colour is an SRGB made
// from a designed hex text, and every contrast rule of the design is checked with this
// arithmetic (WCAG 2.0 relative luminance and contrast ratio):
//
//   const SRGB ink = *SRGB::fromHex("#141210");
//   const SRGB paper = *SRGB::fromHex("E9E1D2");
//   const double ratio = ink.contrastRatio(paper);  // about 14.4
//   const bool readable = ink.satisfies(ContrastRequirement::normalText, paper);  // true
//   const std::string wash = SRGB::blended(ink, paper, 0.08).hexString();  // "#D8D0C2"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

/// The contrast a foreground must reach on its background.
enum class ContrastRequirement { normalText, largeText, nonText };

/// The least contrast ratio that meets the requirement: 4.5 for normal text, 3.0 otherwise.
double minimumRatio(ContrastRequirement requirement);

/// An sRGB colour; every component lies in 0.0...1.0, whichever way the value was made.
class SRGB {
 public:
  /// Black.
  constexpr SRGB() = default;
  /// Clamps each component into 0.0...1.0; a component that is not a number becomes 0.0.
  constexpr SRGB(double red, double green, double blue)
      : red_(clamped(red)), green_(clamped(green)), blue_(clamped(blue)) {}

  /// Parses "#RRGGBB" or "RRGGBB" in either case. One leading sign counts as one of the six
  /// digits ("+12345" is #012345, "-00000" is black); no whitespace is trimmed.
  static std::optional<SRGB> fromHex(std::string_view text);

  constexpr double red() const { return red_; }
  constexpr double green() const { return green_; }
  constexpr double blue() const { return blue_; }

  /// "#RRGGBB" in upper case, each channel rounded to the nearest of 256 levels.
  std::string hexString() const;
  /// WCAG 2.0 relative luminance, 0.0 (black) to 1.0 (white).
  double relativeLuminance() const;
  /// The contrast ratio with another colour, 1.0 to 21.0; symmetric.
  double contrastRatio(const SRGB& other) const;
  /// Whether this colour, as a foreground on `background`, reaches the requirement.
  bool satisfies(ContrastRequirement requirement, const SRGB& background) const;

  /// The foreground laid with opacity `alpha` (clamped into 0...1, not a number as 0) over the
  /// background.
  static SRGB blended(const SRGB& foreground, const SRGB& background, double alpha);

  friend constexpr bool operator==(const SRGB&, const SRGB&) = default;

 private:
  static constexpr double clamped(double value) {
    if (!(value > 0.0)) return 0.0;  // also catches NaN
    return value > 1.0 ? 1.0 : value;
  }

  double red_ = 0.0;
  double green_ = 0.0;
  double blue_ = 0.0;
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::SRGB> {
  size_t operator()(const kelvo::SRGB& colour) const noexcept;
};
