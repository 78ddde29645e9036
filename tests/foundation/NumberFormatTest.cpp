#include "platform/foundation/NumberFormat.hpp"

#include <gtest/gtest.h>

#include <limits>

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

}  // namespace
}  // namespace kelvo
