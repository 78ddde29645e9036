#pragma once

// A calendar and current settings in a zone with daylight saving, and makers of moments in it.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

/// A short random text of pieces that spell the same characters in several ways: precomposed
/// and combining, marks in either order, another letter case, a sign that decomposes to a letter.
inline std::string spelling(std::mt19937& random) {
  static const char* const pieces[] = {
      "Zo",     "e",      "\u00EB",        "\u0308",        "E", "\u00CB", "A\u030A",
      "\u00E5", "\u212B", "q\u0323\u0307", "q\u0307\u0323", " ", "x"};
  std::string text;
  for (int i = 1 + static_cast<int>(random() % 3); i > 0; --i) {
    text += pieces[random() % std::size(pieces)];
  }
  return text;
}

/// Two spellings of one short random text: each letter in one of its canonically equivalent
/// forms, now and then in the other case.
inline std::pair<std::string, std::string> respelled(std::mt19937& random) {
  // Forms 1 and 2, 3 and 4, 5 and 6 are one letter in two cases.
  static const std::vector<std::vector<std::string_view>> forms{{"Zo"},
                                                                {"e"},
                                                                {"E"},
                                                                {"\u00EB", "e\u0308"},
                                                                {"\u00CB", "E\u0308"},
                                                                {"\u00E5", "a\u030A"},
                                                                {"\u00C5", "A\u030A", "\u212B"},
                                                                {"q\u0323\u0307", "q\u0307\u0323"},
                                                                {" "},
                                                                {"x"}};
  std::pair<std::string, std::string> texts;
  for (int i = 1 + static_cast<int>(random() % 3); i > 0; --i) {
    std::size_t form = random() % forms.size();
    texts.first += forms[form][random() % forms[form].size()];
    if (form >= 1 && form <= 6 && random() % 4 == 0) form += form % 2 == 1 ? 1 : -1;
    texts.second += forms[form][random() % forms[form].size()];
  }
  return texts;
}

/// "9:00 AM" as ICU 72 writes it in en_US, with a narrow no-break space.
inline std::string clock(const std::string& time, const std::string& half) {
  return time + "\u202F" + half;
}

}  // namespace kelvo::testing
