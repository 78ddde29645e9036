#include "core/guidance/OnboardingPager.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace kelvo {
namespace {

TEST(OnboardingPagerTest, RubberBandPastTheEnds) {
  const OnboardingPager last(5, 4, 300, -60);
  EXPECT_NEAR(last.resistedTranslation(), -31.4286, 1e-4);
  EXPECT_NEAR(last.progress(), 4.1048, 1e-4);
  EXPECT_EQ(last.clampedProgress(), 4);
  EXPECT_NEAR(last.offset(), -1231.43, 1e-2);
  EXPECT_EQ(last.commit(-2000), 4);

  const OnboardingPager first(5, 0, 400, 100);
  EXPECT_NEAR(first.resistedTranslation(), 8800.0 / 188, 1e-9);
  EXPECT_EQ(first.clampedProgress(), 0);
  // Inward pulls and single pages.
  EXPECT_EQ(OnboardingPager(5, 2, 300, -60).resistedTranslation(), -60);
  EXPECT_LT(std::abs(OnboardingPager(1, 0, 300, 1e9).resistedTranslation()), 66);
  EXPECT_LT(std::abs(OnboardingPager(1, 0, 1e300, -1e308).resistedTranslation()), 0.22e300);
}

TEST(OnboardingPagerTest, ReleaseDecidesThePage) {
  const struct {
    double translation, velocity;
    std::int64_t page;
  } releases[] = {
      {-66, 0, 3},    {-65, 0, 2},  {66, 0, 1},  {-5, -320, 3},
      {100, -600, 2}, {0, -320, 3}, {0, 319, 2}, {0, 0, 2},
  };
  for (const auto& release : releases) {
    EXPECT_EQ(OnboardingPager(5, 2, 300, release.translation).commit(release.velocity),
              release.page)
        << release.translation << " " << release.velocity;
  }
  const OnboardingPager settled = OnboardingPager(5, 2, 300, -100).settled(0);
  EXPECT_EQ(settled, OnboardingPager(5, 3, 300, 0));
  EXPECT_EQ(OnboardingPager(1, 0, 300, -200).commit(-900), 0);
}

TEST(OnboardingPagerTest, NonFiniteInputCountsAsZero) {
  const double nan = std::nan("");
  const OnboardingPager pager(5, 2, nan, INFINITY);
  EXPECT_EQ(pager.width(), 0);
  EXPECT_EQ(pager.translation(), 0);
  EXPECT_EQ(pager.progress(), 2);
  EXPECT_EQ(OnboardingPager(5, 2, INFINITY, -50).width(), 0);
  EXPECT_EQ(OnboardingPager(5, 2, 300, nan).offset(), -600);
  EXPECT_EQ(OnboardingPager(5, 2, 300, -10).commit(nan), 2);
  EXPECT_EQ(OnboardingPager(5, 2, 300, -10).commit(-INFINITY), 2);
  EXPECT_EQ(OnboardingPager(9, 99, 300, 0).pageIndex(), 8);

  EXPECT_TRUE(OnboardingPager::claimsDrag(-12, 10));
  EXPECT_FALSE(OnboardingPager::claimsDrag(5, 5));
  EXPECT_FALSE(OnboardingPager::claimsDrag(0, 0));
  EXPECT_FALSE(OnboardingPager::claimsDrag(11, 10));

  const std::hash<OnboardingPager> hash;
  EXPECT_EQ(OnboardingPager(5, 2, 300, -0.0), OnboardingPager(5, 2, 300, 0.0));
  EXPECT_EQ(hash(OnboardingPager(5, 2, 300, -0.0)), hash(OnboardingPager(5, 2, 300, 0.0)));
}

}  // namespace
}  // namespace kelvo
