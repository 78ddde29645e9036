#include "core/search/RankingContext.hpp"

#include <gtest/gtest.h>

#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/TimeZone.hpp"

namespace kelvo {
namespace {

TEST(RankingContextTest, WorkingHoursAndTheCurrentContext) {
  RankingContext context;
  for (const std::int64_t hour : {9, 17}) {
    context.hour = hour;
    EXPECT_TRUE(context.isWorkingHours()) << hour;
  }
  for (const std::int64_t hour : {-1, 8, 18}) {
    context.hour = hour;
    EXPECT_FALSE(context.isWorkingHours()) << hour;
  }

  // 2001-01-01 00:00 UTC plus 14 h 30 min.
  const Date now(14 * 3'600 + 1'800);
  const auto current = RankingContext::current("Mail", now, Calendar(TimeZone::utc()));
  EXPECT_EQ(current.hostApp, std::optional<std::string>("Mail"));
  EXPECT_EQ(current.hour, 14);
  EXPECT_EQ(current.now, now);
  EXPECT_EQ(current.workShelfNames, (RankingContext::ShelfNames{"Work", "Clients"}));
  EXPECT_FALSE(current.workShelfNames.contains("work"));
  EXPECT_FALSE(current.workShelfNames.contains("Clients "));
  // The hour is the calendar's: 14:30 UTC is 09:30 in New York in winter.
  const auto newYork = TimeZone::named("America/New_York");
  ASSERT_TRUE(newYork);
  EXPECT_EQ(RankingContext::current(std::nullopt, now, Calendar(*newYork)).hour, 9);
}

}  // namespace
}  // namespace kelvo
