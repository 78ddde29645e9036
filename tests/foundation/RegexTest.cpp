#include "platform/foundation/Regex.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

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

// Matchers are kept per thread and pattern: more patterns than are kept, short-lived ones and
// several threads at once must all see what a fresh matcher sees.
TEST(RegexTest, ReusedMatchersGiveTheSameAnswers) {
  const std::string text = "a{b} %x% {c}{d} é{e}";
  for (int round = 0; round < 3; ++round) {
    for (int n = 0; n < 20; ++n) {
      const Regex pattern("\\{[a-z]\\}|%[a-z]" + std::string(n % 2 == 0 ? "%" : ""));
      const auto all = pattern.allMatches(text);
      const auto led = pattern.allMatches(text, '{');
      EXPECT_EQ(all.size(), 5u) << n;
      ASSERT_EQ(led.size(), 4u);
      for (const auto& match : led) EXPECT_EQ(pattern.firstMatch(match.text)->text, match.text);
      EXPECT_EQ(led.back().offset, text.size() - 3);
      // A long text's matcher is dropped after use; the next search builds another.
      const std::string longText = std::string(70'000, 'x') + "{z}";
      ASSERT_EQ(pattern.allMatches(longText, '{').size(), 1u);
      EXPECT_EQ(pattern.allMatches(longText).front().offset, 70'000u);
    }
  }
  const Regex shared("[0-9]+");
  std::vector<std::thread> threads;
  std::atomic<int> wrong{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&shared, &wrong, t] {
      for (int i = 0; i < 2000; ++i) {
        const std::string numbers = std::to_string(t) + " " + std::to_string(i);
        if (shared.allMatches(numbers).size() != 2) ++wrong;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, 0);
}

TEST(RegexDeathTest, APatternInTheCodeMustCompile) {
  EXPECT_DEATH(Regex("(unclosed"), "refuses the pattern");
}

}  // namespace
}  // namespace kelvo
