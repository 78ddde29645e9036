#include "core/guidance/OnboardingTrail.hpp"

#include <algorithm>
#include <cmath>

namespace kelvo {

OnboardingTrail::OnboardingTrail(std::int64_t segmentCount, double position)
    : segmentCount_(std::max<std::int64_t>(segmentCount, 1)),
      position_(std::clamp(std::isfinite(position) ? position : 0.0, 0.0,
                           static_cast<double>(segmentCount_ - 1))) {}

double OnboardingTrail::fill(std::int64_t segment) const {
  if (segment < 0 || segment >= segmentCount_) return 0;
  return std::clamp(position_ - static_cast<double>(segment) + 1, 0.0, 1.0);
}

bool OnboardingTrail::isComplete(std::int64_t segment) const {
  return segment >= 0 && segment < segmentCount_ && position_ >= static_cast<double>(segment);
}

double OnboardingTrail::headFraction() const {
  return (position_ + 1) / static_cast<double>(segmentCount_);
}

std::int64_t OnboardingTrail::nearestSegment() const {
  // std::round takes halves away from zero. Near 2^63 the last segment's index does not fit a
  // double exactly, so compare before converting.
  const double rounded = std::round(position_);
  if (rounded >= static_cast<double>(segmentCount_ - 1)) return segmentCount_ - 1;
  return static_cast<std::int64_t>(rounded);
}

}  // namespace kelvo
