#include "core/model/ReminderSchedule.hpp"

#include <gtest/gtest.h>

#include "tests/agenda/AgendaTestSupport.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

using testing::clock;
using testing::zone;
using Schedule = ReminderSchedule;

class ReminderScheduleTest : public testing::NewYorkTest {};

TEST_F(ReminderScheduleTest, DayDistanceCountsCalendarDays) {
  EXPECT_EQ(Schedule::dayDistance(at(2025, 3, 8, 23, 50), at(2025, 3, 9, 0, 10), calendar), 1);
  EXPECT_EQ(Schedule::dayDistance(at(2025, 3, 8, 12), at(2025, 3, 10, 12), calendar), 2);
  EXPECT_EQ(Schedule::dayDistance(at(2025, 11, 1, 0, 30), at(2025, 11, 3, 23), calendar), 2);
  EXPECT_EQ(Schedule::dayDistance(at(2025, 11, 3, 1), at(2025, 11, 1, 23), calendar), -2);
  EXPECT_EQ(Schedule::dayDistance(at(2025, 3, 9, 0), at(2025, 3, 9, 23, 59), calendar), 0);
  EXPECT_GT(Schedule::dayDistance(Date::distantPast(), at(2025, 1, 1), calendar), 739'000);
  EXPECT_EQ(Schedule::dayDistance(Date(std::nan("")), at(2025, 1, 1), calendar), 0);

  // Day numbers agree with the calendar's own day difference between day starts, across both
  // changes here and across the day Samoa skipped (30 December 2011).
  const Calendar apia(zone("Pacific/Apia"));
  struct Case {
    const Calendar* calendar;
    Date from;
    Date to;
  };
  const Date beforeSkip = *apia.date(2011, 12, 29, 12);
  const Case cases[] = {
      {&calendar, at(2025, 3, 8, 23), at(2025, 3, 9, 5)},
      {&calendar, at(2025, 3, 9, 3, 30), at(2025, 3, 16, 1)},
      {&calendar, at(2025, 11, 2, 1, 30), at(2025, 11, 2, 23, 59)},
      {&calendar, at(2025, 10, 26), at(2025, 11, 9, 23)},
      {&apia, beforeSkip, beforeSkip + 86'400},
      {&apia, beforeSkip, *apia.date(2012, 1, 2, 8)},
  };
  for (const Case& c : cases) {
    const auto& cal = *c.calendar;
    const auto expected =
        cal.difference(Calendar::Component::day, cal.startOfDay(c.from), cal.startOfDay(c.to));
    EXPECT_EQ(Schedule::dayDistance(c.from, c.to, cal), expected.value_or(-999));
    EXPECT_EQ(Schedule::dayDistance(c.to, c.from, cal), -expected.value_or(-999));
  }
}

TEST_F(ReminderScheduleTest, BucketsAndOverdue) {
  const Date now = at(2025, 3, 12, 10);
  EXPECT_EQ(Schedule::bucket(now, now, calendar), ReminderBucket::today);
  EXPECT_EQ(Schedule::bucket(now - 1, now, calendar), ReminderBucket::overdue);
  EXPECT_EQ(Schedule::bucket(Date::distantPast(), now, calendar), ReminderBucket::overdue);
  EXPECT_EQ(Schedule::bucket(at(2025, 3, 12, 23, 59), now, calendar), ReminderBucket::today);
  EXPECT_EQ(Schedule::bucket(at(2025, 3, 13, 0, 1), at(2025, 3, 12, 23, 59), calendar),
            ReminderBucket::thisWeek);
  EXPECT_EQ(Schedule::bucket(at(2025, 3, 19, 23), now, calendar), ReminderBucket::thisWeek);
  EXPECT_EQ(Schedule::bucket(at(2025, 3, 20, 0), now, calendar), ReminderBucket::later);

  EXPECT_FALSE(Schedule::isOverdue(now, false, now));
  EXPECT_TRUE(Schedule::isOverdue(now - 1, false, now));
  EXPECT_FALSE(Schedule::isOverdue(now - 1, true, now));
}

TEST_F(ReminderScheduleTest, DueDescriptions) {
  const Date now = at(2025, 3, 12, 10);  // a Wednesday
  struct Case {
    Date fireAt;
    Date now;
    std::string expected;
  };
  const Case cases[] = {
      {now - 1, now, "Overdue since " + clock("9:59", "AM")},
      {at(2025, 3, 11, 23, 30), at(2025, 3, 12, 0, 10), "Overdue by 1 day"},
      {at(2025, 3, 9, 11), now, "Overdue by 3 days"},
      {now, now, "Due today at " + clock("10:00", "AM")},
      {at(2025, 3, 12, 17), now, "Due today at " + clock("5:00", "PM")},
      {at(2025, 3, 13, 0, 1), now, "Due tomorrow"},
      {at(2025, 3, 14, 8), now, "Due Friday"},
      {at(2025, 3, 18, 8), now, "Due Tuesday"},
      {at(2025, 3, 19, 8), now, "Due Mar 19, 2025"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Schedule::dueDescription(c.fireAt, c.now, calendar), c.expected);
  }
  // The texts follow the current zone and locale, not the calendar that counts the days.
  TimeZone::setCurrent(TimeZone::utc());
  EXPECT_EQ(Schedule::dueDescription(now + 3600, now, calendar),
            "Due today at " + clock("3:00", "PM"));
  Locale::setCurrent(Locale("de_DE"));
  EXPECT_EQ(Schedule::dueDescription(at(2025, 3, 14, 8), now, calendar), "Due Freitag");
}

TEST_F(ReminderScheduleTest, NextOccurrenceCountsFromTheAnchor) {
  using R = ReminderRepeat;
  struct Case {
    R rule;
    Date from;
    Date after;
    std::optional<Date> expected;
  };
  const Case cases[] = {
      {R::monthly, at(2025, 1, 30, 9), at(2025, 2, 1), at(2025, 2, 28, 9)},
      {R::monthly, at(2025, 1, 30, 9), at(2025, 2, 28, 9), at(2025, 3, 30, 9)},
      {R::monthly, at(2024, 1, 31, 9), at(2024, 3, 1), at(2024, 3, 31, 9)},
      {R::quarterly, at(2025, 11, 30, 9), at(2025, 12, 1), at(2026, 2, 28, 9)},
      {R::quarterly, at(2025, 11, 30, 9), at(2026, 2, 28, 9), at(2026, 5, 30, 9)},
      {R::quarterly, at(2025, 1, 10, 9), at(2025, 4, 10, 9), at(2025, 7, 10, 9)},
      {R::yearly, at(2028, 2, 29, 9), at(2028, 3, 1), at(2029, 2, 28, 9)},
      {R::yearly, at(2024, 2, 29, 9), at(2027, 3, 1), at(2028, 2, 29, 9)},
      // Monday 3 March; clocks change on Sunday the 9th; the wall time stays 09:00.
      {R::weekly, at(2025, 3, 3, 9), at(2025, 3, 5), at(2025, 3, 10, 9)},
      {R::weekly, at(2025, 3, 3, 9), at(2025, 3, 3, 9), at(2025, 3, 10, 9)},
      {R::none, at(2025, 3, 3, 9), at(2025, 3, 1), at(2025, 3, 3, 9)},
      {R::none, at(2025, 3, 3, 9), at(2025, 3, 3, 9), std::nullopt},
      {R::weekly, at(2025, 3, 3, 9), at(4025, 3, 3, 9), at(4025, 3, 10, 9)},
      {R::weekly, at(2025, 3, 3, 9), Date(1e15), std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Schedule::nextOccurrence(c.after, c.from, c.rule, calendar), c.expected)
        << rawValue(c.rule);
  }
}

TEST_F(ReminderScheduleTest, Presets) {
  EXPECT_EQ(Schedule::tomorrowMorning(at(2025, 3, 8, 23, 30), calendar), at(2025, 3, 9, 9));
  EXPECT_EQ(Schedule::tomorrowMorning(at(2025, 3, 12, 0, 0), calendar), at(2025, 3, 13, 9));
  // Sunday evening, then a Monday just before and at 09:00.
  EXPECT_EQ(Schedule::nextMondayMorning(at(2025, 3, 9, 20), calendar), at(2025, 3, 10, 9));
  EXPECT_EQ(Schedule::nextMondayMorning(at(2025, 3, 10, 8, 59, 59), calendar),
            at(2025, 3, 10, 9));
  EXPECT_EQ(Schedule::nextMondayMorning(at(2025, 3, 10, 9), calendar), at(2025, 3, 17, 9));
  EXPECT_EQ(Schedule::inAWeek(at(2025, 3, 5, 14, 15), calendar), at(2025, 3, 12, 14, 15));
  EXPECT_EQ(Schedule::nextQuarter(at(2025, 11, 30, 16, 45), calendar), at(2026, 2, 28, 16, 45));
  EXPECT_FALSE(Schedule::tomorrowMorning(Date(std::nan("")), calendar));
}

}  // namespace
}  // namespace kelvo
