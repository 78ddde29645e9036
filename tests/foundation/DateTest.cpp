#include "platform/foundation/Date.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(DateTest, ConvertsToUnixTimeAndAddsIntervals) {
  EXPECT_EQ(Date(0).timeIntervalSince1970(), 978'307'200.0);
  EXPECT_EQ(Date::fromUnixTime(1'700'000'000.5).timeIntervalSince1970(), 1'700'000'000.5);
  EXPECT_EQ(Date::distantPast().timeIntervalSince1970(), -62'135'769'600.0);
  EXPECT_GT(Date::distantFuture(), Date::fromUnixTime(4e10));
  Date date(100);
  EXPECT_EQ(date - 150, Date(-50));
  EXPECT_EQ(Date(150) - date, 50);
  date += 0.25;
  EXPECT_EQ(date.timeIntervalSinceReferenceDate(), 100.25);
}

}  // namespace
}  // namespace kelvo
