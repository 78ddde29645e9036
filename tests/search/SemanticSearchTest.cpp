#include "core/search/SemanticSearch.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "core/search/StaticLexicon.hpp"
#include "tests/search/LexiconTestSupport.hpp"
#include "tests/search/SearchTestCards.hpp"

namespace kelvo {
namespace {

using testing::makeCard;
using testing::ScriptedLexicon;
using Words = std::vector<std::string>;

const ManualClock fixedClock(Date(800'000'000));

// A continuous clock that moves on by `step` seconds at every reading.
class TickingClock final : public Clock {
 public:
  explicit TickingClock(TimeInterval step) : step_(step) {}
  Date now() const override { return Date(800'000'000); }
  TimeInterval continuousNow() const override {
    const TimeInterval reading = elapsed_;
    elapsed_ += step_;
    return reading;
  }

 private:
  TimeInterval step_;
  mutable TimeInterval elapsed_ = 0;
};

SemanticSearch::Options options(std::int64_t queries = 20, double weight = 0.35) {
  return {.maxVariantsPerTerm = 8,
          .maxIndexQueries = queries,
          .maxTerms = 8,
          .semanticWeight = weight,
          .limit = 200,
          .expansionBudget = 10,
          .literalSufficiency = 50};
}

const auto office = StaticLexicon::officeVocabulary();

// Board slides holds the word; Q3 deck a synonym in its title; Town hall one in its content.
SearchIndex deckIndex() {
  const std::vector<SearchableCard> cards{
      makeCard({.title = "Board slides"}), makeCard({.title = "Q3 deck"}),
      makeCard({.title = "Town hall", .content = "presentation notes"})};
  return SearchIndex(cards, fixedClock);
}

struct Row {
  std::string title;
  double score;
  Words sentences;
  friend bool operator==(const Row&, const Row&) = default;
};
std::ostream& operator<<(std::ostream& out, const Row& row) {
  return out << row.title << " " << row.score << " [" << row.sentences.size() << "]";
}

std::vector<Row> rows(const std::vector<SemanticSearchResult>& results) {
  std::vector<Row> out;
  for (const SemanticSearchResult& result : results) {
    Words sentences;
    for (const MatchExplanation& explanation : result.explanations) {
      sentences.push_back(explanation.sentence());
    }
    out.push_back({result.card.title(), result.score, sentences});
  }
  return out;
}

TEST(SemanticSearchTest, OneWordSpendsItsAllowanceOnVariants) {
  const SearchIndex index = deckIndex();
  const std::vector<Row> expanded{{"Board slides", 10, {}},
                                  {"Q3 deck", 3.5, {"deck — means slides"}},
                                  {"Town hall", 1.75, {"presentation — means slides"}}};
  const auto results = SemanticSearch(office, options(3, 0.5)).search("slides", index);
  EXPECT_EQ(rows(results), expanded);
  ASSERT_EQ(results.size(), 3u);
  EXPECT_TRUE(results[0].isLiteralMatch());
  EXPECT_FALSE(results[1].isLiteralMatch());
  EXPECT_EQ(results[2].matchedFields, SearchFields{SearchField::content});

  const std::vector<Row> literal{{"Board slides", 10, {}}};
  EXPECT_EQ(rows(SemanticSearch(office, options(2, 0.5)).search("slides", index)), literal);
  // Each continuous reading costs 10 ms: the second word search would end past 25 ms.
  const TickingClock ticking(0.010);
  SemanticSearch::Options tight = options(3, 0.5);
  tight.expansionBudget = 0.025;
  EXPECT_EQ(rows(SemanticSearch(office, tight, ticking).search("slides", index)), literal);
  EXPECT_EQ(rows(SemanticSearch(office, options(3, 0.5), ticking).search("slides", index)),
            expanded);
  // A weight that is no number makes every widened score none: nothing breaks, titles decide.
  const auto odd = SemanticSearch(office, options(3, std::nan(""))).search("slides", index);
  ASSERT_EQ(odd.size(), 3u);
  EXPECT_TRUE(std::isnan(odd[0].score));
  EXPECT_EQ(odd[2].card.title(), "Town hall");
}

TEST(SemanticSearchTest, LiteralAnswersAndWhatIsNeverAsked) {
  std::vector<SearchableCard> cards;
  for (int i = 0; i < 60; ++i) cards.push_back(makeCard({.title = "invoice " + std::to_string(i)}));
  cards.push_back(makeCard({.title = "a b c d e f g h i", .content = "bill"}));
  const SearchIndex index(cards, fixedClock);
  const auto lexicon =
      std::make_shared<ScriptedLexicon>(std::vector<TermVariant>{{"", TermRelation::synonym}});
  const SemanticSearch search(lexicon, options());

  EXPECT_TRUE(search.search(" — !? ", index).empty());
  EXPECT_EQ(search.search("invoice", index).size(), 60u);  // sufficient: no widening
  EXPECT_TRUE(lexicon->asked.empty());

  // The lexicon echoes the term: nothing is left to widen.
  const auto literal = index.search("invoice Invoice INVOICE", 200);
  SemanticSearch::Options few = options();
  few.literalSufficiency = 1'000;
  const auto answer = SemanticSearch(lexicon, few).search("invoice Invoice INVOICE", index);
  ASSERT_EQ(answer.size(), literal.size());
  for (std::size_t i = 0; i < answer.size(); ++i) {
    EXPECT_EQ(
        answer[i],
        (SemanticSearchResult{
            literal[i].card, literal[i].score, literal[i].score, 0, literal[i].matchedFields, {}}));
  }
  EXPECT_EQ(lexicon->asked, Words{"invoice"});

  lexicon->asked.clear();
  SemanticSearch(lexicon, few).search("a b c d e f g h i", index);
  EXPECT_EQ(lexicon->asked, (Words{"a", "b", "c", "d", "e", "f", "g", "h"}));
  lexicon->asked.clear();
  few.maxTerms = 0;
  EXPECT_EQ(SemanticSearch(lexicon, few).search("a b", index).size(), 1u);
  few.maxTerms = -4;
  few.limit = -1;
  EXPECT_TRUE(SemanticSearch(lexicon, few).search("a b", index).empty());
  EXPECT_TRUE(lexicon->asked.empty());

  const SemanticSearch literalOnly(office, SemanticSearch::Options::literalOnly());
  EXPECT_EQ(literalOnly.search("invoice Invoice INVOICE", index), answer);
}

TEST(SemanticSearchTest, EveryTermMustBeCovered) {
  const std::vector<SearchableCard> cards{
      makeCard({.title = "Rate card", .content = "bill"}), makeCard({.title = "Rate and invoice"}),
      // Holds the term in its content and a variant in its heavier title.
      makeCard({.title = "Bill", .content = "rate invoice"}), makeCard({.title = "Price list"})};
  const SearchIndex index(cards, fixedClock);
  const SemanticSearch search(office, options());
  const auto results = search.search("rate invoice", index);
  ASSERT_EQ(results.size(), 3u);
  for (const SemanticSearchResult& result : results) {
    if (result.card.title() != "Rate card") {
      EXPECT_TRUE(result.explanations.empty()) << result.card.title();
      EXPECT_GT(result.literalScore, 0);
      continue;
    }
    EXPECT_EQ(result.literalScore, 0);
    EXPECT_EQ(result.explanations,
              (std::vector<MatchExplanation>{
                  {"invoice", "bill", TermRelation::synonym, {SearchField::content}}}));
  }
  // No card covers "zebra", by itself or a variant.
  EXPECT_TRUE(search.search("invoice zebra", index).empty());
  // Cut to its first word, the query searches that word itself: the literal results of both
  // words would miss "Board slides".
  SemanticSearch::Options one = options();
  one.maxTerms = 1;
  EXPECT_EQ(rows(SemanticSearch(office, one).search("slides zebra", deckIndex())).size(), 3u);
}

TEST(SemanticSearchTest, TiesGoByTitleAndTheLimitHolds) {
  const std::vector<SearchableCard> cards{makeCard({.title = "zeta", .content = "deck"}),
                                          makeCard({.title = "Alpha", .content = "deck"}),
                                          makeCard({.title = "beta", .content = "deck"})};
  SemanticSearch::Options opts = options(20, 0.5);
  opts.limit = 2;
  EXPECT_EQ(rows(SemanticSearch(office, opts).search("slides", SearchIndex(cards, fixedClock))),
            (std::vector<Row>{{"Alpha", 1.75, {"deck — means slides"}},
                              {"beta", 1.75, {"deck — means slides"}}}));
}

}  // namespace
}  // namespace kelvo
