#pragma once

#include "core/design/KelvoColorToken.hpp"
#include "core/design/KelvoPalette.hpp"
#include "core/design/KelvoTheme.hpp"
#include "platform/widgetkit/Appearance.hpp"
#include "platform/widgetkit/Color.hpp"
#include "platform/widgetkit/View.hpp"
#include "platform/widgetkit/WidgetConfiguration.hpp"

namespace kelvo {

/// Every widget colour comes from the two-colour palette, never the brand one.
inline constexpr KelvoPaletteFamily widgetPaletteFamily = KelvoPaletteFamily::twoColour;

/// The theme the widget is drawn in for an appearance: its best match among dark aqua,
/// high-contrast dark aqua, aqua and high-contrast aqua (aqua when it matches none) read as
/// light or dark, with or without increased contrast. Always on the touch platform.
KelvoTheme widgetTheme(const widgetkit::Appearance& appearance);

/// The colour of a token for views. It has no fixed value: every draw resolves the token
/// through the palette for the appearance in force, so a change of appearance needs no reload.
/// Always opaque.
widgetkit::Color widgetColor(KelvoColorToken token);

/// The background of the whole widget. Adds no padding, border or shadow.
struct WidgetSurface {
  static constexpr KelvoColorToken backgroundToken = KelvoColorToken::groupedSurface;
  /// From this system version on, the background is the widget's container background.
  static constexpr int firstContainerBackgroundVersion = 14;

  widgetkit::View body(const widgetkit::View& content,
                       int systemVersion = widgetkit::systemVersion) const;
};

/// A tile's fill, rounded shape and hairline border. No shadow.
struct WidgetTile {
  static constexpr KelvoColorToken fillToken = KelvoColorToken::cardSurface;
  static constexpr KelvoColorToken borderToken = KelvoColorToken::hairline;
  static constexpr widgetkit::RoundedRectangle shape{12, widgetkit::RoundedCornerStyle::continuous};
  static constexpr double borderMiterLimit = 10;

  /// One device pixel on a display of scale 1 or more; one point on a display reporting less.
  static double borderWidth(double displayScale);

  /// Device pixels per point of the display the tile is drawn on.
  double displayScale = 1;

  widgetkit::View body(const widgetkit::View& content) const;
};

}  // namespace kelvo
