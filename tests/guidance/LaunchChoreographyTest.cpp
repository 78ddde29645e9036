#include "core/guidance/LaunchChoreography.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kelvo {
namespace {

using L = LaunchChoreography;
using Phase = L::Phase;
constexpr double inf = std::numeric_limits<double>::infinity();
const double nan = std::nan("");

TEST(LaunchChoreographyTest, FullMotionFrames) {
  EXPECT_NEAR(L::dismissAt(0.9, false), 1.22, 1e-12);
  auto frame = L::frame(1.0, 0.9, false);
  EXPECT_EQ(frame.phase, Phase::handoff);
  EXPECT_NEAR(frame.exitProgress, 0.3125, 1e-12);
  EXPECT_NEAR(frame.lockUpScale, 1.01875, 1e-12);

  frame = L::frame(0.35, 1.0, false);
  EXPECT_EQ(frame.phase, Phase::assembling);
  EXPECT_NEAR(frame.assembly, 0.5, 1e-12);
  EXPECT_NEAR(L::dismissAt(1.0, false), 1.32, 1e-12);

  frame = L::frame(0.55, 0.2, false);
  EXPECT_EQ(frame.phase, Phase::settling);
  EXPECT_NEAR(frame.markOpacity, 0.5, 1e-9);
  EXPECT_NEAR(frame.markLight, 1.0 / 6, 1e-9);
  EXPECT_NEAR(frame.wordmarkOpacity, 0.15 / 0.65, 1e-9);

  EXPECT_NEAR(L::dismissAt(2.5, false), 2.82, 1e-12);
  EXPECT_EQ(L::frame(2.49, 2.5, false).phase, Phase::settling);
  EXPECT_FALSE(L::frame(10, 2.5, false).showsStatus);
  EXPECT_FALSE(L::frame(10, 2.5, false).isSlow);
}

TEST(LaunchChoreographyTest, WaitingHoldsTheScreen) {
  auto frame = L::frame(1.0, std::nullopt, false);
  EXPECT_EQ(frame.phase, Phase::assembling);
  EXPECT_TRUE(frame.showsStatus);
  EXPECT_FALSE(frame.isSlow);
  EXPECT_NEAR(frame.progress, 1.0 / 1.4, 1e-12);
  frame = L::frame(3.0, std::nullopt, false);
  EXPECT_EQ(frame.phase, Phase::settling);
  EXPECT_TRUE(frame.isSlow);
  EXPECT_EQ(frame.progress, 1);
  EXPECT_EQ(frame.exitProgress, 0);
  EXPECT_EQ(L::dismissAt(std::nullopt, false), inf);
  // A ready time that is not a usable number is no ready time.
  for (double ready : {nan, inf, -inf}) {
    for (double t : {0.5, 1.0, 3.0, 50.0}) {
      EXPECT_EQ(L::frame(t, ready, false), L::frame(t, std::nullopt, false)) << ready << " " << t;
    }
    EXPECT_EQ(L::dismissAt(ready, true), inf);
  }
  const auto reduced = L::frame(0.3, std::nullopt, true);
  EXPECT_EQ(reduced.progress, 1);
  EXPECT_EQ(reduced.phase, Phase::settling);
}

TEST(LaunchChoreographyTest, ReduceMotionJumpsToDone) {
  EXPECT_NEAR(L::dismissAt(-5, true), 0.7, 1e-12);
  EXPECT_NEAR(L::dismissAt(-5, false), 1.02, 1e-12);
  const auto first = L::frame(0, 0.2, true);
  EXPECT_EQ(first.phase, Phase::settling);
  EXPECT_EQ(first.assembly, 1);
  EXPECT_EQ(first.markLight, 1);
  EXPECT_EQ(first.wordmarkOpacity, 1);
  EXPECT_EQ(first.progress, 0);
  const auto last = L::frame(0.7, 0.2, true);
  EXPECT_EQ(last.phase, Phase::done);
  EXPECT_TRUE(last.isComplete);
  EXPECT_EQ(last.lockUpScale, 1.06);
}

TEST(LaunchChoreographyTest, DoneExactlyAtDismissAndBadTimesReadAsZero) {
  for (bool reduce : {false, true}) {
    for (double ready : {-1.0, 0.2, 0.9, 1.0, 1.7, 2.5, 1e9}) {
      const double end = L::dismissAt(ready, reduce);
      EXPECT_TRUE(L::frame(end, ready, reduce).isComplete) << ready;
      EXPECT_FALSE(L::frame(std::nextafter(end, 0.0), ready, reduce).isComplete) << ready;
      for (double t : {nan, -3.0, -inf, inf}) {
        EXPECT_EQ(L::frame(t, ready, reduce), L::frame(0, ready, reduce)) << t;
      }
    }
  }
}

TEST(LaunchChoreographyTest, Copy) {
  EXPECT_EQ(LaunchCopy::markLabel(), "Kelvo is opening");
  EXPECT_EQ(LaunchCopy::wordmark(), "Kelvo");
  EXPECT_EQ(LaunchCopy::status(), "Opening your library\xE2\x80\xA6");
  EXPECT_EQ(LaunchCopy::slowStatus(), "Still opening. Large libraries take a moment.");
}

}  // namespace
}  // namespace kelvo
