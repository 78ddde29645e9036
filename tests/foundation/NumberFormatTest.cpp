#include "platform/foundation/NumberFormat.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <utility>

namespace kelvo {
namespace {

TEST(NumberFormatTest, GroupsAndPadsAsTheLocaleDoes) {
  EXPECT_EQ(formatInteger(1234), "1,234");
  EXPECT_EQ(formatInteger(1234, Locale("de_DE")), "1.234");
  EXPECT_EQ(formatInteger(1234, {.grouping = false}), "1234");
  EXPECT_EQ(formatInteger(std::numeric_limits<std::int64_t>::min()), "-9,223,372,036,854,775,808");
  EXPECT_EQ(formatInteger(12, Locale("nonsense")), "12");
  Locale::setCurrent(Locale("de_DE"));
  EXPECT_EQ(formatInteger(1234), "1.234");

  EXPECT_EQ(formatInteger(1, {.grouping = false, .minimumIntegerDigits = 2}), "01");
  EXPECT_EQ(formatInteger(123, {.grouping = false, .minimumIntegerDigits = 2}), "123");
  EXPECT_EQ(formatInteger(-5, {.minimumIntegerDigits = 3}), "-005");
  EXPECT_EQ(formatInteger(0, {.minimumIntegerDigits = -4}), "0");
  EXPECT_EQ(formatInteger(7, {.grouping = false, .minimumIntegerDigits = 1000}).size(), 40u);
}

TEST(NumberFormatTest, DescribingADouble) {
  const std::pair<double, const char*> cases[] = {
      {0, "0.0"},
      {-0.0, "-0.0"},
      {3, "3.0"},
      {12.5, "12.5"},
      {-86'400, "-86400.0"},
      {0.1, "0.1"},
      {0.0001, "0.0001"},
      {0.00001, "1e-05"},
      {9007199254740992.0, "9007199254740992.0"},
      {1e15, "1000000000000000.0"},
      {1.5e16, "1.5e+16"},
      {-1e300, "-1e+300"},
      {5e-324, "5e-324"},
      {std::numeric_limits<double>::infinity(), "inf"},
      {std::numeric_limits<double>::quiet_NaN(), "nan"},
  };
  for (const auto& [value, expected] : cases) EXPECT_EQ(describing(value), expected) << expected;
}

}  // namespace
}  // namespace kelvo
