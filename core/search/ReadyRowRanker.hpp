#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/search/RankingContext.hpp"
#include "core/search/SearchableCard.hpp"

namespace kelvo {

/// Ranks cards for the ready row: the score grows with use, with recent use, with a card
/// captured from the application in front, and with a shelf that suits the time of day. Keeps
/// no state; the same input always gives the same output.
class ReadyRowRanker {
 public:
  /// The number of cards the ready row shows; callers pass it to `rank` as the limit.
  static constexpr std::int64_t readyRowSize = 5;

  /// (ln(uses + 1) + 1) × recency × application match × shelf fit.
  double score(const SearchableCard& card, const RankingContext& context) const;

  /// At most `limit` of `cards`, best first; equal scores in the current locale's order of
  /// titles, then in input order. A `limit` below zero counts as zero.
  std::vector<SearchableCard> rank(std::span<const SearchableCard> cards,
                                   const RankingContext& context, std::int64_t limit) const;
};

}  // namespace kelvo
