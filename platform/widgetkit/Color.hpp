#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/widgetkit/Appearance.hpp"

namespace kelvo::widgetkit {

/// A resolved colour: sRGB components and alpha, each clamped into 0...1 (not a number as 0).
struct RGBA {
  double red = 0;
  double green = 0;
  double blue = 0;
  double alpha = 1;

  RGBA clamped() const;
  /// "#RRGGBB", upper case, each channel rounded to the nearest of 256 levels.
  std::string hexString() const;
  friend bool operator==(const RGBA&, const RGBA&) = default;
};

/// A colour for views: either fixed, or resolved anew for every appearance it is drawn in.
class Color {
 public:
  using Provider = std::function<RGBA(const Appearance&)>;

  /// Opaque black.
  Color() : Color(RGBA{}) {}
  static Color sRGB(double red, double green, double blue, double alpha = 1.0) {
    return Color(RGBA{red, green, blue, alpha});
  }
  /// A colour with no fixed value: `provider` is asked at every draw. It must touch no shared
  /// state, since the host may draw on any thread.
  static Color dynamic(Provider provider);

  /// The colour for one appearance.
  RGBA resolved(const Appearance& appearance) const;

 private:
  explicit Color(RGBA fixed) : fixed_(fixed.clamped()) {}
  RGBA fixed_;
  std::shared_ptr<const Provider> provider_;
};

}  // namespace kelvo::widgetkit
