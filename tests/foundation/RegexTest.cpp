#include "platform/foundation/Regex.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using Captures = std::vector<std::optional<std::string_view>>;

TEST(RegexTest, FindsMatchesAndCaptures) {
  const Regex heading(R"(^(#{1,6})[ \t]+(.+?)[ \t#]*$)");
  const auto match = heading.firstMatch("## Replies  ##");
  ASSERT_TRUE(match);
  EXPECT_EQ(match->text, "## Replies  ##");
  EXPECT_EQ(match->captures, (Captures{"##", "Replies"}));
  EXPECT_FALSE(heading.containsMatch("#NoSpace"));
  EXPECT_EQ(heading.captureCount(), 2u);

  // By default ^ and $ match only at the ends of the whole text.
  const Regex espanso(R"((^|\n)matches:[ \t]*(\n|$))");
  EXPECT_TRUE(espanso.containsMatch("# config\nmatches:\n  - trigger: x"));
  EXPECT_TRUE(espanso.containsMatch("matches:  "));
  EXPECT_FALSE(espanso.containsMatch("x matches:\n"));
  EXPECT_TRUE(Regex("^b$", {.anchorsMatchLines = true}).containsMatch("a\nb\nc"));
  EXPECT_FALSE(Regex("^b$").containsMatch("a\nb\nc"));
  EXPECT_TRUE(Regex("a.b", {.dotMatchesLineSeparators = true}).containsMatch("a\nb"));
  EXPECT_FALSE(Regex("a.b").containsMatch("a\nb"));
  EXPECT_TRUE(Regex("caf\u00E9", {.caseInsensitive = true}).containsMatch("CAF\u00C9"));
}

TEST(RegexTest, OffsetsAreBytesOfTheUtf8Text) {
  const Regex word(R"(\p{L}+)");
  const auto matches = word.allMatches("Cr\u00E8me \u6771\u4EAC, ok");
  ASSERT_EQ(matches.size(), 3u);
  EXPECT_EQ(matches[0].text, "Cr\u00E8me");
  EXPECT_EQ(matches[1].text, "\u6771\u4EAC");
  EXPECT_EQ(matches[1].offset, 7u);
  EXPECT_EQ(matches[2].offset, 15u);
  const auto optional = Regex("(a)|(b)").firstMatch("b");
  ASSERT_TRUE(optional);
  EXPECT_EQ(optional->captures, (Captures{std::nullopt, "b"}));
  EXPECT_TRUE(Regex("x*").allMatches("ab").size() == 3u);  // empty matches advance
  EXPECT_EQ(word.allMatches("\xFF\xFE").size(), 0u);
}

TEST(RegexTest, SplitsBetweenMatches) {
  const Regex separator(R"(\n{2,})");
  EXPECT_EQ(separator.split("one\n\ntwo\n\n\nthree"),
            (std::vector<std::string_view>{"one", "two", "three"}));
  EXPECT_EQ(Regex(",").split(",a,,b,"), (std::vector<std::string_view>{"", "a", "", "b", ""}));
  EXPECT_EQ(Regex(",").split(""), (std::vector<std::string_view>{""}));
  EXPECT_EQ(Regex("x*").split("ab"), (std::vector<std::string_view>{"ab"}));
}

TEST(RegexTest, ReportsWhatICURefuses) {
  std::string error;
  EXPECT_FALSE(Regex::make("(unclosed", {}, &error));
  EXPECT_NE(error.find("U_REGEX_MISMATCHED_PAREN"), std::string::npos) << error;
  EXPECT_FALSE(Regex::make("[z-a]"));
  EXPECT_TRUE(Regex::make("fine"));
  // A search too deep for ICU's bounded stack gives up instead of overflowing ours.
  const std::string deep(2'000'000, 'a');
  EXPECT_FALSE(Regex("(a|b)*c").containsMatch(deep));
}

TEST(RegexDeathTest, APatternInTheCodeMustCompile) {
  EXPECT_DEATH(Regex("(unclosed"), "refuses the pattern");
}

}  // namespace
}  // namespace kelvo
