#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/widgetkit/Color.hpp"
#include "platform/widgetkit/Geometry.hpp"
#include "platform/widgetkit/View.hpp"

namespace kelvo::widgetkit {

/// Icon artwork read from an SVG file and reduced to plain shapes (groups, paths, circles,
/// ellipses, lines, polylines, polygons, rectangles) with their geometry and paint: scripts,
/// references, styles, text and anything else are dropped, so the artwork can be drawn inside
/// another drawing without bringing anything but shapes along.
class IconArtwork {
 public:
  static constexpr std::size_t maximumFileSize = 1 << 20;
  static constexpr std::size_t maximumElementCount = 4096;
  static constexpr int maximumDepth = 32;

  /// Reads an SVG document. None when it is not well-formed XML with an <svg> root, when its
  /// view box is missing or empty, or when it exceeds the limits above.
  static std::optional<IconArtwork> parse(std::string_view bytes);
  /// Reads an SVG file; none when it is missing, larger than `maximumFileSize` or unreadable.
  static std::optional<IconArtwork> read(const std::filesystem::path& file);

  /// The artwork's own coordinate space.
  Rect viewBox() const { return viewBox_; }
  std::size_t elementCount() const { return elements_.size(); }

  /// The shapes as SVG markup to place inside an <svg> with this artwork's view box. As a
  /// template every painted fill and stroke is `tint` (transparency kept); in its original
  /// colours only "currentColor" becomes `tint`.
  std::string markup(ImageRendering rendering, const RGBA& tint) const;

 private:
  struct Element {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    int depth = 0;  // elements are stored in document order with their depth
  };

  Rect viewBox_;
  std::vector<Element> elements_;

  friend class IconArtworkReader;
};

}  // namespace kelvo::widgetkit
