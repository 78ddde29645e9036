#include "core/widget/KelvoWidgetText.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(KelvoWidgetTextTest, RowTitlesCollapseBlanksAndCutAtTheLimitInCharacters) {
  EXPECT_EQ(KelvoWidgetText::rowTitle("Quarterly report for client X"),
            "Quarterly report for client\u2026");
  EXPECT_EQ(KelvoWidgetText::rowTitle(""), "Untitled");
  EXPECT_EQ(KelvoWidgetText::rowTitle("  \n\t \r\n \u2003"), "Untitled");
  EXPECT_EQ(KelvoWidgetText::rowTitle("Invoice", -5), "Untitled");
  EXPECT_EQ(KelvoWidgetText::rowTitle("  Tax \t\t  return\u00A0\n2024  "), "Tax return 2024");

  const std::string twentyEight = "abcdefghijklmnopqrstuvwxyz01";
  EXPECT_EQ(KelvoWidgetText::rowTitle(twentyEight), twentyEight);
  EXPECT_EQ(KelvoWidgetText::rowTitle(twentyEight + "2"), twentyEight + "\u2026");
  // Collapsing comes first, so blanks beyond the cut do not count.
  EXPECT_EQ(KelvoWidgetText::rowTitle("ab      cd", 5), "ab cd");

  const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466";
  EXPECT_EQ(KelvoWidgetText::rowTitle("Cafe\u0301 " + family, 6), "Cafe\u0301 " + family);
  EXPECT_EQ(KelvoWidgetText::rowTitle(family + family, 1), family + "\u2026");
  // Ill-formed bytes come out as U+FFFD, never as a split sequence.
  EXPECT_EQ(KelvoWidgetText::rowTitle("\xFF\xFE ok", 1), "\uFFFD\u2026");
}

}  // namespace
}  // namespace kelvo
