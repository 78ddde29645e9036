#include "platform/foundation/Text.hpp"

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>
#include <vector>

#include "platform/foundation/ContainmentQuery.hpp"

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
  EXPECT_TRUE(isMember(U'Q', CharacterClass::uppercase));
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

TEST(TextTest, SortKeysOrderAsTheCaseInsensitiveComparison) {
  Locale::setCurrent(Locale("en_US"));
  const std::vector<std::string> texts = {
      "Work", "wORK", "work ", "r\u00E9sum\u00E9", "resume", "Cafe\u0301", "Caf\u00E9", "",
      "file10", "file2", "\u00E4", "z", "\xFF\xFE", "\u6771\u4EAC", "a\u0301\u0323",
      "a\u0323\u0301"};
  for (const std::string& a : texts) {
    for (const std::string& b : texts) {
      const std::weak_ordering keys =
          localizedCaseInsensitiveSortKey(a) <=> localizedCaseInsensitiveSortKey(b);
      EXPECT_EQ(keys, localizedCaseInsensitiveCompare(a, b)) << a << " / " << b;
    }
  }
}

// ASCII texts get keys written without the collator; they must order exactly as its own keys
// and comparisons do, also against other texts and where a locale contracts ASCII letters.
TEST(TextTest, AsciiSortKeysOrderAsTheCollator) {
  const std::vector<std::string> texts = {
      "ch", "Ch", "h", "i", "cz", "c", "aa", "\u00E5", "ll", "lz", "l\u00B7l", "-x", "x-",
      "a b", "ab", "a_b", "A~", "10", "9", "Zebra", "zebra!", "~", "@home", "\u00E9t\u00E9", "ete",
      std::string(300, 'b'), std::string(299, 'b') + "c"};
  for (const char* locale : {"en_US", "cs_CZ", "da_DK", "sv_SE", "ca_ES", "ja_JP", "tr_TR"}) {
    Locale::setCurrent(Locale(locale));
    for (const std::string& a : texts) {
      for (const std::string& b : texts) {
        const std::weak_ordering keys =
            localizedCaseInsensitiveSortKey(a) <=> localizedCaseInsensitiveSortKey(b);
        EXPECT_EQ(keys, localizedCaseInsensitiveCompare(a, b)) << locale << ": " << a << " / " << b;
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
      {"Zoë Park", "ZOE", true},        {"Zoe Park", "zoë", true},
      {"Crème Brûlée", "BRULEE", true}, {"Straße", "strasse", true},
      {"Blue Harbour", "Harbour Blue", false}, {"ＡＢＣ", "abc", false},
      {"abc", "", false},               {"Editor", "édit", true},
      {"plain ascii", "ASCII", true},   {"plain ascii", "ø", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(localizedStandardContains(c.text, c.query), c.found) << c.text << " " << c.query;
  }
  EXPECT_TRUE(isMember(U'a', CharacterClass::lowercase));
  EXPECT_TRUE(isMember(U'ª', CharacterClass::lowercase));
  EXPECT_FALSE(isMember(U'ǅ', CharacterClass::lowercase));
  EXPECT_FALSE(isMember(U'ǅ', CharacterClass::uppercase));
  EXPECT_TRUE(isMember(U'Ⓐ', CharacterClass::uppercase));
  EXPECT_FALSE(isMember(U'1', CharacterClass::uppercase));
}

}  // namespace
}  // namespace kelvo::text
