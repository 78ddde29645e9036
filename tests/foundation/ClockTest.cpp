#include "platform/foundation/Clock.hpp"

#include <gtest/gtest.h>

#include <ctime>

#include "platform/foundation/Error.hpp"

namespace kelvo {
namespace {

TEST(ClockTest, SystemAndManualClocks) {
  const Clock& system = Clock::system();
  const Date unixNow = Date::fromUnixTime(static_cast<double>(std::time(nullptr)));
  EXPECT_LT(std::abs(system.now() - unixNow), 5.0);
  const TimeInterval first = system.continuousNow();
  EXPECT_GT(first, 0.0);
  EXPECT_LE(first, system.continuousNow());

  ManualClock clock(Date(1000));
  clock.advance(12.5);
  EXPECT_EQ(clock.now(), Date(1012.5));
  clock.set(Date(0));  // the user sets the wall clock back
  EXPECT_EQ(clock.now(), Date(0));
  EXPECT_EQ(clock.continuousNow(), 12.5);
}

TEST(ClockDeathTest, ContinuousTimeNeverGoesBack) {
  ManualClock clock;
  EXPECT_DEATH(clock.advance(-1), "never goes back");
}

TEST(ErrorDeathTest, FatalWritesItsMessageAndAborts) {
  EXPECT_DEATH(fatal("KelvoModel has no entity named card"), "KelvoModel has no entity named card");
}

}  // namespace
}  // namespace kelvo
