#include "platform/foundation/DateFormat.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace kelvo {
namespace {

using Style = DateFormatter::Style;

Calendar in(const char* zone) { return Calendar(*TimeZone::named(zone), Locale("en_US")); }

TEST(DateFormatTest, StylesAndSkeletonsOfTheLocale) {
  const Calendar utc = in("UTC");
  const Date morning = *utc.date(2026, 12, 12, 9);  // a Saturday
  EXPECT_EQ(DateFormatter(Style::none, Style::shortStyle, utc).format(morning), "9:00\u202FAM");
  EXPECT_EQ(DateFormatter(Style::mediumStyle, Style::none, utc).format(morning), "Dec 12, 2026");
  EXPECT_EQ(DateFormatter::fromPattern("EEEE", utc).format(morning), "Saturday");
  EXPECT_EQ(DateFormatter(Style::none, Style::shortStyle, utc, Locale("de_DE")).format(morning),
            "09:00");
  // The calendar's zone decides: 14:00 UTC is 9:00 in New York.
  EXPECT_EQ(DateFormatter(Style::none, Style::shortStyle, in("America/New_York"))
                .format(morning + 5 * 3600),
            "9:00\u202FAM");
  EXPECT_EQ(DateFormatter(Style::mediumStyle, Style::none, utc).format(Date(NAN)), "");

  const auto month = DateFormatter::fromTemplate("MMMMyyyy", utc);
  EXPECT_EQ(month.format(morning), "December 2026");
  EXPECT_EQ(DateFormatter::fromTemplate("EEEdMMM", utc).format(morning), "Sat, Dec 12");
  EXPECT_EQ(DateFormatter::fromTemplate("EEEdMMM", utc, Locale("de_DE")).format(morning),
            "Sa., 12. Dez.");
}

TEST(DateFormatTest, RelativeDates) {
  const Calendar utc = in("UTC");
  const Date now = *utc.date(2026, 12, 12, 9);
  EXPECT_EQ(formatRelative(now + 2 * 86400, now, utc), "in 2 days");
  EXPECT_EQ(formatRelative(now - 3 * 3600 - 59, now, utc), "3 hours ago");
  EXPECT_EQ(formatRelative(now, now, utc), "in 0 seconds");
  EXPECT_EQ(formatRelative(now - 3 * 3600, now, utc, Locale("de_DE")), "vor 3 Stunden");
}

}  // namespace
}  // namespace kelvo
