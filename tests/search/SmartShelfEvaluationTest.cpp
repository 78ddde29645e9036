#include "core/search/SmartShelfEvaluation.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/design/KelvoIcon.hpp"
#include "core/search/SearchIndex.hpp"
#include "core/search/SmartShelfEditor.hpp"
#include "tests/search/SearchTestCards.hpp"

namespace kelvo {
namespace {

using P = CardPredicate;
using testing::makeCard;

const Date now(800'000'000);

SavedSearch search(std::optional<std::string> query, P predicate, CardSort sort) {
  return SavedSearch(UUID::random(), "S", std::move(query), std::move(predicate), sort,
                     KelvoIcon::search);
}

TEST(SmartShelfEvaluationTest, TheRankingRunsOnlyForARealQuery) {
  const std::vector<SearchableCard> library = {makeCard({.title = "b tax"}),
                                               makeCard({.title = "a", .type = CardType::fact}),
                                               makeCard({.title = "c tax"})};
  const auto outsider = makeCard({.title = "tax elsewhere"});
  int calls = 0;
  std::string asked;
  const SmartShelfEvaluation::Ranking rank = [&](std::string_view query) {
    ++calls;
    asked = query;
    if (query.find("tax") == std::string_view::npos) return std::vector<SearchableCard>{};
    return std::vector<SearchableCard>{library[2], outsider, library[0]};
  };
  for (const std::string query : {"  ", "!!"}) {
    EXPECT_EQ(SmartShelfEvaluation::evaluate(search(query, P::all(), CardSort::relevance),
                                             library, rank, now),
              library);
  }
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(SmartShelfEvaluation::evaluate(search(" tax ", P::all(), CardSort::relevance),
                                           library, rank, now),
            (std::vector<SearchableCard>{library[2], outsider, library[0]}));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(asked, " tax ");
  EXPECT_EQ(SmartShelfEvaluation::evaluate(search("tax", P::all(), CardSort::title), library,
                                           rank, now),
            (std::vector<SearchableCard>{library[0], library[2], outsider}));
  EXPECT_TRUE(SmartShelfEvaluation::evaluate(search("rent", P::all(), CardSort::title), library,
                                             rank, now)
                  .empty());
  EXPECT_EQ(SmartShelfEvaluation::matchCount(search("tax", P::type(CardType::fact),
                                                    CardSort::title),
                                             library, rank, now),
            0);
  EXPECT_EQ(SmartShelfEvaluation::matchCount(search(std::nullopt, P::type(CardType::fact),
                                                    CardSort::title),
                                             library, rank, now),
            1);
  EXPECT_EQ(calls, 4);
}

TEST(SmartShelfEvaluationTest, TheLiteralRankingShowsAtMostTwoHundred) {
  std::vector<SearchableCard> library;
  for (int i = 0; i < 250; ++i) library.push_back(makeCard({.title = "invoice " + std::to_string(i)}));
  const SearchIndex index(library);
  const auto rank = SmartShelfEvaluation::literalRanking(index);
  EXPECT_EQ(SmartShelfEvaluation::evaluate(search("invoice", P::all(), CardSort::title), library,
                                           rank, now)
                .size(),
            200u);
  EXPECT_EQ(SmartShelfEvaluation::evaluate(search(std::nullopt, P::all(), CardSort::title),
                                           library, rank, now)
                .size(),
            250u);
}

TEST(SmartShelfEvaluationTest, InspectorSectionsAndSummaries) {
  using S = SmartShelfInspectorSection;
  namespace I = SmartShelfInspector;
  EXPECT_EQ(I::sections(true), (std::vector<S>{S::startFrom, S::matches, S::order}));
  EXPECT_EQ(I::sections(false), (std::vector<S>{S::matches, S::order}));
  EXPECT_EQ(I::initiallyOpen(true), (I::Sections{S::startFrom, S::matches}));
  EXPECT_EQ(I::initiallyOpen(false), (I::Sections{S::matches}));
  EXPECT_TRUE(I::toggling(S::matches, {S::matches}).empty());
  EXPECT_EQ(I::toggling(S::order, {S::matches}), (I::Sections{S::matches, S::order}));
  EXPECT_EQ(identifier(S::startFrom), "smart-shelf-section-start-from");
  EXPECT_EQ(title(S::matches), "What it collects");
  EXPECT_EQ(icon(S::startFrom), KelvoIcon::intelligence);
  EXPECT_EQ(fromRawValue<S>("startFrom"), std::nullopt);

  EXPECT_EQ(I::matchesSummary(std::nullopt, "Stale", std::nullopt, true), "Any project \u00B7 Stale");
  EXPECT_EQ(I::matchesSummary("Acme", "Stale", std::nullopt, false), "Stale");
  EXPECT_EQ(I::matchesSummary(" Acme\n", "", "  ", true), "Acme \u00B7 ");
  const std::string exact(32, 'q');
  EXPECT_EQ(I::matchesSummary(std::nullopt, "Images", " " + exact + " ", false),
            "Images \u00B7 \u201C" + exact + "\u201D");
  EXPECT_EQ(I::matchesSummary(std::nullopt, "Images", exact + "e\u0301xyz", false),
            "Images \u00B7 \u201C" + exact + "\u2026\u201D");
  EXPECT_EQ(I::orderSummary(CardSort::mostUsed), "Most used");
  EXPECT_EQ(I::startFromSummary(0), "No presets");
  EXPECT_EQ(I::startFromSummary(1), "1 preset");
  EXPECT_EQ(I::startFromSummary(7), "7 presets");
  EXPECT_EQ(I::startFromSummary(-2), "-2 presets");
}

}  // namespace
}  // namespace kelvo
