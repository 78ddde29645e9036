#include "core/search/SemanticSearch.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>

#include "core/search/StaticLexicon.hpp"
#include "core/search/WordEmbeddingLexicon.hpp"
#include "platform/foundation/TextCompare.hpp"
#include "platform/language/LanguageData.hpp"
#include "platform/language/WordEmbedding.hpp"
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
    out.push_back({std::string(result.card.title()), result.score, sentences});
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

// A plain statement of the widening, with every word searched and everything kept in maps:
// random libraries and queries must give the same results, and the same order up to cards
// tied in score and title.
std::vector<SemanticSearchResult> plainWidening(const std::string& query, const SearchIndex& index,
                                                const SemanticLexicon& lexicon,
                                                const SemanticSearch::Options& opts) {
  std::vector<std::string> terms;
  for (const std::string& token : SearchIndex::tokenize(query)) {
    if (std::ranges::find(terms, token) == terms.end()) terms.push_back(token);
  }
  const std::size_t distinctCount = terms.size();
  if (terms.size() > 8) terms.resize(8);
  const auto literal = index.search(query, opts.limit);
  const auto literalAnswer = [&] {
    std::vector<SemanticSearchResult> answer;
    for (const SearchResult& r : literal)
      answer.push_back({r.card, r.score, r.score, 0, r.matchedFields, {}});
    return answer;
  };
  if (terms.empty()) return {};
  if (std::ssize(literal) >= opts.literalSufficiency) return literalAnswer();
  std::map<std::string, std::vector<SearchResult>> hitsByWord;
  std::map<UUID, SearchFields> fieldsSeen;
  const auto hitsOf = [&](const std::string& word) -> const std::vector<SearchResult>& {
    if (!hitsByWord.contains(word)) {
      auto& hits = hitsByWord[word] =
          distinctCount == 1 && word == terms[0] ? literal : index.search(word, opts.limit);
      for (const SearchResult& hit : hits)
        fieldsSeen[hit.id()].insert(hit.matchedFields.begin(), hit.matchedFields.end());
    }
    return hitsByWord[word];
  };
  std::vector<std::map<UUID, std::pair<double, TermVariant>>> coverage(terms.size());
  bool anyVariant = false;
  for (std::size_t t = 0; t < terms.size(); ++t) {
    std::vector<TermVariant> words{{terms[t], TermRelation::exact}};
    for (const TermVariant& v : lexicon.variants(terms[t], opts.maxVariantsPerTerm)) {
      if (v.term != terms[t]) words.push_back(v);
    }
    anyVariant = anyVariant || words.size() > 1;
    for (const TermVariant& word : words) {
      for (const SearchResult& hit : hitsOf(word.term)) {
        const double score = hit.score * strength(word.relation);
        const auto [held, isNew] = coverage[t].try_emplace(hit.id(), score, word);
        const TermRelation was = held->second.second.relation;
        if (!isNew && (isStronger(word.relation, was) ||
                       (word.relation == was && score > held->second.first))) {
          held->second = {score, word};
        }
      }
    }
  }
  if (!anyVariant) return literalAnswer();
  std::vector<SemanticSearchResult> results;
  for (const auto& [id, unused] : coverage[0]) {
    if (!std::ranges::all_of(coverage, [&](const auto& c) { return c.contains(id); })) continue;
    const auto inLiteral = std::ranges::find(literal, id, &SearchResult::id);
    const SearchResult* any = nullptr;  // every copy of a card is the same record
    for (const auto& [word, hits] : hitsByWord) {
      if (const auto hit = std::ranges::find(hits, id, &SearchResult::id); hit != hits.end())
        any = &*hit;
    }
    SemanticSearchResult result{any->card, 0, 0, 0, fieldsSeen[id], {}};
    double sum = 0;
    for (std::size_t t = 0; t < terms.size(); ++t) {
      const auto& [score, word] = coverage[t].at(id);
      if (word.relation == TermRelation::exact) continue;
      sum += score;
      SearchFields fields;
      for (const SearchResult& hit : hitsByWord[word.term]) {
        if (hit.id() == id) fields = hit.matchedFields;
      }
      result.explanations.push_back({terms[t], word.term, word.relation, fields});
    }
    std::ranges::stable_sort(result.explanations, [](const auto& a, const auto& b) {
      return isStronger(a.relation, b.relation);
    });
    if (inLiteral != literal.end()) {
      result.literalScore = inLiteral->score;
      result.matchedFields.insert(inLiteral->matchedFields.begin(), inLiteral->matchedFields.end());
    }
    result.semanticScore = sum * opts.semanticWeight;
    result.score = result.literalScore + result.semanticScore;
    results.push_back(result);
  }
  std::ranges::stable_sort(results, [](const auto& a, const auto& b) {
    if (a.score != b.score) return a.score > b.score;
    return text::localizedCompare(a.card.title(), b.card.title()) < 0;
  });
  if (std::ssize(results) > opts.limit) results.erase(results.begin() + opts.limit, results.end());
  return results;
}

