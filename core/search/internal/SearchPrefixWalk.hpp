// Internal to core/search: include "core/search/SearchIndex.hpp" instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "core/search/SearchTokenizer.hpp"
#include "core/search/internal/SearchIndexImpl.hpp"
#include "core/search/internal/SearchRanking.hpp"
#include "core/search/internal/SearchTermTable.hpp"
#include "platform/foundation/Date.hpp"

namespace kelvo::search_internal {

/// The cards that can rank for a query of one prefix that much of the library holds, found
/// without scoring every card that holds it. Cards are visited by their boosts, greatest
/// first, and each is judged by the cheapest test that settles whether it can still rank: a
/// card's score is its text score times its boost, and no text score passes 10 (a title holding
/// the term itself) or 6 (a title holding a longer word). The visit stops once no card left can
/// reach the `limit`-th best score found. It gives up when that takes more visits than scoring
/// every card holding the prefix would cost. Lives for one query.
class SearchPrefixWalk {
 public:
  using Scored = SearchRanking::Scored;
  using Slot = SearchTermTable::Slot;
  using TermID = SearchTermTable::TermID;

  /// `words` are the terms beginning with `prefix`, holding `postings` postings in all.
  SearchPrefixWalk(const SearchIndexImpl& index, std::string_view prefix,
                   std::span<const TermID> words, std::size_t postings);

  /// Whether a walk is worth trying: the prefix's cards are a large share of the slots, and
  /// few visits are expected to find the `limit` best.
  bool suits(std::uint64_t limit) const;

  /// A superset of the `limit` best cards, each with its text score and the fields it matches
  /// in, for `SearchRanking` to order with boosts taken at `now`; none when the walk gives up.
  std::optional<std::vector<Scored>> run(std::uint64_t limit, Date now);

 private:
  // A visited card that may rank: its text score, settled or only a bound.
  struct Candidate {
    Slot slot;
    double boost;
    double text;
    bool settled;
    std::uint8_t hit = 0;  // the hit byte, once read
  };

  std::size_t visitBudget() const;
  bool holdsTerm(Slot slot) const;
  bool beginsAWordOf(std::string_view text);
  void consider(Slot slot, double boost);
  void considerTermsCards(std::vector<Slot>& visited);
  double limitth() const;
  void noteScore(double score);
  std::vector<Scored> contenders();
  std::uint8_t hitByte(Slot slot);

  const SearchIndexImpl& index_;
  std::string_view prefix_;
  std::span<const TermID> words_;
  std::size_t postings_;
  Date now_;
  std::span<const SearchTermTable::Posting> exact_;  // the postings of the term itself
  bool termWhole_ = false;  // the term's own cards are few enough to visit all of them
  std::uint64_t limit_ = 0;
  std::vector<double> best_;  // the `limit` best settled scores: a min-heap
  std::vector<Candidate> candidates_;
  // The words outside ASCII of the texts read, folded once.
  SearchTokenizer::Memo memo_{1'024};
};

}  // namespace kelvo::search_internal
