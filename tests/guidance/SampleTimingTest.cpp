#include "core/guidance/SampleTiming.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

TEST(SampleTimingTest, StaysOnToday) {
  const Calendar newYork(*TimeZone::named("America/New_York"));
  const Calendar utc(*TimeZone::named("UTC"));
  const auto at = [&](const Calendar& calendar, int day, int hour, int minute, int second = 0) {
    return *calendar.date(2024, 3, day, hour, minute, second);
  };
  constexpr double hour = 3600;

  // The spring-forward day: 03:30 EDT is 07:30 UTC, and three hours back is the day before.
  const Date springMorning = at(newYork, 10, 3, 30);
  EXPECT_EQ(SampleTiming::withinToday(3 * hour, springMorning, newYork), at(newYork, 10, 0, 0, 1));
  EXPECT_EQ(SampleTiming::withinToday(3 * hour, springMorning, utc), springMorning - 3 * hour);

  const Date lateEvening = at(newYork, 12, 23, 30);
  EXPECT_EQ(SampleTiming::withinToday(-hour, lateEvening, newYork), at(newYork, 13, 0, 30));
  EXPECT_EQ(SampleTiming::withinToday(2 * hour, at(newYork, 12, 14, 0), newYork),
            at(newYork, 12, 12, 0));
  const Date floor = at(newYork, 12, 0, 0, 1);
  EXPECT_EQ(SampleTiming::withinToday(hour - 1, at(newYork, 12, 1, 0), newYork), floor);
  EXPECT_EQ(SampleTiming::withinToday(0, at(newYork, 12, 0, 0) + 0.5, newYork), floor);

  EXPECT_EQ(SampleTiming::withinToday(std::nan(""), lateEvening, newYork), lateEvening);
  EXPECT_EQ(SampleTiming::withinToday(-INFINITY, lateEvening, newYork), lateEvening);
  const Date never(INFINITY);
  EXPECT_EQ(SampleTiming::withinToday(hour, never, newYork), never);
  EXPECT_TRUE(std::isnan(SampleTiming::withinToday(hour, Date(std::nan("")), newYork)
                             .timeIntervalSinceReferenceDate()));
}

}  // namespace
}  // namespace kelvo
