#include "widgets/WidgetStyle.hpp"

#include <algorithm>

namespace kelvo {

using widgetkit::AppearanceName;

KelvoTheme widgetTheme(const widgetkit::Appearance& appearance) {
  const AppearanceName match =
      appearance
          .bestMatch({AppearanceName::darkAqua, AppearanceName::accessibilityHighContrastDarkAqua,
                      AppearanceName::aqua, AppearanceName::accessibilityHighContrastAqua})
          .value_or(AppearanceName::aqua);
  const bool dark = match == AppearanceName::darkAqua ||
                    match == AppearanceName::accessibilityHighContrastDarkAqua;
  const bool increasedContrast = match == AppearanceName::accessibilityHighContrastAqua ||
                                 match == AppearanceName::accessibilityHighContrastDarkAqua;
  if (dark) return increasedContrast ? KelvoTheme::darkIncreasedContrast : KelvoTheme::dark;
  return increasedContrast ? KelvoTheme::lightIncreasedContrast : KelvoTheme::light;
}

widgetkit::Color widgetColor(KelvoColorToken token) {
  return widgetkit::Color::dynamic([token](const widgetkit::Appearance& appearance) {
    const SRGB colour = KelvoPalette::value(token, widgetTheme(appearance), widgetPaletteFamily);
    return widgetkit::RGBA{colour.red(), colour.green(), colour.blue(), 1.0};
  });
}

widgetkit::View WidgetSurface::body(const widgetkit::View& content, int systemVersion) const {
  if (systemVersion >= firstContainerBackgroundVersion) {
    return content.containerBackground(widgetColor(backgroundToken));
  }
  return content.background(widgetColor(backgroundToken), /*ignoresSafeArea=*/true);
}

double WidgetTile::borderWidth(double displayScale) {
  // std::max keeps its first argument when the scale is not a number.
  return 1.0 / std::max(1.0, displayScale);
}

widgetkit::View WidgetTile::body(const widgetkit::View& content) const {
  widgetkit::StrokeStyle stroke;
  stroke.lineWidth = borderWidth(displayScale);
  stroke.cap = widgetkit::LineCap::butt;
  stroke.join = widgetkit::LineJoin::miter;
  stroke.miterLimit = borderMiterLimit;
  return content.background(widgetColor(fillToken), /*ignoresSafeArea=*/true)
      .clipShape(shape)
      .strokeBorder(shape, widgetColor(borderToken), stroke);
}

}  // namespace kelvo
