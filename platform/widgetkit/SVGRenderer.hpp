#pragma once

// What a widget looks like, off any device: a laid-out view drawn as a standalone SVG document
// that a browser shows and a test can read. The host's render command draws every widget in
// every family and appearance this way:
//
//   const Size canvas = displaySize(WidgetFamily::systemSmall);
//   Layout layout;
//   const LayoutNode placed = layout.layout(View::text("Keep").padding(16), canvas);
//   RenderOptions options;
//   options.appearance = Appearance(AppearanceName::darkAqua);
//   options.title = "Keep";
//   const Rendering drawn = renderSVG(placed, canvas, options);  // drawn.svg: "<svg …"

#include <string>
#include <vector>

#include "platform/widgetkit/Appearance.hpp"
#include "platform/widgetkit/Geometry.hpp"
#include "platform/widgetkit/Layout.hpp"
#include "platform/widgetkit/View.hpp"

namespace kelvo::widgetkit {

class AssetCatalog;

struct RenderOptions {
  Appearance appearance{AppearanceName::aqua};
  /// Device pixels per point: the drawing is this many times its size in points.
  double displayScale = 2;
  /// Where images are found; without a catalogue every image is a placeholder.
  const AssetCatalog* assets = nullptr;
  /// The drawing's accessible title; none when empty.
  std::string title;
  /// The widget's own outline; what lies outside is not drawn.
  RoundedRectangle shape;
};

struct Rendering {
  std::string svg;
  /// Images drawn as placeholders because their artwork is missing or unreadable, by name,
  /// each once.
  std::vector<std::string> missingImages;
};

/// Draws a laid-out view as a standalone SVG document. Colours are resolved for the chosen
/// appearance; every link becomes an <a href> carrying its accessibility label, so that a tap
/// in any viewer opens it; texts are drawn in the font they were measured with; images are
/// drawn from their artwork, tinted when they are templates, and decorative images are hidden
/// from assistive technologies. Links whose scheme could run code in a viewer ("javascript",
/// "vbscript", "data") are drawn without their link.
Rendering renderSVG(const LayoutNode& root, Size canvas, const RenderOptions& options);

/// The outline of a rounded rectangle as SVG path data. Continuous corners ease into the edges
/// over about 1.53 times the radius; a radius too large for the rectangle is reduced to fit.
std::string roundedRectanglePath(Rect rect, RoundedRectangle shape);

}  // namespace kelvo::widgetkit
