#include "core/guidance/OnboardingMotion.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace kelvo {
namespace {

using I = OnboardingPage::Illustration;
using M = OnboardingMotion;

TEST(OnboardingMotionTest, DurationsAndSchedules) {
  EXPECT_EQ(variant(false), M::full);
  EXPECT_EQ(variant(true), M::crossFade);
  EXPECT_NEAR(sequenceDuration(M::crossFade, 4), 2.07, 1e-12);
  EXPECT_NEAR(sequenceDuration(M::full, 3), 2.3, 1e-12);
  EXPECT_EQ(sequenceDuration(M::full, 1), 0.34);
  EXPECT_EQ(sequenceDuration(M::full, 0), 0);
  EXPECT_EQ(sequenceDuration(M::crossFade, -3), 0);

  const std::vector<double> grid = OnboardingScene::schedule(I::grid, M::full);
  const double expected[] = {0, 0.43, 0.86, 1.29, 1.72};
  ASSERT_EQ(grid.size(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_NEAR(grid[i], expected[i], 1e-12);
  EXPECT_EQ(OnboardingScene::schedule(I::identity, M::crossFade), std::vector<double>(4, 0.0));
  EXPECT_NEAR(OnboardingScene::settleDuration(I::grid, M::full), 2.06, 1e-12);
  EXPECT_NEAR(OnboardingScene::settleDuration(I::copy, M::full), 1.63, 1e-12);
  EXPECT_NEAR(OnboardingScene::settleDuration(I::keep, M::crossFade), 0.18, 1e-12);

  EXPECT_NEAR(OnboardingHandoff::totalDelay(M::full), 0.67, 1e-12);
  EXPECT_NEAR(OnboardingHandoff::totalDelay(M::crossFade), 0.45, 1e-12);
  EXPECT_TRUE(OnboardingOpeningDeparture::fadesBreath(I::identity));
  EXPECT_FALSE(OnboardingOpeningDeparture::fadesBreath(I::keep));
  EXPECT_EQ(fromRawValue<OnboardingHandoff::Step>("OpenCapture"), std::nullopt);
}

TEST(OnboardingMotionTest, GraphicEasesOut) {
  const struct {
    double elapsed;
    bool reduce;
    double progress;
  } frames[] = {{0.2, false, 0.578125},
                {0.4, false, 0.875},
                {0.8, false, 1},
                {5, false, 1},
                {-1, false, 0},
                {INFINITY, false, 1},
                {std::nan(""), false, 0},
                {-INFINITY, false, 0},
                {0, true, 1}};
  for (const auto& frame : frames) {
    EXPECT_DOUBLE_EQ(OnboardingGraphic::frame(I::fill, frame.elapsed, frame.reduce).progress,
                     frame.progress)
        << frame.elapsed;
  }
}

}  // namespace
}  // namespace kelvo
