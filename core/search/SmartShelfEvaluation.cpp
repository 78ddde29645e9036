#include "core/search/SmartShelfEvaluation.hpp"

#include "core/search/SearchIndex.hpp"

namespace kelvo::SmartShelfEvaluation {

bool hasQuery(const SavedSearch& search) {
  return search.query() && !SearchIndex::tokenize(*search.query()).empty();
}

std::vector<SearchableCard> candidates(const SavedSearch& search,
                                       const std::vector<SearchableCard>& library,
                                       const Ranking& rank) {
  return hasQuery(search) ? rank(*search.query()) : library;
}

std::vector<SearchableCard> evaluate(const SavedSearch& search,
                                     const std::vector<SearchableCard>& library,
                                     const Ranking& rank, Date now) {
  if (!hasQuery(search)) return search.apply(library, now);
  return search.apply(rank(*search.query()), now);
}

std::int64_t matchCount(const SavedSearch& search, const std::vector<SearchableCard>& library,
                        const Ranking& rank, Date now) {
  // Sorting keeps the number of cards, so counting the filtered candidates is enough.
  if (!hasQuery(search)) return search.predicate().count(library, now);
  return search.predicate().count(rank(*search.query()), now);
}

Ranking literalRanking(const SearchIndex& index) {
  return [&index](std::string_view query) {
    std::vector<SearchableCard> cards;
    for (const SearchResult& result : index.search(query, literalRankingLimit)) {
      cards.push_back(result.card);
    }
    return cards;
  };
}

}  // namespace kelvo::SmartShelfEvaluation
