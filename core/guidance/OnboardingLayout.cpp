#include "core/guidance/OnboardingLayout.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelvo {

double OnboardingLayout::copyAllowance(OnboardingTypeSize typeSize) {
  switch (typeSize) {
    case OnboardingTypeSize::standard:
      return 110;
    case OnboardingTypeSize::large:
      return 150;
    case OnboardingTypeSize::accessibility:
      break;
  }
  return std::numeric_limits<double>::infinity();
}

std::optional<double> OnboardingLayout::illustrationHeight(OnboardingTypeSize typeSize,
                                                           double availableHeight) {
  double height = 0;
  switch (typeSize) {
    case OnboardingTypeSize::standard:
      height = standardIllustrationHeight;
      break;
    case OnboardingTypeSize::large:
      height = largeTypeIllustrationHeight;
      break;
    case OnboardingTypeSize::accessibility:
      return std::nullopt;
  }
  // NaN fails the test and gives no illustration.
  if (!(availableHeight >= height + copyAllowance(typeSize))) return std::nullopt;
  return height;
}

std::optional<double> OnboardingLayout::copyCeiling(OnboardingTypeSize typeSize,
                                                    std::optional<double> illustrationHeight) {
  if (!illustrationHeight || typeSize == OnboardingTypeSize::accessibility) return std::nullopt;
  return copyAllowance(typeSize) * copyHeadroom;
}

OnboardingLayout::Composition OnboardingLayout::composition(double bandWidth) {
  const double band = std::isfinite(bandWidth) && bandWidth > 0 ? bandWidth : 0;
  const double width = std::min(band, compositionMaxWidth);
  return {width, std::max(0.0, (band - width) / 2)};
}

}  // namespace kelvo
