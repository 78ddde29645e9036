#include "core/search/SearchIndex.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "platform/foundation/Clock.hpp"
#include "tests/search/SearchTestCards.hpp"

namespace kelvo {
namespace {

using kelvo::testing::CardSpec;
using kelvo::testing::makeCard;

const Date now = Date(800'000'000);
constexpr double day = 86'400;

const ManualClock& fixedClock() {
  static const ManualClock clock(now);
  return clock;
}

SearchIndex indexOf(std::vector<SearchableCard> cards) { return SearchIndex(cards, fixedClock()); }

double onlyScore(const SearchIndex& index, std::string_view query) {
  const auto results = index.search(query, 10);
  EXPECT_EQ(results.size(), 1u) << query;
  return results.empty() ? -1 : results.front().score;
}

std::vector<std::string> titles(const std::vector<SearchResult>& results) {
  std::vector<std::string> out;
  for (const auto& result : results) out.push_back(result.card.title());
  return out;
}

TEST(SearchIndexTest, QueriesWithoutTermsOrOverNothingFindNothing) {
  const auto full = indexOf({makeCard({.title = "Invoice"}), makeCard({.content = "paid"})});
  EXPECT_TRUE(full.search("", 20).empty());
  EXPECT_TRUE(full.search(" ,.!? — ", 20).empty());
  EXPECT_TRUE(indexOf({}).search("invoice", 20).empty());
  EXPECT_EQ(indexOf({}).cardCount(), 0u);
  // A word no card holds empties the result, whatever the others find.
  EXPECT_TRUE(full.search("invoice nowhere", 20).empty());
  EXPECT_TRUE(full.search("nowhere invoice", 20).empty());
}

TEST(SearchIndexTest, OnlyTheLastWordMatchesAsABeginning) {
  const auto index = indexOf({makeCard({.title = "Invoice paid"})});
  const auto results = index.search("inv", 20);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_DOUBLE_EQ(results[0].score, 0.6 * 10);
  EXPECT_TRUE(index.search("inv paid", 20).empty());
  EXPECT_DOUBLE_EQ(onlyScore(index, "invoice pa"), 10 + 0.6 * 10);

  // A card holding "inv" itself matches exactly, and then "inv paid" finds it.
  const auto both = indexOf({makeCard({.title = "inv"}), makeCard({.title = "invoice paid"}),
                             makeCard({.title = "inv paid"})});
  EXPECT_EQ(titles(both.search("inv", 20)),
            (std::vector<std::string>{"inv", "inv paid", "invoice paid"}));
  EXPECT_EQ(titles(both.search("inv paid", 20)), std::vector<std::string>{"inv paid"});
  EXPECT_DOUBLE_EQ(both.search("inv", 20)[0].score, 10);
}

TEST(SearchIndexTest, TheBestFieldOfEachWordCountsAndWordsAddUp) {
  EXPECT_DOUBLE_EQ(onlyScore(indexOf({makeCard({.title = "Invoice"})}), "invoice"), 10);
  EXPECT_DOUBLE_EQ(onlyScore(indexOf({makeCard({.content = "an invoice"})}), "invoice"), 5);
  EXPECT_DOUBLE_EQ(
      onlyScore(indexOf({makeCard({.title = "Invoice", .content = "invoice"})}), "invoice"), 10);
  EXPECT_DOUBLE_EQ(onlyScore(indexOf({makeCard({.factLabel = "Invoice"})}), "invoice"), 8);
  EXPECT_DOUBLE_EQ(onlyScore(indexOf({makeCard({.autoTags = {"x", "invoice"}})}), "invoice"), 4);
  EXPECT_DOUBLE_EQ(onlyScore(indexOf({makeCard({.shelfName = "Invoice"})}), "invoice"), 3);
  EXPECT_DOUBLE_EQ(onlyScore(indexOf({makeCard({.extractedText = "invoice"})}), "invoice"), 2);
  // Neither the project nor the source application is searched.
  EXPECT_TRUE(indexOf({makeCard({.projectName = "invoice", .sourceApp = "invoice"})})
                  .search("invoice", 20)
                  .empty());

  // Exactness and fields of all matching terms are merged per card before weighting.
  const auto merged = indexOf({makeCard({.title = "Invoices", .content = "invoice"})});
  const auto results = merged.search("invoice", 20);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_DOUBLE_EQ(results[0].score, 10);
  EXPECT_EQ(results[0].matchedFields, (SearchFields{SearchField::title, SearchField::content}));

  EXPECT_DOUBLE_EQ(onlyScore(indexOf({makeCard({.title = "Annual invoice"})}), "annual invoice"),
                   20);
  // A repeated word counts twice.
  EXPECT_DOUBLE_EQ(onlyScore(indexOf({makeCard({.title = "Tax"})}), "tax tax"), 20);
  std::string longQuery;
  for (int i = 0; i < 100'000; ++i) longQuery += "tax ";
  EXPECT_DOUBLE_EQ(onlyScore(indexOf({makeCard({.title = "Tax"})}), longQuery), 1'000'000);
  const auto mixed = indexOf({makeCard({.title = "tax", .content = "annual", .autoTags = {"x"}})});
  const auto mixedResults = mixed.search("annual tax", 20);
  ASSERT_EQ(mixedResults.size(), 1u);
  EXPECT_DOUBLE_EQ(mixedResults[0].score, 15);
  EXPECT_EQ(mixedResults[0].matchedFields,
            (SearchFields{SearchField::title, SearchField::content}));
}

TEST(SearchIndexTest, UseAndRecencyBoostTheTextScore) {
  const auto scoreWith = [](std::int64_t uses, std::optional<Date> lastUsed) {
    return onlyScore(
        indexOf({makeCard({.title = "invoice", .useCount = uses, .lastUsedAt = lastUsed})}),
        "invoice");
  };
  EXPECT_DOUBLE_EQ(scoreWith(0, std::nullopt), 10);
  EXPECT_DOUBLE_EQ(scoreWith(10, std::nullopt), 12);
  EXPECT_DOUBLE_EQ(scoreWith(25, std::nullopt), 15);
  EXPECT_DOUBLE_EQ(scoreWith(1'000, std::nullopt), 15);
  EXPECT_DOUBLE_EQ(scoreWith(INT64_MAX, std::nullopt), 15);
  // A negative count is taken as no use rather than shrinking or flipping the score.
  EXPECT_DOUBLE_EQ(scoreWith(-500, std::nullopt), 10);

  EXPECT_DOUBLE_EQ(scoreWith(0, now), 13);
  EXPECT_NEAR(scoreWith(0, now - 14 * day), 10 * (1 + 0.3 * std::exp(-1.0)), 1e-12);
  EXPECT_NEAR(scoreWith(0, now - 14 * day), 11.1036, 1e-4);
  EXPECT_DOUBLE_EQ(scoreWith(0, now + 3 * day), 13);
  EXPECT_NEAR(scoreWith(25, now - 7 * day), 10 * 1.5 * (1 + 0.3 * std::exp(-0.5)), 1e-12);
  // Dates that are not numbers give a finite score.
  EXPECT_DOUBLE_EQ(scoreWith(0, Date(NAN)), 13);
  EXPECT_DOUBLE_EQ(scoreWith(0, Date(-INFINITY)), 10);
}

TEST(SearchIndexTest, TheRecencyBoostFollowsTheClock) {
  ManualClock clock(now);
  const std::vector<SearchableCard> cards = {makeCard({.title = "invoice", .lastUsedAt = now})};
  const SearchIndex index(cards, clock);
  EXPECT_DOUBLE_EQ(index.search("invoice", 1)[0].score, 13);
  clock.set(now + 14 * day);
  EXPECT_NEAR(index.search("invoice", 1)[0].score, 10 * (1 + 0.3 * std::exp(-1.0)), 1e-12);
}

TEST(SearchIndexTest, EqualScoresComeInCodePointOrderOfTitles) {
  const auto index = indexOf({makeCard({.title = "apple", .content = "fruit"}),
                              makeCard({.title = "Zebra", .content = "fruit"}),
                              makeCard({.title = "Äpfel", .content = "fruit"}),
                              makeCard({.title = "banana", .content = "fruit"}),
                              makeCard({.title = "fruit basket"})});
  EXPECT_EQ(titles(index.search("fruit", 20)),
            (std::vector<std::string>{"fruit basket", "Zebra", "apple", "banana", "Äpfel"}));
  // A title written decomposed sorts as its composed form.
  const auto forms = indexOf({makeCard({.title = "A\u0308b", .content = "x"}),
                              makeCard({.title = "\u00C4a", .content = "x"}),
                              makeCard({.title = "B", .content = "x"})});
  EXPECT_EQ(titles(forms.search("x", 20)), (std::vector<std::string>{"B", "\u00C4a", "A\u0308b"}));
}

TEST(SearchIndexTest, LimitsTheNumberOfResults) {
  std::vector<SearchableCard> cards;
  for (int i = 0; i < 30; ++i) {
    cards.push_back(makeCard({.title = "card " + std::to_string(i), .useCount = i}));
  }
  const auto index = indexOf(cards);
  EXPECT_TRUE(index.search("card", 0).empty());
  EXPECT_TRUE(index.search("card", -1).empty());
  EXPECT_TRUE(index.search("card", INT64_MIN).empty());
  EXPECT_EQ(index.search("card", 1'000'000).size(), 30u);
  EXPECT_EQ(index.search("card", INT64_MAX).size(), 30u);
  const auto top = index.search("card", 3);
  EXPECT_EQ(titles(top), (std::vector<std::string>{"card 25", "card 26", "card 27"}));
}

TEST(SearchIndexTest, InsertingAgainReplacesAndRemovingTakesOut) {
  const UUID id = UUID::random();
  auto index = indexOf({makeCard({.title = "old words"}, id), makeCard({.title = "words"})});
  EXPECT_EQ(index.cardCount(), 2u);
  EXPECT_EQ(index.termCount(), 2u);

  index.insert(makeCard({.title = "new words"}, id));
  EXPECT_EQ(index.cardCount(), 2u);
  EXPECT_TRUE(index.search("old", 20).empty());
  EXPECT_EQ(index.search("new", 20).size(), 1u);
  EXPECT_EQ(index.termCount(), 2u);  // "old" left, "new" came
  EXPECT_EQ(index.search("ol", 20).size(), 0u);

  index.remove(UUID::random());
  EXPECT_EQ(index.cardCount(), 2u);
  EXPECT_EQ(index.termCount(), 2u);

  index.remove(id);
  EXPECT_EQ(index.cardCount(), 1u);
  EXPECT_EQ(index.termCount(), 1u);
  EXPECT_TRUE(index.search("ne", 20).empty());
  index.remove(id);
  EXPECT_EQ(index.cardCount(), 1u);

  // In a batch the later card of an identifier wins.
  const UUID twice = UUID::random();
  const std::vector<SearchableCard> batch = {makeCard({.title = "first"}, twice),
                                             makeCard({.title = "second"}, twice)};
  index.insert(batch);
  EXPECT_EQ(index.cardCount(), 2u);
  EXPECT_TRUE(index.search("first", 20).empty());
  EXPECT_EQ(index.search("sec", 20).size(), 1u);
  EXPECT_EQ(index.termCount(), 2u);

  // A copy is an independent index.
  SearchIndex copy = index;
  copy.remove(twice);
  EXPECT_EQ(index.search("second", 20).size(), 1u);
  EXPECT_TRUE(copy.search("second", 20).empty());
}

TEST(SearchIndexTest, CardsWithoutWordsCountButAreNeverFound) {
  const auto index = indexOf({makeCard({.title = "— ! —", .content = "👍"})});
  EXPECT_EQ(index.cardCount(), 1u);
  EXPECT_EQ(index.termCount(), 0u);
  EXPECT_TRUE(index.search("a", 20).empty());
}

TEST(SearchIndexTest, FoldsQueriesAndSplitsIdeographs) {
  const auto index = indexOf({makeCard({.title = "Café au lait"}),
                              makeCard({.content = "東の京都"}), makeCard({.content = "東だけ"})});
  EXPECT_EQ(titles(index.search("CAFÉ", 20)), std::vector<std::string>{"Café au lait"});
  EXPECT_EQ(index.search("cafe", 20).size(), 1u);
  // Each ideograph is a term: the query finds them apart as well as together.
  EXPECT_EQ(index.search("東京", 20).size(), 1u);
  EXPECT_EQ(index.search("京東", 20).size(), 1u);
  EXPECT_EQ(index.search("東", 20).size(), 2u);
  EXPECT_EQ(index.search("한국", 20).size(), 0u);
}

TEST(SearchIndexTest, APrefixMatchesWholeCharactersOnly) {
  // "कि" is one character (a consonant and its vowel sign), so "क" does not begin it; "कक"
  // and "कॐ" are two characters each and begin with "क". The sorted terms are कक, कि, कॐ:
  // a word that fails the test in between does not hide the words after it.
  const auto index = indexOf({makeCard({.title = "one", .content = "कि"}),
                              makeCard({.title = "two", .content = "कक"}),
                              makeCard({.title = "three", .content = "कॐ"})});
  EXPECT_EQ(titles(index.search("क", 20)), (std::vector<std::string>{"three", "two"}));
  EXPECT_EQ(titles(index.search("कि", 20)), std::vector<std::string>{"one"});
}

}  // namespace
}  // namespace kelvo
