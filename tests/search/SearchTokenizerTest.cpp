#include "core/search/SearchTokenizer.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/search/SearchIndex.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo {
namespace {

using Terms = std::vector<std::string>;

TEST(SearchTokenizerTest, SplitsTheDocumentedExamples) {
  EXPECT_EQ(SearchIndex::tokenize(""), Terms{});
  EXPECT_EQ(SearchIndex::tokenize("  ,.;!? -- \t\n"), Terms{});
  EXPECT_EQ(SearchIndex::tokenize("Hello, World!"), (Terms{"hello", "world"}));
  EXPECT_EQ(SearchIndex::tokenize("Crème Brûlée"), (Terms{"creme", "brulee"}));
  EXPECT_EQ(SearchIndex::tokenize("don't"), (Terms{"don", "t"}));
  EXPECT_EQ(SearchIndex::tokenize("東京"), (Terms{"東", "京"}));
  EXPECT_EQ(SearchIndex::tokenize("iPhone手机"), (Terms{"iphone", "手", "机"}));

  // Case and diacritics fold, width does not.
  EXPECT_EQ(SearchIndex::tokenize("CAFÉ"), SearchIndex::tokenize("café"));
  // A decomposed accent is folded away like a composed one.
  EXPECT_EQ(SearchIndex::tokenize("Cafe\u0301"), Terms{"cafe"});
  EXPECT_EQ(SearchIndex::tokenize("Straße ÜBER"), (Terms{"strasse", "uber"}));
  EXPECT_EQ(SearchIndex::tokenize("ΣΊΣΥΦΟΣ"), Terms{"σισυφοσ"});
  // Full-width letters keep their width; only their case folds.
  EXPECT_EQ(SearchIndex::tokenize("ＡＢＣ"), Terms{"ａｂｃ"});
}

TEST(SearchTokenizerTest, IdeographsStandAloneAndOnlyLettersAndNumbersCount) {
  EXPECT_EQ(SearchIndex::tokenize("東京タワー"), (Terms{"東", "京", "タ", "ワ", "ー"}));
  // The voicing mark is a diacritic, so "が" folds to "か".
  EXPECT_EQ(SearchIndex::tokenize("ひらがな"), (Terms{"ひ", "ら", "か", "な"}));
  // Hangul syllables keep their own form: the fold does not split them into jamo.
  EXPECT_EQ(SearchIndex::tokenize("한국어"), (Terms{"한", "국", "어"}));
  // A supplementary-plane ideograph is a term of its own too.
  EXPECT_EQ(SearchIndex::tokenize("x𠀀y"), (Terms{"x", "𠀀", "y"}));
  // Katakana punctuation in the range is not a word scalar: it only separates.
  EXPECT_EQ(SearchIndex::tokenize("ab・cd"), (Terms{"ab", "cd"}));

  // Only letters and numbers make terms.
  EXPECT_EQ(SearchIndex::tokenize("🇩🇪 flag 👍🏽"), Terms{"flag"});
  // Numbers of every kind are word scalars: Roman numerals, fractions, other digits.
  EXPECT_EQ(SearchIndex::tokenize("Ⅻ ½ ٣"), (Terms{"ⅻ", "½", "٣"}));
  // Ill-formed bytes only separate.
  EXPECT_EQ(SearchIndex::tokenize("ab\xFFgh"), (Terms{"ab", "gh"}));
  EXPECT_EQ(SearchIndex::tokenize("\xE6\x9D"), Terms{});
  EXPECT_EQ(SearchIndex::tokenize(std::string("x\0y", 3)), (Terms{"x", "y"}));
}

// The whole text folded first, then walked scalar by scalar: the rule as written, against
// which the piecewise fast path is checked.
Terms referenceTerms(std::string_view source) {
  const std::string folded = text::folded(source);
  Terms terms;
  std::string term;
  const auto close = [&] {
    if (!term.empty()) terms.push_back(std::exchange(term, {}));
  };
  for (std::size_t i = 0; i < folded.size();) {
    const std::size_t start = i;
    const char32_t scalar = nextScalar(folded, i);
    const bool word = SearchTokenizer::isWordScalar(scalar);
    const bool alone = word && SearchTokenizer::standsAlone(scalar);
    if (!word || alone) close();
    if (word) term.append(folded, start, i - start);
    if (alone) close();
  }
  close();
  return terms;
}

TEST(SearchTokenizerTest, PiecewiseFoldingMatchesFoldingTheWholeText) {
  // Scalars chosen to meet at piece borders: combining marks after punctuation, marks that
  // compose with "<" and "=", letters that fold to several, ideographs, ill-formed bytes.
  const std::vector<std::string> alphabet = {
      "a",      "Z",      "9",      " ",      "-",      "'",      "<",      "=",      ">",     ".",
      "\u0301", "\u0338", "\u0345", "\u0307", "é",      "İ",      "ß",      "ﬃ",      "Σ",     "ς",
      "ᾳ",      "東",     "한",     "ㄱ",     "\u1100", "\u1161", "\u11A8", "٣",      "Ⅻ",     "ｱ",
      "\u200D", "👍",      "\xFF",   "\xE6",   "K",      "\u212A", "\u00C5", "\u037E", "\u0D4E"};
  std::mt19937 random(20'240'101);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::uniform_int_distribution<int> length(0, 12);
  for (int round = 0; round < 20'000; ++round) {
    std::string sample;
    for (int n = length(random); n > 0; --n) sample += alphabet[pick(random)];
    ASSERT_EQ(SearchIndex::tokenize(sample), referenceTerms(sample)) << sample;
  }
}

TEST(SearchTokenizerTest, ClassifiesScalarsByTheirProperties) {
  EXPECT_TRUE(SearchTokenizer::isWordScalar(U'\u0345'));   // an Alphabetic mark
  EXPECT_FALSE(SearchTokenizer::isWordScalar(U'\u0301'));  // a mark that is not Alphabetic
  EXPECT_FALSE(SearchTokenizer::isWordScalar(0x110000));
  // The bounds of the ranges that stand alone, inclusive.
  for (const char32_t alone : {U'\u3041', U'\u30FA', U'\u3400', U'\u4DBF', U'\u4E00', U'\u9FFF',
                               U'\uAC00', U'\uD7A3', U'\uF900', U'\U00020000', U'\U0002F800'}) {
    EXPECT_TRUE(SearchTokenizer::standsAlone(alone)) << static_cast<unsigned>(alone);
  }
  for (const char32_t joined :
       {U'\u303F', U'\u3100', U'\u33FF', U'\uABFF', U'\uFB00', U'\U0001FFFF', U'\U00030000'}) {
    EXPECT_FALSE(SearchTokenizer::standsAlone(joined)) << static_cast<unsigned>(joined);
  }
}

}  // namespace
}  // namespace kelvo
