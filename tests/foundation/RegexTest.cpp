#include "platform/foundation/Regex.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using Captures = std::vector<std::optional<std::string_view>>;
using Pieces = std::vector<std::string_view>;

TEST(RegexTest, FindsMatchesAndCaptures) {
  const Regex heading(R"(^(#{1,6})[ \t]+(.+?)[ \t#]*$)");
  const auto match = heading.firstMatch("## Replies  ##");
  ASSERT_TRUE(match);
  EXPECT_EQ(match->text, "## Replies  ##");
  EXPECT_EQ(match->captures, (Captures{"##", "Replies"}));
  EXPECT_FALSE(heading.containsMatch("#NoSpace"));
  EXPECT_EQ(Regex("(a)|(b)").firstMatch("b")->captures, (Captures{std::nullopt, "b"}));

  // By default ^ and $ match only at the ends of the whole text, and . stops at a newline.
  EXPECT_FALSE(Regex("^b$").containsMatch("a\nb\nc"));
  EXPECT_TRUE(Regex("^b$", {.anchorsMatchLines = true}).containsMatch("a\nb\nc"));
  EXPECT_FALSE(Regex("a.b").containsMatch("a\nb"));
  EXPECT_TRUE(Regex("a.b", {.dotMatchesLineSeparators = true}).containsMatch("a\nb"));
  EXPECT_TRUE(Regex("caf\u00E9", {.caseInsensitive = true}).containsMatch("CAF\u00C9"));
}

TEST(RegexTest, OffsetsAreBytesOfTheUtf8TextAndSplitsBetweenMatches) {
  const Regex word(R"(\p{L}+)");
  const auto matches = word.allMatches("Cr\u00E8me \u6771\u4EAC, ok");
  ASSERT_EQ(matches.size(), 3u);
  EXPECT_EQ(matches[1].text, "\u6771\u4EAC");
  EXPECT_EQ(matches[1].offset, 7u);
  EXPECT_EQ(matches[2].offset, 15u);
  EXPECT_EQ(Regex("x*").allMatches("ab").size(), 3u);  // empty matches advance
  EXPECT_EQ(word.allMatches("\xFF\xFE").size(), 0u);

  EXPECT_EQ(Regex(R"(\n{2,})").split("one\n\ntwo\n\n\nthree"), (Pieces{"one", "two", "three"}));
  EXPECT_EQ(Regex(",").split(",a,,b,"), (Pieces{"", "a", "", "b", ""}));
  EXPECT_EQ(Regex(",").split(""), (Pieces{""}));
  EXPECT_EQ(Regex("x*").split("ab"), (Pieces{"ab"}));
}

TEST(RegexTest, ReportsWhatICURefuses) {
  std::string error;
  EXPECT_FALSE(Regex::make("(unclosed", {}, &error));
  EXPECT_NE(error.find("U_REGEX_MISMATCHED_PAREN"), std::string::npos) << error;
  EXPECT_FALSE(Regex::make("[z-a]"));
  // A search too deep for ICU's bounded stack gives up instead of overflowing ours.
  EXPECT_FALSE(Regex("(a|b)*c").containsMatch(std::string(2'000'000, 'a')));
}

TEST(RegexDeathTest, APatternInTheCodeMustCompile) {
  EXPECT_DEATH(Regex("(unclosed"), "refuses the pattern");
}

}  // namespace
}  // namespace kelvo
