#include "core/guidance/OnboardingProgress.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "core/guidance/OnboardingTrail.hpp"

namespace kelvo {
namespace {

TEST(OnboardingProgressTest, StaysInRangeAndAdvances) {
  EXPECT_EQ(OnboardingProgress::make(0, 0), std::nullopt);
  EXPECT_EQ(OnboardingProgress::make(-3, 0), std::nullopt);
  auto last = *OnboardingProgress::make(5, 9);
  EXPECT_EQ(last.pageIndex(), 4);
  EXPECT_TRUE(last.isFinalPage());
  EXPECT_EQ(last.advance(), OnboardingAdvance::finish());
  EXPECT_EQ(last.pageIndex(), 4);
  EXPECT_EQ(last.primaryActionTitle(), "Keep your first thing");
  EXPECT_EQ(last.primaryActionHint(), "Closes the introduction and opens the capture sheet.");
  last.go(5);
  last.go(-1);
  EXPECT_EQ(last.pageIndex(), 4);

  auto middle = *OnboardingProgress::make(5, 2);
  EXPECT_EQ(middle.pageControlValue(), "Page 3 of 5");
  EXPECT_EQ(middle.fraction(), 0.5);
  EXPECT_EQ(middle.primaryActionTitle(), "Continue");
  EXPECT_EQ(middle.advanceAction(), OnboardingAdvance::next(3));
  EXPECT_EQ(middle.pageIndex(), 2);
  EXPECT_EQ(middle.advance(), OnboardingAdvance::next(3));
  EXPECT_EQ(middle.pageIndex(), 3);
  EXPECT_EQ(OnboardingProgress::make(2000, 1233)->pageControlValue(), "Page 1,234 of 2,000");

  auto first = OnboardingProgress::clampedTo(-4);
  EXPECT_TRUE(first.isOnlyPage());
  EXPECT_EQ(first.fraction(), 1.0);
  first.goBack();
  EXPECT_EQ(first.pageIndex(), 0);
  EXPECT_EQ(first.advance(), OnboardingAdvance::finish());
}

TEST(OnboardingProgressTest, TrailFillsSegmentByPosition) {
  const OnboardingTrail trail(4, 2.25);
  const double fills[] = {1, 1, 1, 0.25};
  for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(trail.fill(i), fills[i]) << i;
  EXPECT_EQ(trail.fill(-1), 0);
  EXPECT_EQ(trail.fill(4), 0);
  EXPECT_EQ(trail.nearestSegment(), 2);
  EXPECT_DOUBLE_EQ(trail.headFraction(), 0.8125);
  EXPECT_TRUE(trail.isComplete(2));
  EXPECT_FALSE(trail.isComplete(3));
  EXPECT_EQ(OnboardingTrail(4, 2.5).nearestSegment(), 3);

  EXPECT_EQ(OnboardingTrail(OnboardingPager(5, 4, 300, -60)).position(), 4);
  EXPECT_EQ(OnboardingTrail(3, INFINITY).position(), 0);
  EXPECT_EQ(OnboardingTrail(3, std::nan("")).position(), 0);
  EXPECT_EQ(OnboardingTrail(3, 7).position(), 2);
  EXPECT_EQ(OnboardingTrail(0, 7).segmentCount(), 1);
  const OnboardingTrail huge(INT64_MAX, 1e300);
  EXPECT_EQ(huge.nearestSegment(), INT64_MAX - 1);
}

}  // namespace
}  // namespace kelvo
