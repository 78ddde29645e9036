#pragma once

// A live horizontal drag over the tour's pages: the fractional position, a rubber band past either
// end, and on release the page to settle on. Rebuilt on every drag event:
//
//   OnboardingProgress progress = OnboardingProgress::clampedTo(5);
//   const OnboardingPager pager(5, progress.pageIndex(), /*width=*/390, /*translation=*/-120);
//   const double offset = pager.offset();  // where the strip of pages is drawn
//   progress.go(pager.commit(/*velocity=*/0));  // the second page: the drag went far enough

#include <cstddef>
#include <cstdint>
#include <functional>

namespace kelvo {

class OnboardingPager {
 public:
  /// A release commits once the drag covers this fraction of the width.
  static constexpr double commitFraction = 0.22;
  /// Points per second from which a release is a fling.
  static constexpr double commitVelocity = 320;
  /// Stiffness of the rubber band past the ends, as a fraction of the width.
  static constexpr double endResistance = 0.22;
  /// How much more horizontal than vertical a drag must be for the pager to take it.
  static constexpr double horizontalDominance = 1.2;

  /// At least one page, the index within them, a width of 0 unless positive and finite, and a
  /// translation of 0 unless finite (negative towards the next page).
  OnboardingPager(std::int64_t pageCount, std::int64_t pageIndex, double width, double translation);

  std::int64_t pageCount() const { return pageCount_; }
  std::int64_t pageIndex() const { return pageIndex_; }
  double width() const { return width_; }
  double translation() const { return translation_; }

  /// `translation` with the rubber band applied to a pull past the first or last page.
  double resisted(double translation) const;
  double resistedTranslation() const { return resisted(translation_); }
  /// The fractional page under the finger (beyond the ends while pulling past them).
  double progress() const;
  double clampedProgress() const;
  /// The horizontal offset of the strip of pages.
  double offset() const;
  /// The page to settle on when released at `velocity` points per second.
  std::int64_t commit(double velocity) const;
  OnboardingPager settled(double velocity) const;
  /// Whether a drag is horizontal enough to page.
  static bool claimsDrag(double dx, double dy);

  friend bool operator==(const OnboardingPager&, const OnboardingPager&) = default;

 private:
  std::int64_t pageCount_;
  std::int64_t pageIndex_;
  double width_;
  double translation_;
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::OnboardingPager> {
  /// Agrees with ==, under which −0 equals 0.
  std::size_t operator()(const kelvo::OnboardingPager& pager) const noexcept;
};
