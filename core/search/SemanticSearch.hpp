#pragma once

// Meaning-aware search: the literal search first, and when it finds too little, each query
// word widened through a lexicon (other forms, synonyms, related words). The cards that cover
// every word, by itself or through another, come back with their literal and semantic scores
// and one explanation per widened word.
//
//   SemanticSearch search(StaticLexicon::officeVocabulary(),
//                         {.maxVariantsPerTerm = 8, .maxIndexQueries = 20, .maxTerms = 8,
//                          .semanticWeight = 0.35, .limit = 200, .expansionBudget = 0.045,
//                          .literalSufficiency = 50});
//   for (const SemanticSearchResult& hit : search.search("quote payment", index)) {
//     for (const MatchExplanation& why : hit.explanations) show(why.sentence());
//   }
//
// A query allowance and a time budget bound the widening; when either would be overrun the
// widening is given up whole and the literal answer stands, so an answer never mixes widened
// words with words that were not.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "core/search/SearchIndex.hpp"
#include "core/search/SemanticLexicon.hpp"
#include "core/search/SemanticSearchResult.hpp"
#include "platform/foundation/Clock.hpp"

namespace kelvo {

/// A plain value: copies share the lexicon. Searches may run at once from several threads when
/// the lexicon allows it.
class SemanticSearch {
 public:
  /// The limits of every call; the caller gives all seven.
  struct Options {
    /// The most variants asked of the lexicon per term; 0 or below turns widening off.
    std::int64_t maxVariantsPerTerm;
    /// How many single-word index searches one call may make (the whole query's is free).
    std::int64_t maxIndexQueries;
    /// How many distinct query terms, the first ones, take part in widening.
    std::int64_t maxTerms;
    /// The factor on the sum of a card's scores earned through variants.
    double semanticWeight;
    /// The limit of every index search, and the most results a widened answer gives.
    std::int64_t limit;
    /// Seconds from the start of the call within which each word search must be predicted to end.
    TimeInterval expansionBudget;
    /// With at least this many literal results, no widening is tried.
    std::int64_t literalSufficiency;

    /// The literal answer only: (0, 8, 8, 0.35, 200, 45 ms, 50).
    static const Options& literalOnly();
  };

  /// Time is read from `clock`'s continuous clock, which must outlive the search and its copies.
  SemanticSearch(std::shared_ptr<const SemanticLexicon> lexicon, Options options,
                 const Clock& clock = Clock::system());

  const Options& options() const { return options_; }
  const std::shared_ptr<const SemanticLexicon>& lexicon() const { return lexicon_; }

  /// The cards for `query`, best first. Never fails and never changes the index. Negative
  /// limits and counts count as zero.
  std::vector<SemanticSearchResult> search(std::string_view query, const SearchIndex& index) const;

 private:
  std::shared_ptr<const SemanticLexicon> lexicon_;
  Options options_;
  const Clock* clock_;
};

}  // namespace kelvo
