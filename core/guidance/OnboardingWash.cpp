#include "core/guidance/OnboardingWash.hpp"

#include <algorithm>
#include <cmath>

#include "core/design/KelvoPalette.hpp"

namespace kelvo {
namespace {

double unit(double value) { return std::isnan(value) ? 0 : std::clamp(value, 0.0, 1.0); }
double positiveOrZero(double value) { return std::isfinite(value) && value > 0 ? value : 0; }

}  // namespace

OnboardingWash::Layer::Layer(KelvoColorToken token, double opacity, double centreY,
                             double radiusFraction)
    : token_(token),
      opacity_(unit(opacity)),
      centreY_(unit(centreY)),
      radiusFraction_(positiveOrZero(radiusFraction)) {}

const std::vector<OnboardingWash::Layer>& OnboardingWash::layers(
    KelvoTheme::Appearance appearance) {
  static const std::vector<Layer> light{{KelvoColorToken::accentWash, 0.55, 0.22, 0.62}};
  static const std::vector<Layer> dark{{KelvoColorToken::accentWash, 0.5, 0.24, 0.7},
                                       {KelvoColorToken::accentGlow, 0.07, 0.2, 0.42}};
  return appearance == KelvoTheme::Appearance::dark ? dark : light;
}

double OnboardingWash::radius(double pageWidth, double pageHeight, const Layer& layer) {
  return layer.radiusFraction() * std::max(positiveOrZero(pageWidth), positiveOrZero(pageHeight));
}

SRGB OnboardingWash::brightestBackground(const KelvoTheme& theme) {
  constexpr auto family = KelvoPaletteFamily::brand;
  SRGB base = KelvoPalette::value(KelvoColorToken::groupedSurface, theme, family);
  for (const Layer& layer : layers(theme.appearance)) {
    const SRGB colour = KelvoPalette::value(layer.token(), theme, family);
    const double a = layer.opacity();
    // The SRGB constructor clamps each channel into 0 … 1.
    base = SRGB(base.red() + (colour.red() - base.red()) * a,
                base.green() + (colour.green() - base.green()) * a,
                base.blue() + (colour.blue() - base.blue()) * a);
  }
  return base;
}

}  // namespace kelvo
