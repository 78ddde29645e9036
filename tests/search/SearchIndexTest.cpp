#include "core/search/SearchIndex.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "core/search/SearchTokenizer.hpp"
#include "core/search/SearchableCard.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"
#include "tests/search/SearchTestCards.hpp"

namespace kelvo {
namespace {

using kelvo::testing::CardSpec;
using kelvo::testing::makeCard;
using testing::Titles;
using testing::titles;

const Date now = Date(800'000'000);
constexpr double day = 86'400;
const ManualClock fixedClock(now);

SearchIndex indexOf(std::vector<SearchableCard> cards) { return SearchIndex(cards, fixedClock); }

double scoreOf(CardSpec spec, std::string_view query) {
  const auto results = indexOf({makeCard(std::move(spec))}).search(query, 10);
  EXPECT_EQ(results.size(), 1u) << query;
  return results.empty() ? -1 : results.front().score;
}

TEST(SearchIndexTest, EmptyQueriesAndLimitsFindNothing) {
  const auto full = indexOf({makeCard({.title = "Invoice"}), makeCard({.content = "paid"}),
                             makeCard({.title = "— ! —", .content = "👍"})});
  // The card without a word counts but holds no term.
  EXPECT_EQ(full.cardCount(), 3u);
  EXPECT_EQ(full.termCount(), 2u);
  EXPECT_TRUE(full.search("", 20).empty());
  EXPECT_TRUE(full.search(" ,.!? — ", 20).empty());
  EXPECT_TRUE(indexOf({}).search("invoice", 20).empty());
  // A negative limit finds nothing, as 0 does, rather than failing or allocating.
  for (const std::int64_t none : {std::int64_t{0}, std::int64_t{-1}, INT64_MIN}) {
    EXPECT_TRUE(full.search("invoice", none).empty()) << none;
  }
  EXPECT_EQ(full.search("invoice", INT64_MAX).size(), 1u);
}

TEST(SearchIndexTest, OnlyCardTextIsSearchedAndRepeatsCount) {
  EXPECT_DOUBLE_EQ(scoreOf({.title = "Invoice"}, "invoice"), 10);
  // Neither the project nor the source application is searched.
  EXPECT_TRUE(indexOf({makeCard({.projectName = "invoice", .sourceApp = "invoice"})})
                  .search("invoice", 20)
                  .empty());

  // A repeated word counts each time, however often it comes.
  EXPECT_DOUBLE_EQ(scoreOf({.title = "Tax"}, "tax tax"), 20);
  std::string longQuery;
  for (int i = 0; i < 100'000; ++i) longQuery += "tax ";
  EXPECT_DOUBLE_EQ(scoreOf({.title = "Tax"}, longQuery), 1'000'000);
}

// Counts its readings.
class CountingClock final : public Clock {
 public:
  Date now() const override {
    ++reads;
    return time;
  }
  TimeInterval continuousNow() const override { return 0; }

  Date time = kelvo::now;
  mutable int reads = 0;
};

TEST(SearchIndexTest, UseAndRecencyBoostTheTextScore) {
  const auto scoreWith = [](std::int64_t uses, std::optional<Date> lastUsed) {
    return scoreOf({.title = "invoice", .useCount = uses, .lastUsedAt = lastUsed}, "invoice");
  };
  EXPECT_DOUBLE_EQ(scoreWith(INT64_MAX, std::nullopt), 15);
  // A negative count is taken as no use rather than shrinking or flipping the score.
  EXPECT_DOUBLE_EQ(scoreWith(-500, std::nullopt), 10);

  EXPECT_DOUBLE_EQ(scoreWith(0, now), 13);
  // Dates that are not numbers give a finite score.
  EXPECT_DOUBLE_EQ(scoreWith(0, Date(NAN)), 13);
  EXPECT_DOUBLE_EQ(scoreWith(0, Date(-INFINITY)), 10);

  // The time is the clock's at each search, read once however many used cards match, so
  // that all of them are aged from the same moment.
  CountingClock clock;
  std::vector<SearchableCard> cards;
  for (int i = 0; i < 50; ++i) cards.push_back(makeCard({.title = "invoice", .lastUsedAt = now}));
  const SearchIndex index(cards, clock);
  clock.reads = 0;
  EXPECT_DOUBLE_EQ(index.search("invoice", 1)[0].score, 13);
  clock.time = now + 14 * day;
  EXPECT_NEAR(index.search("invoice", 1)[0].score, 10 * (1 + 0.3 * std::exp(-1.0)), 1e-12);
  EXPECT_EQ(clock.reads, 2);
}

TEST(SearchIndexTest, EqualScoresComeInCodePointOrderOfComposedTitles) {
  std::vector<SearchableCard> cards;
  for (const char* title : {"apple", "A\u0308b", "Zebra", "\u00C4a"}) {
    cards.push_back(makeCard({.title = title, .content = "x"}));
  }
  EXPECT_EQ(titles(indexOf(cards).search("x", 20)),
            (Titles{"Zebra", "apple", "\u00C4a", "A\u0308b"}));
}

TEST(SearchIndexTest, InsertingReplacesCopiesAreApartAndPrefixesTakeWholeCharacters) {
  const UUID id = UUID::random();
  const UUID other = UUID::random();
  auto index = indexOf({makeCard({.title = "old words"}, id), makeCard({.title = "words"}, other)});
  index.insert(makeCard({.title = "new words"}, id));
  EXPECT_EQ(index.cardCount(), 2u);
  EXPECT_EQ(index.termCount(), 2u);  // "old" left, "new" came
  EXPECT_TRUE(index.search("ol", 20).empty());
  EXPECT_EQ(index.search("new", 20).size(), 1u);

  SearchIndex copy = index;
  copy.remove(other);
  EXPECT_EQ(index.search("words", 20).size(), 2u);
  EXPECT_EQ(copy.search("words", 20).size(), 1u);

  // "कि" is one character (a consonant and its vowel sign), so "क" does not begin it; "कक"
  // and "कॐ" are two characters each and begin with "क". The sorted terms are कक, कि, कॐ:
  // a word that fails the test in between does not hide the words after it.
  const auto hindi = indexOf({makeCard({.title = "one", .content = "कि"}),
                              makeCard({.title = "two", .content = "कक"}),
                              makeCard({.title = "three", .content = "कॐ"})});
  EXPECT_EQ(titles(hindi.search("क", 20)), (Titles{"three", "two"}));
  EXPECT_EQ(titles(hindi.search("कि", 20)), Titles{"one"});
}

CardSpec fullSpec() {
  return CardSpec{.title = "Café",
                  .content = "Hello {name}",
                  .extractedText = "scan",
                  .autoTags = {"a", "b"},
                  .shelfName = "Work",
                  .projectName = "Clients",
                  .factLabel = "Email",
                  .sourceApp = "Mail",
                  .useCount = 3,
                  .lastUsedAt = Date(1'000)};
}

TEST(SearchableCardTest, EqualityCoversAllFieldsUnderCanonicalEquivalence) {
  const UUID id = UUID::random();
  const auto card = makeCard(fullSpec(), id);
  EXPECT_EQ(card, makeCard(fullSpec(), id));

  auto decomposed = fullSpec();
  decomposed.title = "Cafe\u0301";
  EXPECT_EQ(card, makeCard(decomposed, id));
  EXPECT_EQ(std::hash<SearchableCard>{}(card),
            std::hash<SearchableCard>{}(makeCard(decomposed, id)));

  const std::vector<void (*)(CardSpec&)> changes = {
      [](CardSpec& s) { s.title = "cafe"; },
      [](CardSpec& s) { s.content = "Hello {Name}"; },
      [](CardSpec& s) { s.extractedText = ""; },
      [](CardSpec& s) { std::swap(s.autoTags[0], s.autoTags[1]); },
      [](CardSpec& s) { s.shelfName = "work"; },
      [](CardSpec& s) { s.projectName = "Client"; },
      [](CardSpec& s) { s.factLabel = std::nullopt; },
      [](CardSpec& s) { s.factLabel = ""; },
      [](CardSpec& s) { s.sourceApp = std::nullopt; },
      [](CardSpec& s) { s.useCount = 4; },
      [](CardSpec& s) { s.lastUsedAt = std::nullopt; },
      [](CardSpec& s) { s.type = CardType::fact; },
  };
  for (std::size_t i = 0; i < changes.size(); ++i) {
    auto changed = fullSpec();
    changes[i](changed);
    EXPECT_NE(card, makeCard(changed, id)) << "change " << i;
  }
  EXPECT_NE(card, makeCard(fullSpec()));  // another identifier
}

// A card is one block whatever its shape: small and large texts, present but empty optionals,
// texts past 64 KiB, and many tags, through copies, moves and assignments.
TEST(SearchableCardTest, FieldsComeBackAsGivenWhateverTheirShape) {
  static_assert(std::random_access_iterator<SearchableCard::Tags::iterator>);
  std::vector<std::string> manyTags;
  for (int i = 0; i < 1'000; ++i) manyTags.push_back(i % 7 == 0 ? "" : "tag" + std::to_string(i));
  const std::vector<std::pair<const char*, CardSpec>> shapes = {
      {"full", fullSpec()},
      {"empty", CardSpec{}},
      {"present but empty", CardSpec{.factLabel = "", .sourceApp = "", .lastUsedAt = Date()}},
      {"texts past 64 KiB", CardSpec{.title = "t",
                                     .content = std::string(70'000, 'w'),
                                     .autoTags = {"after", ""},
                                     .shelfName = "s",
                                     .factLabel = "f"}},
      {"larger than a block", CardSpec{.title = std::string(3'000, 'l'), .autoTags = {"x"}}},
      {"many tags", CardSpec{.content = "c", .autoTags = manyTags, .sourceApp = "app"}},
  };
  const auto expectFields = [](const SearchableCard& card, const CardSpec& spec, const UUID& id,
                               const char* shape) {
    SCOPED_TRACE(shape);
    const auto optional = [](std::optional<std::string_view> text) {
      return text ? std::optional<std::string>(*text) : std::nullopt;
    };
    EXPECT_EQ(card.id(), id);
    EXPECT_EQ(card.type(), spec.type);
    EXPECT_EQ(card.title(), spec.title);
    EXPECT_EQ(card.content(), spec.content);
    EXPECT_EQ(card.extractedText(), spec.extractedText);
    const SearchableCard::Tags tags = card.autoTags();
    EXPECT_EQ(std::vector<std::string>(tags.begin(), tags.end()), spec.autoTags);
    ASSERT_EQ(tags.size(), spec.autoTags.size());
    if (!tags.empty()) {
      EXPECT_EQ(tags[tags.size() - 1], spec.autoTags.back());
    }
    EXPECT_EQ(card.shelfName(), spec.shelfName);
    EXPECT_EQ(card.projectName(), spec.projectName);
    EXPECT_EQ(optional(card.factLabel()), spec.factLabel);
    EXPECT_EQ(optional(card.sourceApp()), spec.sourceApp);
    EXPECT_EQ(card.useCount(), spec.useCount);
    EXPECT_EQ(card.lastUsedAt(), spec.lastUsedAt);
  };
  for (const auto& [shape, spec] : shapes) {
    const UUID id = UUID::random();
    SearchableCard card = makeCard(spec, id);
    const SearchableCard copy = card;
    expectFields(copy, spec, id, shape);
    SearchableCard moved = std::move(card);
    card = copy;  // a moved-from card takes a new value
    expectFields(card, spec, id, shape);
    moved = makeCard({.title = "other"});
    moved = copy;
    expectFields(moved, spec, id, shape);
    EXPECT_EQ(moved, copy);
  }
}

// Bodies are carved from shared blocks: cards made on threads that have ended, kept in part and
// dropped on another thread, keep their fields, and every block is given back (checked under
// the address sanitizer).
TEST(SearchableCardTest, CardsOutliveTheThreadsThatMadeThem) {
  std::vector<std::vector<SearchableCard>> kept(4);
  std::vector<std::thread> makers;
  for (std::size_t t = 0; t < kept.size(); ++t) {
    makers.emplace_back([&kept, t] {
      for (int i = 0; i < 3'000; ++i) {
        auto card = makeCard({.title = std::to_string(t) + "/" + std::to_string(i), .useCount = i});
        if (i % 3 != 0) kept[t].push_back(std::move(card));
      }
    });
  }
  for (auto& maker : makers) maker.join();
  for (std::size_t t = 0; t < kept.size(); ++t) {
    for (const SearchableCard& card : kept[t]) {
      ASSERT_EQ(card.title(), std::to_string(t) + "/" + std::to_string(card.useCount()));
    }
  }
  std::thread([&kept] { kept.clear(); }).join();
}

using Terms = std::vector<std::string>;

TEST(SearchTokenizerTest, SplitsFoldsAndSeparates) {
  const std::vector<std::pair<std::string, Terms>> rows = {
      {"  ,.;!? -- \t\n", {}},
      {"Hello, World!", {"hello", "world"}},
      {"don't", {"don", "t"}},
      {"iPhone手机", {"iphone", "手", "机"}},
      {"Cafe\u0301", {"cafe"}},  // a decomposed accent folds like a composed one
      {"Straße ÜBER", {"strasse", "uber"}},
      {"ΣΊΣΥΦΟΣ", {"σισυφοσ"}},
      {"ＡＢＣ", {"ａｂｃ"}},                  // width does not fold
      {"ひらがな", {"ひ", "ら", "か", "な"}},  // the voicing mark is a diacritic
      {"한국어", {"한", "국", "어"}},          // not split into jamo
      {"x𠀀y", {"x", "𠀀", "y"}},
      {"ab・cd", {"ab", "cd"}},
      {"🇩🇪 flag 👍🏽", {"flag"}},
      {"Ⅻ ½ ٣", {"ⅻ", "½", "٣"}},
      {"ab\xFFgh", {"ab", "gh"}},
      {"\xE6\x9D", {}},
      {std::string("x\0y", 3), {"x", "y"}},
  };
  for (const auto& [text, terms] : rows) EXPECT_EQ(SearchIndex::tokenize(text), terms) << text;
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

TEST(SearchTokenizerTest, RememberedWordsSplitAsWhenFoldedAgain) {
  // Words of scalars that fold, compose, decompose, expand, stand alone or are ill-formed;
  // some longer than a memo keeps. Separators are ASCII (between words a memo keeps) or not
  // (which join words into one run).
  const std::vector<std::string> scalars = {"a",       "Q",      "7",    "é",
                                            "e\u0301", "\u0301", "İ",    "ı",
                                            "ß",       "ẞ",      "ﬃ",    "Σ",
                                            "ς",       "ᾳ",      "Å",    "\u212B",
                                            "東",      "京",     "한",   "\u1100\u1161\u11A8",
                                            "ㄱ",      "ｱ",      "ひ",   "\u3099",
                                            "٣",       "Ⅻ",      "👍",    "👍🏽",
                                            "\u200D",  "🇩🇪",     "\xFF", "\xE6"};
  const std::vector<std::string> separators = {" ", "-", ", ", "'", "\u3000", "・", "—"};
  std::mt19937 random(4'242);
  const auto pick = [&](const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
  };
  std::vector<std::string> words(400);
  for (std::size_t i = 0; i < words.size(); ++i) {
    for (int n = i % 50 == 0 ? 40 : 1 + static_cast<int>(random() % 6); n > 0; --n) {
      words[i] += pick(scalars);
    }
  }
  SearchTokenizer::Memo memo;
  SearchTokenizer::Memo tinyMemo(4);
  for (int round = 0; round < 5'000; ++round) {
    std::string sample;
    for (int n = static_cast<int>(random() % 10); n > 0; --n)
      sample += pick(words) + pick(separators);
    const Terms direct = SearchIndex::tokenize(sample);
    for (SearchTokenizer::Memo* used : {&memo, &tinyMemo}) {
      Terms remembered;
      SearchTokenizer::forEachTerm(sample, *used,
                                   [&](std::string_view term) { remembered.emplace_back(term); });
      ASSERT_EQ(remembered, direct) << sample;
    }
  }
}

}  // namespace
}  // namespace kelvo
