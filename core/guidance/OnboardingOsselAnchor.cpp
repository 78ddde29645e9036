#include "core/guidance/OnboardingOsselAnchor.hpp"

#include <algorithm>
#include <cmath>

namespace kelvo {
namespace {

constexpr double edgeInset = 8;
constexpr double laneSpacing = 16;

double finiteOrZero(double value) { return std::isfinite(value) ? value : 0; }

}  // namespace

OnboardingOsselAnchor::OnboardingOsselAnchor(Lane lane, double verticalFraction, double height,
                                             Ossel::Expression expression)
    : lane_(lane),
      verticalFraction_(std::isnan(verticalFraction) ? 0 : std::clamp(verticalFraction, 0.0, 1.0)),
      height_(height >= 1 ? height : 1),
      expression_(expression) {}

OnboardingOsselAnchor OnboardingOsselAnchor::anchor(OnboardingPage::Illustration illustration) {
  using I = OnboardingPage::Illustration;
  using E = Ossel::Expression;
  switch (illustration) {
    case I::grid:
      return {Lane::leading, 0.18, 48, E::waving};
    case I::fill:
      return {Lane::trailing, 0.22, 42, E::working};
    case I::copy:
      return {Lane::leading, 0.78, 38, E::catching};
    case I::identity:
    case I::keep:
      break;
  }
  return {Lane::centre, 0.5, 92, E::waving};
}

double OnboardingOsselAnchor::scaledHeight(double illustrationHeight) const {
  const double ih = finiteOrZero(illustrationHeight);
  if (ih <= 0) return 0;
  const double scaled =
      std::min(height_, height_ * ih / OnboardingLayout::standardIllustrationHeight);
  return std::min(ih, std::max(faceFloor, scaled));
}

double OnboardingOsselAnchor::scaledWidth(double illustrationHeight) const {
  return scaledHeight(illustrationHeight) * Ossel::aspectRatio;
}

double OnboardingOsselAnchor::centreX(double bandWidth, double illustrationHeight,
                                      OnboardingWritingDirection direction) const {
  const double band = finiteOrZero(bandWidth);
  const double width = scaledWidth(illustrationHeight);
  double x = band / 2;
  if (lane_ == Lane::leading) x = edgeInset + width / 2;
  if (lane_ == Lane::trailing) x = band - edgeInset - width / 2;
  return direction == OnboardingWritingDirection::rightToLeft ? band - x : x;
}

double OnboardingOsselAnchor::centreY(double illustrationHeight) const {
  const double ih = finiteOrZero(illustrationHeight);
  const double s = scaledHeight(ih);
  if (ih <= 0 || s >= ih) return ih / 2;
  return std::clamp(verticalFraction_ * ih, s / 2, ih - s / 2);
}

double OnboardingOsselAnchor::laneInset(double illustrationHeight) const {
  if (lane_ == Lane::centre) return 0;
  return scaledWidth(illustrationHeight) + laneSpacing;
}

}  // namespace kelvo
