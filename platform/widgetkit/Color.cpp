#include "platform/widgetkit/Color.hpp"

#include <cmath>
#include <utility>

namespace kelvo::widgetkit {
namespace {

double unit(double value) {
  if (!(value > 0.0)) return 0.0;  // also catches NaN
  return value > 1.0 ? 1.0 : value;
}

}  // namespace

RGBA RGBA::clamped() const { return {unit(red), unit(green), unit(blue), unit(alpha)}; }

std::string RGBA::hexString() const {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string text = "#";
  for (const double channel : {red, green, blue}) {
    const auto level = static_cast<int>(std::lround(unit(channel) * 255.0));
    text.push_back(digits[level >> 4]);
    text.push_back(digits[level & 0xF]);
  }
  return text;
}

Color Color::dynamic(Provider provider) {
  Color colour;
  colour.provider_ = std::make_shared<const Provider>(std::move(provider));
  return colour;
}

RGBA Color::resolved(const Appearance& appearance) const {
  if (provider_ && *provider_) return (*provider_)(appearance).clamped();
  return fixed_;
}

}  // namespace kelvo::widgetkit