TEST(SemanticSearchTest, AgreesWithAPlainWidening) {
  std::vector<std::string> words{"alpha", "beta", "gamma", "quotes", "paying"};
  for (const auto& group : StaticLexicon::officeVocabularyGroups()) {
    words.insert(words.end(), group.begin(), group.end());
  }
  std::mt19937 random(91);
  std::uniform_int_distribution<std::size_t> pick(0, words.size() - 1);
  std::uniform_int_distribution<int> small(0, 9);
  const auto text = [&](int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += words[pick(random)] + " ";
    return out;
  };
  for (int library = 0; library < 4; ++library) {
    std::vector<SearchableCard> cards;
    for (int i = 0; i < 150; ++i) {
      cards.push_back(makeCard({.title = text(1 + small(random) % 3),
                                .content = text(small(random)),
                                .autoTags = {text(small(random) % 2)},
                                .useCount = small(random) * 6}));
    }
    const SearchIndex index(cards, fixedClock);
    SemanticSearch::Options opts = options(40, 0.35);
    opts.limit = 1 + small(random) * 4;
    for (int q = 0; q < 40; ++q) {
      const std::string query = text(1 + small(random) % 3);
      const auto expected = plainWidening(query, index, *office, opts);
      const auto actual = SemanticSearch(office, opts).search(query, index);
      ASSERT_EQ(actual.size(), expected.size()) << query;
      for (std::size_t i = 0; i < actual.size(); ++i) {
        ASSERT_EQ(actual[i].score, expected[i].score) << query << " #" << i;
        ASSERT_EQ(actual[i].card.title(), expected[i].card.title()) << query << " #" << i;
        const auto same = std::ranges::find(expected, actual[i].id(), &SemanticSearchResult::id);
        ASSERT_TRUE(same != expected.end() && *same == actual[i]) << query << " #" << i;
      }
    }
  }
}

// Over the word tables, a word's other forms find its cards, and a word that is no form of
// another finds none of that word's.
TEST(SemanticSearchTest, AnInflectedQueryFindsItsWordsCards) {
  language::setDataDirectory(KELVO_LANGUAGE_BUILD_DATA);
  if (language::WordEmbedding::forLanguage("en") == nullptr) GTEST_SKIP() << "no WordNet tables";
  const auto lexicon = WordEmbeddingLexicon::standard();
  lexicon->prewarm();
  const std::vector<SearchableCard> cards{
      makeCard({.title = "Schedule the dentist"}),
      makeCard({.title = "Receipt from the garage"}),
      makeCard({.title = "Change the car oil"}),
      makeCard({.title = "Why bicycles stay upright"}),
      makeCard({.title = "Close the gate at night and fix the latch"}),
      makeCard({.title = "Custom keyboard shortcuts"})};
  const SearchIndex index(cards, fixedClock);
  const auto titles = [&](const char* query) {
    Words found;
    for (const auto& result : SemanticSearch(lexicon, options()).search(query, index)) {
      found.emplace_back(result.card.title());
    }
    return found;
  };
  EXPECT_EQ(titles("scheduled"), Words{"Schedule the dentist"});
  EXPECT_EQ(titles("receipts"), Words{"Receipt from the garage"});
  EXPECT_EQ(titles("changed"), Words{"Change the car oil"});
  EXPECT_EQ(titles("bikes"), Words{"Why bicycles stay upright"});
  for (const char* query : {"fixed", "closed", "fixes", "closes"}) {
    EXPECT_EQ(titles(query), Words{"Close the gate at night and fix the latch"}) << query;
  }
  EXPECT_TRUE(titles("customer").empty());
}

}  // namespace
}  // namespace kelvo
