#include "platform/foundation/DateFormat.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace kelvo {
namespace {

using Style = DateFormatter::Style;

Calendar in(const char* zone) { return Calendar(*TimeZone::named(zone), Locale("en_US")); }

TEST(DateFormatTest, StylesOfTheLocale) {
  const Calendar utc = in("UTC");
  const Date morning = *utc.date(2026, 12, 12, 9);  // a Saturday
  EXPECT_EQ(DateFormatter(Style::none, Style::shortStyle, utc).format(morning), "9:00\u202FAM");
  EXPECT_EQ(DateFormatter(Style::mediumStyle, Style::none, utc).format(morning), "Dec 12, 2026");
  EXPECT_EQ(DateFormatter(Style::none, Style::none, utc).format(morning), "");
  EXPECT_EQ(DateFormatter::fromPattern("EEEE", utc).format(morning), "Saturday");
  EXPECT_EQ(DateFormatter(Style::none, Style::shortStyle, utc, Locale("de_DE")).format(morning),
            "09:00");
  // The calendar's zone decides: 14:00 UTC is 9:00 in New York.
  EXPECT_EQ(DateFormatter(Style::none, Style::shortStyle, in("America/New_York"))
                .format(morning + 5 * 3600),
            "9:00\u202FAM");
  EXPECT_EQ(DateFormatter(Style::mediumStyle, Style::none, utc).format(Date(NAN)), "");
  // Copies share the formatter.
  const DateFormatter original(Style::mediumStyle, Style::shortStyle, utc);
  const DateFormatter copy = original;
  EXPECT_EQ(copy.format(morning), original.format(morning));
}

TEST(DateFormatTest, PatternsFromSkeletons) {
  const Calendar utc = in("UTC");
  const Date day = *utc.date(2026, 12, 12, 9);
  const auto month = DateFormatter::fromTemplate("MMMMyyyy", utc);
  EXPECT_EQ(month.format(day), "December 2026");
  EXPECT_EQ(month.pattern(), "MMMM yyyy");
  EXPECT_EQ(DateFormatter::fromTemplate("MMMMyyyy", utc, Locale("de_DE")).format(day),
            "Dezember 2026");
  EXPECT_EQ(DateFormatter::fromTemplate("EEEdMMM", utc).format(day), "Sat, Dec 12");
  EXPECT_EQ(DateFormatter::fromTemplate("EEEdMMM", utc, Locale("en_GB")).format(day),
            "Sat, 12 Dec");
  EXPECT_EQ(DateFormatter::fromTemplate("EEEdMMM", utc, Locale("de_DE")).format(day),
            "Sa., 12. Dez.");
}

TEST(DateFormatTest, RelativeDates) {
  const Calendar utc = in("UTC");
  const Date now = *utc.date(2026, 12, 12, 9);
  EXPECT_EQ(formatRelative(now + 2 * 86400, now, utc), "in 2 days");
  EXPECT_EQ(formatRelative(now - 3 * 3600 - 59, now, utc), "3 hours ago");
  EXPECT_EQ(formatRelative(now + 14 * 86400, now, utc), "in 2 weeks");
  EXPECT_EQ(formatRelative(*utc.date(2025, 12, 12, 9), now, utc), "1 year ago");
  EXPECT_EQ(formatRelative(now, now, utc), "in 0 seconds");
  EXPECT_EQ(formatRelative(now - 3 * 3600, now, utc, Locale("de_DE")), "vor 3 Stunden");
}

}  // namespace
}  // namespace kelvo
