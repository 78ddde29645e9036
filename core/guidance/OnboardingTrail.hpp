#pragma once

// The segmented progress trail: how full each segment is for a fractional page position, as a pager
// gives it during a drag:
//
//   const OnboardingPager pager(5, 1, /*width=*/390, /*translation=*/-195);  // halfway to page 3
//   const OnboardingTrail trail(pager);
//   std::vector<double> fills;  // 1, 1, 0.5, 0, 0
//   for (std::int64_t i = 0; i < trail.segmentCount(); ++i) fills.push_back(trail.fill(i));

#include <cstdint>

#include "core/guidance/OnboardingPager.hpp"

namespace kelvo {

class OnboardingTrail {
 public:
  /// At least one segment; a position that is not finite reads as 0, then is clamped into
  /// 0 … segmentCount − 1.
  OnboardingTrail(std::int64_t segmentCount, double position);
  explicit OnboardingTrail(const OnboardingPager& pager)
      : OnboardingTrail(pager.pageCount(), pager.clampedProgress()) {}

  std::int64_t segmentCount() const { return segmentCount_; }
  double position() const { return position_; }

  /// 0 … 1: segment 0 is full from the start, segment i fills while the position moves from
  /// i − 1 to i. 0 outside the segments.
  double fill(std::int64_t segment) const;
  bool isComplete(std::int64_t segment) const;
  /// The share of the whole trail that is filled.
  double headFraction() const;
  std::int64_t nearestSegment() const;

  friend bool operator==(const OnboardingTrail&, const OnboardingTrail&) = default;

 private:
  std::int64_t segmentCount_;
  double position_;
};

}  // namespace kelvo
