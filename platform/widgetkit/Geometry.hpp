#pragma once

#include <algorithm>
#include <limits>

namespace kelvo::widgetkit {

/// Lengths are in points; a frame may ask for an unbounded one.
inline constexpr double infinity = std::numeric_limits<double>::infinity();

struct Size {
  double width = 0;
  double height = 0;
  friend constexpr bool operator==(const Size&, const Size&) = default;
};

struct Point {
  double x = 0;
  double y = 0;
  friend constexpr bool operator==(const Point&, const Point&) = default;
};

struct Rect {
  Point origin;
  Size size;

  constexpr double minX() const { return origin.x; }
  constexpr double minY() const { return origin.y; }
  constexpr double maxX() const { return origin.x + size.width; }
  constexpr double maxY() const { return origin.y + size.height; }
  constexpr double width() const { return size.width; }
  constexpr double height() const { return size.height; }
  /// The rectangle moved inward by `amount` on every edge, never below zero size.
  constexpr Rect insetBy(double amount) const {
    return {{origin.x + amount, origin.y + amount},
            {std::max(0.0, size.width - 2 * amount), std::max(0.0, size.height - 2 * amount)}};
  }
  friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

struct EdgeInsets {
  double top = 0;
  double leading = 0;
  double bottom = 0;
  double trailing = 0;

  static constexpr EdgeInsets all(double length) { return {length, length, length, length}; }
  constexpr double horizontal() const { return leading + trailing; }
  constexpr double vertical() const { return top + bottom; }
  friend constexpr bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

enum class Axis { horizontal, vertical };
enum class HorizontalAlignment { leading, center, trailing };
enum class VerticalAlignment { top, center, bottom };

/// Where a smaller child sits inside a larger space.
struct Alignment {
  HorizontalAlignment horizontal = HorizontalAlignment::center;
  VerticalAlignment vertical = VerticalAlignment::center;

  static constexpr Alignment center() { return {}; }
  static constexpr Alignment topLeading() {
    return {HorizontalAlignment::leading, VerticalAlignment::top};
  }
  friend constexpr bool operator==(const Alignment&, const Alignment&) = default;
};

/// The offset that places `inner` along one axis of `outer` under an alignment.
constexpr double alignedOffset(double outer, double inner, HorizontalAlignment alignment) {
  switch (alignment) {
    case HorizontalAlignment::leading:
      return 0;
    case HorizontalAlignment::center:
      return (outer - inner) / 2;
    case HorizontalAlignment::trailing:
      return outer - inner;
  }
  return 0;
}
constexpr double alignedOffset(double outer, double inner, VerticalAlignment alignment) {
  switch (alignment) {
    case VerticalAlignment::top:
      return 0;
    case VerticalAlignment::center:
      return (outer - inner) / 2;
    case VerticalAlignment::bottom:
      return outer - inner;
  }
  return 0;
}

}  // namespace kelvo::widgetkit
