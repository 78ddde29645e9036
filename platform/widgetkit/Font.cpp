#include "platform/widgetkit/Font.hpp"

namespace kelvo::widgetkit {
namespace {

double styleSize(TextStyle style) {
  switch (style) {
    case TextStyle::largeTitle:
      return 26;
    case TextStyle::title:
      return 22;
    case TextStyle::title2:
      return 17;
    case TextStyle::title3:
      return 15;
    case TextStyle::headline:
      return 13;
    case TextStyle::body:
      return 13;
    case TextStyle::callout:
      return 12;
    case TextStyle::subheadline:
      return 11;
    case TextStyle::footnote:
      return 10;
    case TextStyle::caption:
      return 10;
    case TextStyle::caption2:
      return 10;
  }
  return 13;
}

}  // namespace

int cssWeight(FontWeight weight) {
  switch (weight) {
    case FontWeight::ultraLight:
      return 100;
    case FontWeight::thin:
      return 200;
    case FontWeight::light:
      return 300;
    case FontWeight::regular:
      return 400;
    case FontWeight::medium:
      return 500;
    case FontWeight::semibold:
      return 600;
    case FontWeight::bold:
      return 700;
    case FontWeight::heavy:
      return 800;
    case FontWeight::black:
      return 900;
  }
  return 400;
}

Font Font::system(TextStyle style) {
  return system(style, style == TextStyle::headline ? FontWeight::semibold : FontWeight::regular);
}

Font Font::system(TextStyle style, FontWeight weight) { return Font{styleSize(style), weight}; }

}  // namespace kelvo::widgetkit
