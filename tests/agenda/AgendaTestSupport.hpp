#pragma once

// A calendar and current settings in a zone with daylight saving, and makers of moments in it.
#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/Locale.hpp"
#include "platform/foundation/TimeZone.hpp"

namespace kelvo::testing {

inline TimeZone zone(const char* identifier) { return *TimeZone::named(identifier); }

/// New York, whose clocks went forward on 9 March 2025 and back on 2 November 2025.
class NewYorkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Locale::setCurrent(Locale("en_US"));
    TimeZone::setCurrent(zone("America/New_York"));
  }
  /// A wall-clock moment in New York; the test fails on a date that does not exist.
  Date at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) const {
    const auto date = calendar.date(year, month, day, hour, minute, second);
    EXPECT_TRUE(date.has_value()) << year << "-" << month << "-" << day;
    return date.value_or(Date());
  }

  const Calendar calendar{zone("America/New_York"), Locale("en_US")};
};

/// "9:00 AM" as ICU 72 writes it in en_US, with a narrow no-break space.
inline std::string clock(const std::string& time, const std::string& half) {
  return time + "\u202F" + half;
}

}  // namespace kelvo::testing
