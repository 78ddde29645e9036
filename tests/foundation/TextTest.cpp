#include "platform/foundation/Text.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/foundation/ContainmentQuery.hpp"
#include "platform/foundation/Regex.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo::text {
namespace {

TEST(TextTest, CountsUserPerceivedCharacters) {
  EXPECT_EQ(characterCount("e\u0301"), 1u);
  EXPECT_EQ(characterCount("a\r\nb\n\r"), 5u);
  EXPECT_EQ(characterCount("\U0001F469\u200D\U0001F469\u200D\U0001F467"), 1u);  // one family
  EXPECT_EQ(characterCount("\U0001F1E9\U0001F1EA\U0001F1EB\U0001F1F7"), 2u);    // two flags
  EXPECT_EQ(characterCount("\xFF\xFE"
                           "a"),
            3u);  // ill-formed bytes still count, never crash
  EXPECT_EQ(prefix("Cafe\u0301 au lait", 4), "Cafe\u0301");
  EXPECT_EQ(prefix("Caf\u00E9 au lait", 2), "Ca");  // ASCII ahead of the cut, not after it
  EXPECT_EQ(prefix("ab\r\ncd", 3), "ab\r\n");
  EXPECT_EQ(prefix("abc", 8), "abc");
  EXPECT_EQ(characters("ae\u0301\U0001F1E9\U0001F1EA"),
            (std::vector<std::string_view>{"a", "e\u0301", "\U0001F1E9\U0001F1EA"}));
}

TEST(TextTest, CanonicalEquivalence) {
  EXPECT_TRUE(canonicallyEqual("Caf\u00E9", "Cafe\u0301"));
  EXPECT_EQ(canonicalHash("Caf\u00E9"), canonicalHash("Cafe\u0301"));
  EXPECT_FALSE(canonicallyEqual("Cafe", "Caf\u00E9"));
  EXPECT_FALSE(canonicallyEqual("\uFB01", "fi"));  // compatibility forms stay apart
  std::unordered_set<std::string, CanonicalHash, CanonicalEqual> names{"Caf\u00E9"};
  EXPECT_FALSE(names.insert("Cafe\u0301").second);
}

TEST(TextTest, FoldsAndMapsCase) {
  EXPECT_EQ(caseFolded("Stra\u00DFe"), "strasse");
  EXPECT_EQ(caseFolded("\u03A3\u03C2"), "\u03C3\u03C3");
  EXPECT_EQ(caseFolded("\u00C9"), "\u00E9");  // stays composed
  EXPECT_EQ(folded("Cr\u00E8me BR\u00DBL\u00C9E"), "creme brulee");
  EXPECT_EQ(folded("\u0130stanbul"), "istanbul");
  EXPECT_EQ(diacriticFolded("\u00F8\u0142"), "\u00F8\u0142");  // no decomposition: kept
  EXPECT_EQ(diacriticFolded("\uFF21"), "\uFF21");              // no width folding
  // Ideographs and Hangul syllables come through folding whole and composed.
  EXPECT_EQ(diacriticFolded("\uD55C\uAD6D\uC5B4 \u6771\u4EAC"), "\uD55C\uAD6D\uC5B4 \u6771\u4EAC");
  EXPECT_EQ(folded("\uD55C\uAD6D\uC5B4 iPhone\u624B\u673A"),
            "\uD55C\uAD6D\uC5B4 iphone\u624B\u673A");
  EXPECT_EQ(folded("\xC3"), "\uFFFD");

  EXPECT_EQ(uppercased("stra\u00DFe"), "STRASSE");
  EXPECT_EQ(uppercased("istanbul", Locale("tr_TR")), "\u0130STANBUL");
  EXPECT_EQ(lowercased("I", Locale("tr_TR")), "\u0131");
  EXPECT_EQ(lowercased("\u039F\u0394\u039F\u03A3"), "\u03BF\u03B4\u03BF\u03C2");  // final sigma
}

TEST(TextTest, TrimsAndClassifiesScalars) {
  EXPECT_EQ(trimmed(" \t\r\n Keep this \u3000\u2028\u0085"), "Keep this");
  EXPECT_EQ(trimmed("\n Keep \n", CharacterClass::whitespace), "\n Keep \n");
  EXPECT_EQ(trimmed(" \u00A0 "), "");
  EXPECT_EQ(trimmed("\u200B x \u200B"), "\u200B x \u200B");  // zero-width space is a format char
  EXPECT_EQ(trimmed(" a\xFF \n"), "a\xFF");  // a bad byte reads as U+FFFD, which stays
  EXPECT_EQ(trimmed("x \u3000 \u2028"), "x");
  EXPECT_EQ(trimmed("\u00E9 \xE2\x80 "), "\u00E9 \xE2\x80");
  EXPECT_EQ(trimmed("\u3000\u00E9\u3000"), "\u00E9");
  EXPECT_FALSE(isMember(U'\n', CharacterClass::whitespace));
  EXPECT_TRUE(isMember(U'\u200B', CharacterClass::control));
  EXPECT_TRUE(isMember(U'\u0301', CharacterClass::letter));
  EXPECT_FALSE(isMember(U'\u0301', CharacterClass::alphabetic));
  EXPECT_TRUE(isMember(U'\u00BD', CharacterClass::numeric));
  EXPECT_FALSE(isMember(0x110000, CharacterClass::control));
  EXPECT_TRUE(containsAny("invoice\u0001.pdf", CharacterClass::control));
  EXPECT_TRUE(containsAny("a\u00E9b\u0085", CharacterClass::newline));
  EXPECT_FALSE(containsAny("a\u00E9b", CharacterClass::whitespaceAndNewline));
  EXPECT_TRUE(isMember(U'\v', CharacterClass::whitespaceAndNewline));
}

TEST(TextTest, ComparesAsTheCurrentLocaleSorts) {
  EXPECT_EQ(localizedCompare("file2", "file10"), std::weak_ordering::greater);
  EXPECT_NE(localizedCompare("Work", "work"), std::weak_ordering::equivalent);
  EXPECT_EQ(localizedCompare("Caf\u00E9", "Cafe\u0301"), std::weak_ordering::equivalent);
  EXPECT_EQ(localizedCompare("a\u0301\u0323", "a\u0323\u0301"), std::weak_ordering::equivalent);
  EXPECT_EQ(localizedCaseInsensitiveCompare("Work", "wORK"), std::weak_ordering::equivalent);
  EXPECT_NE(localizedCaseInsensitiveCompare("resume", "r\u00E9sum\u00E9"),
            std::weak_ordering::equivalent);
  EXPECT_EQ(localizedCompare("\u00E4", "z"), std::weak_ordering::less);
  Locale::setCurrent(Locale("sv_SE"));
  EXPECT_EQ(localizedCompare("\u00E4", "z"), std::weak_ordering::greater);
}

// Sort keys must order exactly as the comparison does; ASCII texts get keys written without
// the collator, also where a locale contracts ASCII letters.
TEST(TextTest, SortKeysOrderAsTheCaseInsensitiveComparison) {
  // One text per '|'-separated piece, the empty one included.
  std::vector<std::string> texts;
  std::string piece;
  for (const char c : std::string_view(
           "Work|wORK|work |r\u00E9sum\u00E9|resume|Cafe\u0301|Caf\u00E9||file10|file2|\u00E4|z|"
           "\xFF\xFE|\u6771\u4EAC|a\u0301\u0323|a\u0323\u0301|ch|Ch|h|i|c|cz|aa|\u00E5|ll|lz|"
           "l\u00B7l|-x|x-|a b|ab|a_b|A~|10|9|Zebra|zebra!|~|@home|")) {
    c == '|' ? texts.push_back(std::exchange(piece, {})) : piece.push_back(c);
  }
  texts.push_back(std::string(300, 'b'));
  texts.push_back(std::string(299, 'b') + "c");
  ASSERT_EQ(texts.size(), 41u);
  for (const char* locale : {"en_US", "cs_CZ", "da_DK", "sv_SE", "ca_ES", "ja_JP", "tr_TR"}) {
    Locale::setCurrent(Locale(locale));
    for (const std::string& a : texts) {
      for (const std::string& b : texts) {
        const std::weak_ordering keys =
            localizedCaseInsensitiveSortKey(a) <=> localizedCaseInsensitiveSortKey(b);
        EXPECT_EQ(keys, localizedCaseInsensitiveCompare(a, b)) << locale << ": " << a << " / " << b;
        // Prefixes that differ order as the texts do.
        for (const std::size_t size : {1, 3, 20}) {
          std::uint8_t prefixA[20];
          std::uint8_t prefixB[20];
          localizedCaseInsensitiveSortKeyPrefix(a, std::span(prefixA, size));
          localizedCaseInsensitiveSortKeyPrefix(b, std::span(prefixB, size));
          const int prefixes = std::memcmp(prefixA, prefixB, size);
          if (prefixes != 0) {
            EXPECT_EQ(prefixes < 0, keys < 0) << locale << ": " << a << " / " << b;
          }
        }
      }
    }
  }
  Locale::setCurrent(Locale("en_US"));
}

TEST(TextTest, StandardContainmentAndCaseProperties) {
  struct Case {
    const char* text;
    const char* query;
    bool found;
  };
  const Case cases[] = {
      {"Zoë Park", "ZOE", true},
      {"Zoe Park", "zoë", true},
      {"Crème Brûlée", "BRULEE", true},
      {"Straße", "strasse", true},
      {"Blue Harbour", "Harbour Blue", false},
      {"ＡＢＣ", "abc", false},
      {"abc", "", false},
      {"Editor", "édit", true},
      {"plain ascii", "ASCII", true},
      {"plain ascii", "ø", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(localizedStandardContains(c.text, c.query), c.found) << c.text << " " << c.query;
  }
  EXPECT_TRUE(isMember(U'ª', CharacterClass::lowercase));
  EXPECT_FALSE(isMember(U'ǅ', CharacterClass::lowercase));
  EXPECT_FALSE(isMember(U'ǅ', CharacterClass::uppercase));
  EXPECT_TRUE(isMember(U'Ⓐ', CharacterClass::uppercase));
}

using namespace std::string_literals;

TEST(UtfTest, StrictUtf8RefusesEveryIllFormedSequence) {
  EXPECT_EQ(decodeUtf8("\xEF\xBB\xBF\xEF\xBB\xBF"), "\xEF\xBB\xBF");  // only the first mark goes
  EXPECT_EQ(decodeUtf8("\xF4\x8F\xBF\xBF"), "\xF4\x8F\xBF\xBF");      // U+10FFFF
  EXPECT_EQ(decodeUtf8("a\0b"s), "a\0b"s);
  for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                          "\xE2\x82", "\x80", "\xFF", "abc\xC3", "\xF5\x80\x80\x80"}) {
    EXPECT_FALSE(decodeUtf8(bad)) << bad;
    EXPECT_FALSE(isValidUtf8(bad)) << bad;
  }
}

