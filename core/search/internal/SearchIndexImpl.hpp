// Internal to core/search: include "core/search/SearchIndex.hpp" instead.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/search/SearchTokenizer.hpp"
#include "core/search/SearchableCard.hpp"
#include "core/search/internal/SearchIDBuckets.hpp"
#include "core/search/internal/SearchTermTable.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo::search_internal {

/// What a `SearchIndex` holds, and its upkeep as cards come and go. Queries read it through
/// `SearchQuery`.
class SearchIndexImpl {
 public:
  using Slot = SearchTermTable::Slot;
  using TermID = SearchTermTable::TermID;

  /// The most a card's use (1.5) and recency (1.3) can multiply its text score by.
  static constexpr double greatestBoost = 1.5 * 1.3;

  // What scoring reads of each card, kept beside the slots so that scoring many candidates
  // does not chase every card's record.
  struct Boosts {
    Boosts() = default;
    Boosts(std::int64_t useCount, std::optional<Date> lastUsedAt)
        // A negative count is damage, not a record of use: it counts as no use.
        : lastUsed_(lastUsedAt.value_or(Date())),
          uses_(static_cast<std::uint8_t>(std::clamp<std::int64_t>(useCount, 0, usesCounted))),
          hasLastUse_(lastUsedAt.has_value()) {}

    double use() const { return useBoosts[uses_]; }
    /// The last use, or null for none. A pointer rather than an optional: building an
    /// optional from the two fields in the scoring loop stalls on the store it goes through.
    const Date* lastUsedAt() const { return hasLastUse_ ? &lastUsed_ : nullptr; }

   private:
    // Past this many uses the boost stays the same.
    static constexpr std::int64_t usesCounted = 25;
    // Looked up rather than divided: scoring a prefix's cards boosts thousands of them.
    static constexpr auto useBoosts = [] {
      std::array<double, usesCounted + 1> boosts{};
      for (std::size_t uses = 0; uses < boosts.size(); ++uses) {
        boosts[uses] = 1.0 + std::min(static_cast<double>(uses) / 50.0, 0.5);
      }
      return boosts;
    }();
    Date lastUsed_;
    std::uint8_t uses_ = 0;
    bool hasLastUse_ = false;
  };
  static_assert(sizeof(Boosts) == 16);

  explicit SearchIndexImpl(const Clock& clock) : clock_(&clock) {}

  void insert(std::span<const SearchableCard> cards);
  void insertCard(const SearchableCard& card, bool deferringTermList);
  void removeCard(const UUID& id, bool deferringTermList);

  std::size_t cardCount() const { return slotsByID_.size(); }
  std::size_t memoryUsage() const;

  const SearchTermTable& terms() const { return terms_; }
  /// Slots in use and free alike; a free slot holds no card.
  std::size_t slotCount() const { return cards_.size(); }
  const std::optional<SearchableCard>& card(Slot slot) const { return cards_[slot]; }
  const Boosts& boosts(Slot slot) const { return boosts_[slot]; }
  /// The title ties sort by: its composed form.
  std::string_view orderTitle(Slot slot) const;
  const Clock& clock() const { return *clock_; }

 private:
  void insertCard(const SearchableCard& card, bool deferringTermList, SearchTokenizer::Memo* memo);
  std::optional<Slot> slotOf(const UUID& id) const;
  Slot takeSlot();
  void renumberSlots();

  SearchTermTable terms_;
  // Cards by slot. A card always takes a new slot at the end, so its postings are appended; the
  // slot of a card that left stays empty (its postings skipped) until enough of them are
  // dropped at once. A card's terms are not kept: taking it out splits its texts again.
  std::vector<std::optional<SearchableCard>> cards_;
  std::vector<Boosts> boosts_;
  std::size_t emptySlots_ = 0;
  SearchIDBuckets slotsByID_;
  // Titles whose composed form differs from the text given: ties sort by the composed form.
  std::unordered_map<Slot, std::string> composedTitles_;
  const Clock* clock_;
};

}  // namespace kelvo::search_internal
