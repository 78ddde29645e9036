// Internal to core/search: include "core/search/SearchIndex.hpp" instead.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "core/search/internal/SearchBoosts.hpp"
#include "core/search/internal/SearchTermTable.hpp"
#include "platform/foundation/Date.hpp"

namespace kelvo::search_internal {

/// An index's slots in order of their cards' use and recency boosts, greatest first, at
/// whatever moment a query asks. A card's boost is its use level's boost times its recency, and
/// recency only falls with the time since the last use; so each level keeps its slots by last
/// use, latest first (none last), and a walk merges the levels by the boost of each one's next
/// slot. Slots added since the levels were last merged wait in a short list kept in the same
/// order. Slots of cards that left stay until the slots are renumbered: walkers skip them.
class SearchBoostOrder {
 public:
  using Slot = SearchTermTable::Slot;

  /// Adds a slot whose boosts are `boosts[slot]`; `settle` puts it in order.
  void add(Slot slot) { waiting_.push_back(slot); }
  /// Puts the slots added in order, merging the waiting ones into the levels once they are many.
  void settle(std::span<const SearchBoosts> boosts);
  /// Drops the slots `newSlots` maps to `droppedSlot` and renumbers the rest (the mapping keeps
  /// their order).
  void renumber(std::span<const Slot> newSlots);
  /// Bytes held, for measurements.
  std::size_t memoryUsage() const;

  /// The slots by their boosts at one moment, greatest first, each once.
  class Walk {
   public:
    Walk(const SearchBoostOrder& order, std::span<const SearchBoosts> boosts, Date now);
    /// The next slot and its boost; false when every slot was given.
    bool next(Slot& slot, double& boost);
    /// No slot still to come has a greater boost (up to rounding); 0 at the end.
    double bound() const { return heap_.empty() ? 0 : heap_.front().head; }

   private:
    struct Run {
      const Slot* at;
      const Slot* end;
      double head;  // the boost of `*at`
    };
    void push(const Slot* at, const Slot* end);

    std::span<const SearchBoosts> boosts_;
    Date now_;
    std::vector<Run> heap_;
  };

 private:
  using Levels = std::array<std::vector<Slot>, SearchBoosts::usesCounted + 1>;

  void mergeWaiting(std::span<const SearchBoosts> boosts);

  Levels levels_;
  std::size_t levelled_ = 0;  // slots in the levels
  // By level, then as within a level; the first `sorted_` are in order.
  std::vector<Slot> waiting_;
  std::size_t sorted_ = 0;
};

}  // namespace kelvo::search_internal