TEST(UtfTest, LossyUtf8ReplacesEachMaximalSubpart) {
  // The example of the Unicode standard (U+FFFD substitution of maximal subparts).
  EXPECT_EQ(decodeUtf8Lossy("\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64"),
            "a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd");
  EXPECT_EQ(decodeUtf8Lossy("\xED\xA0\x80"), "\uFFFD\uFFFD\uFFFD");  // no surrogates
  EXPECT_EQ(decodeUtf8Lossy("\xEF\xBB\xBFok"), "ok");
  EXPECT_TRUE(isValidUtf8(decodeUtf8Lossy("\xC3\x28\xF0\x9F\x98")));
}

TEST(UtfTest, RepairingKeepsTheByteOrderMark) {
  EXPECT_EQ(repairedUtf8("\xEF\xBB\xBF"
                         "a\xC3(\xE2\x82"),
            "\xEF\xBB\xBF"
            "a\uFFFD(\uFFFD");
  EXPECT_EQ(repairedUtf8("caf\xC3\xA9"), "caf\xC3\xA9");
}

TEST(UtfTest, Utf16FollowsItsByteOrderMark) {
  EXPECT_EQ(decodeUtf16("\xFE\xFF\x00K\x00\xE9"s), "K\xC3\xA9");
  EXPECT_EQ(decodeUtf16("\xFF\xFEK\x00\xE9\x00"s), "K\xC3\xA9");
  EXPECT_EQ(decodeUtf16("\x00K"s), "K");  // big-endian without a mark
  EXPECT_EQ(decodeUtf16("K\x00"s, ByteOrder::littleEndian), "K");
  EXPECT_EQ(decodeUtf16("\xD8\x3D\xDE\x00"s), "\xF0\x9F\x98\x80");  // surrogate pair
  EXPECT_FALSE(decodeUtf16("\xD8\x3D\x00K"s));                      // unpaired high surrogate
  EXPECT_FALSE(decodeUtf16("\xDE\x00"s));                           // lone low surrogate
  EXPECT_FALSE(decodeUtf16("\x00K\x00"s));                          // odd byte
  EXPECT_EQ(decodeUtf16Lossy("\xD8\x3D\x00K\xDE\x00\x00"s), "\uFFFDK\uFFFD\uFFFD");
}

TEST(UtfTest, ScalarsRoundTrip) {
  const std::string text = "a\xC3\xA9\xE6\x9D\xB1\xF0\x9F\x98\x80\xFF";
  std::vector<char32_t> scalars;
  for (std::size_t offset = 0; offset < text.size();) scalars.push_back(nextScalar(text, offset));
  EXPECT_EQ(scalars, (std::vector<char32_t>{U'a', U'é', U'東', U'😀', 0xFFFD}));
  std::string rebuilt;
  for (const char32_t scalar : {char32_t{0xD800}, char32_t{0x110000}}) appendUtf8(rebuilt, scalar);
  EXPECT_EQ(rebuilt, "\uFFFD\uFFFD");
}

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
}  // namespace kelvo::text
