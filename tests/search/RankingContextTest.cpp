#include "core/search/RankingContext.hpp"

#include <gtest/gtest.h>

#include <climits>

#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/TimeZone.hpp"

namespace kelvo {
namespace {

TEST(RankingContextTest, WorkingHoursAreNineToSeventeen) {
  RankingContext context;
  for (const std::int64_t hour : {9, 10, 13, 17}) {
    context.hour = hour;
    EXPECT_TRUE(context.isWorkingHours()) << hour;
  }
  for (const std::int64_t hour :
       {std::int64_t{-1}, std::int64_t{0}, std::int64_t{8}, std::int64_t{18}, std::int64_t{23},
        std::int64_t{24}, INT64_MIN, INT64_MAX}) {
    context.hour = hour;
    EXPECT_FALSE(context.isWorkingHours()) << hour;
  }
}

TEST(RankingContextTest, CurrentTakesTheCalendarsHourAndTheWorkShelves) {
  // 2001-01-01 00:00 UTC plus 14 h 30 min.
  const Date now(14 * 3'600 + 1'800);
  const auto context = RankingContext::current("Mail", now, Calendar(TimeZone::utc()));
  EXPECT_EQ(context.hostApp, std::optional<std::string>("Mail"));
  EXPECT_EQ(context.hour, 14);
  EXPECT_EQ(context.now, now);
  EXPECT_EQ(context.workShelfNames, (RankingContext::ShelfNames{"Work", "Clients"}));
  EXPECT_TRUE(context.workShelfNames.contains("Clients"));
  EXPECT_FALSE(context.workShelfNames.contains("work"));
  EXPECT_FALSE(context.workShelfNames.contains("Clients "));
  EXPECT_FALSE(RankingContext::current(std::nullopt, now, Calendar(TimeZone::utc())).hostApp);
  // The hour is the calendar's: 14:30 UTC is 09:30 in New York in winter.
  const auto newYork = TimeZone::named("America/New_York");
  ASSERT_TRUE(newYork);
  EXPECT_EQ(RankingContext::current(std::nullopt, now, Calendar(*newYork)).hour, 9);
}

}  // namespace
}  // namespace kelvo
