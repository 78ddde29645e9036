// Internal to core/search: include "core/search/SearchIndex.hpp" instead.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/search/SearchResult.hpp"
#include "core/search/internal/SearchIndexImpl.hpp"
#include "platform/foundation/Date.hpp"

namespace kelvo::search_internal {

/// The last steps of a query: of the cards scored on their texts, those that can still rank get
/// their use and recency boosts, and the best come back as results, by score, then title, then
/// slot. Cards that left the index may be among those scored; they are passed over.
class SearchRanking {
 public:
  /// A card's score so far, and the fields in which it matched.
  struct Scored {
    double score;
    SearchIndexImpl::Slot slot;
    std::uint8_t fields;
  };

  explicit SearchRanking(const SearchIndexImpl& index) : index_(index) {}

  /// At most `limit` results, best first. The order of `scored` is free. Recency is taken at
  /// `now`, or at the clock's time when first needed.
  std::vector<SearchResult> best(std::vector<Scored> scored, std::uint64_t limit,
                                 std::optional<Date> now = std::nullopt) const;
  /// Whether at least `count` of the entries scoring `score` or more are of cards still held.
  bool holdAtLeast(std::span<const Scored> scored, double score, std::uint64_t count) const;

 private:
  struct Ranked;

  void keepThoseThatCanRank(std::vector<Scored>& scored, std::uint64_t limit) const;
  void applyBoosts(std::vector<Scored>& scored, std::optional<Date> now) const;
  std::vector<Ranked> withTitles(std::span<const Scored> scored) const;
  std::vector<SearchResult> choose(std::vector<Scored>& scored, std::uint64_t limit) const;

  const SearchIndexImpl& index_;
};

}  // namespace kelvo::search_internal
