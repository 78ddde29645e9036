#include "core/design/KelvoWidgetText.hpp"

#include <gtest/gtest.h>

#include "platform/foundation/Text.hpp"
#include "tests/design/GermanCatalogue.hpp"

namespace kelvo {
namespace {

TEST(KelvoWidgetTextTest, BlankTitlesAndLimitsGiveUntitled) {
  EXPECT_EQ(KelvoWidgetText::rowTitleLimit, 28);
  EXPECT_EQ(KelvoWidgetText::untitled(), "Untitled");
  EXPECT_EQ(KelvoWidgetText::rowTitle(""), "Untitled");
  EXPECT_EQ(KelvoWidgetText::rowTitle("  \n\t \r\n \u2003"), "Untitled");
  EXPECT_EQ(KelvoWidgetText::rowTitle("Invoice", 0), "Untitled");
  EXPECT_EQ(KelvoWidgetText::rowTitle("Invoice", -5), "Untitled");
  EXPECT_EQ(KelvoWidgetText::rowTitle("Invoice", 1), "I\u2026");
}

TEST(KelvoWidgetTextTest, WhitespaceCollapsesToSingleBlanks) {
  EXPECT_EQ(KelvoWidgetText::rowTitle("  Tax \t\t  return\n\n2024  "), "Tax return 2024");
  // A no-break space and a line separator are white space too.
  EXPECT_EQ(KelvoWidgetText::rowTitle("a\u00A0\u2028b"), "a b");
}

TEST(KelvoWidgetTextTest, LongTitlesAreCutAtTheLimit) {
  EXPECT_EQ(KelvoWidgetText::rowTitle("Quarterly report for client X"),
            "Quarterly report for client\u2026");

  const std::string twentyEight = "abcdefghijklmnopqrstuvwxyz01";
  ASSERT_EQ(twentyEight.size(), 28u);
  EXPECT_EQ(KelvoWidgetText::rowTitle(twentyEight), twentyEight);
  EXPECT_EQ(KelvoWidgetText::rowTitle(twentyEight + "2"), twentyEight + "\u2026");
  // The 28th character is a blank: the cut ends at the 27th.
  EXPECT_EQ(KelvoWidgetText::rowTitle("abcdefghijklmnopqrstuvwxyz0 tail"),
            "abcdefghijklmnopqrstuvwxyz0\u2026");
  // Collapsing comes first, so blanks beyond the cut do not count.
  EXPECT_EQ(KelvoWidgetText::rowTitle("ab      cd", 5), "ab cd");
}

TEST(KelvoWidgetTextTest, CountsUserPerceivedCharacters) {
  // "e" with a combining acute, and a family emoji of seven scalars, are one character each.
  const std::string accented = "Cafe\u0301 ";
  const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466";
  EXPECT_EQ(KelvoWidgetText::rowTitle(accented + family, 6), "Cafe\u0301 " + family);
  EXPECT_EQ(KelvoWidgetText::rowTitle(accented + family + family, 6),
            "Cafe\u0301 " + family + "\u2026");
  EXPECT_EQ(KelvoWidgetText::rowTitle(family + family, 1), family + "\u2026");

  const std::string cut = KelvoWidgetText::rowTitle(std::string(500, 'x'));
  EXPECT_EQ(text::characterCount(cut), 29u);
  // Ill-formed bytes read as U+FFFD and never split a sequence.
  EXPECT_EQ(KelvoWidgetText::rowTitle("\xFF\xFE ok", 1), "\uFFFD\u2026");
}

TEST(KelvoWidgetTextTest, UntitledIsLocalised) {
  testing::GermanCatalogue german({{"Untitled", "Ohne Titel"}});
  if (!german.installed()) GTEST_SKIP() << "no C.UTF-8 locale";
  EXPECT_EQ(KelvoWidgetText::rowTitle(" "), "Ohne Titel");
}

}  // namespace
}  // namespace kelvo
