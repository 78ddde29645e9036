#pragma once

// Runs a saved search over the library: a ranking supplied by the caller finds the cards for
// the free-text query, then the predicate filters them and the sort orders them.
//
//   const auto rank = SmartShelfEvaluation::literalRanking(index);  // index outlives rank
//   const auto shown = SmartShelfEvaluation::evaluate(*definition(shelf), cards, rank, now);

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "core/search/SavedSearch.hpp"
#include "core/search/SearchableCard.hpp"

namespace kelvo {

class SearchIndex;

namespace SmartShelfEvaluation {

/// The cards for a query text, best first.
using Ranking = std::function<std::vector<SearchableCard>(std::string_view)>;

/// The most cards the literal ranking gives for one query.
inline constexpr std::int64_t literalRankingLimit = 200;

/// Whether the search's query holds at least one search term.
bool hasQuery(const SavedSearch& search);
/// With a query, the ranking of the query exactly as stored (called once); else the library.
std::vector<SearchableCard> candidates(const SavedSearch& search,
                                       const std::vector<SearchableCard>& library,
                                       const Ranking& rank);
/// The cards the smart shelf shows, in display order: the candidates filtered at `now` and
/// sorted (`relevance` keeps the ranking's or the library's order).
std::vector<SearchableCard> evaluate(const SavedSearch& search,
                                     const std::vector<SearchableCard>& library,
                                     const Ranking& rank, Date now);
std::int64_t matchCount(const SavedSearch& search, const std::vector<SearchableCard>& library,
                        const Ranking& rank, Date now);
/// A ranking by the index's literal search, at most `literalRankingLimit` cards. It refers to
/// the index, which must outlive it.
Ranking literalRanking(const SearchIndex& index);

}  // namespace SmartShelfEvaluation
}  // namespace kelvo
