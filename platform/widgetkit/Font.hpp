#pragma once

#include <string_view>

namespace kelvo::widgetkit {

/// The text styles of the system font, largest first.
enum class TextStyle {
  largeTitle,
  title,
  title2,
  title3,
  headline,
  body,
  callout,
  subheadline,
  footnote,
  caption,
  caption2,
};

enum class FontWeight { ultraLight, thin, light, regular, medium, semibold, bold, heavy, black };

/// The CSS weight of a font weight: 100 for ultra light up to 900 for black.
int cssWeight(FontWeight weight);

/// The system font at a size and weight. The host draws every text in DejaVu Sans, measured
/// and named alike, so what is measured is what a viewer draws.
struct Font {
  static constexpr std::string_view familyName = "DejaVu Sans";

  double pointSize = 13;
  FontWeight weight = FontWeight::regular;

  /// The system font of a text style, at that style's size (the desktop sizes: body 13,
  /// footnote 10, caption-2 10, ...) and the given weight, or the style's own weight.
  static Font system(TextStyle style);
  static Font system(TextStyle style, FontWeight weight);

  friend bool operator==(const Font&, const Font&) = default;
};

}  // namespace kelvo::widgetkit
