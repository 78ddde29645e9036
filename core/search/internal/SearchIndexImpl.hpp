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

#include "core/search/SearchField.hpp"
#include "core/search/SearchTokenizer.hpp"
#include "core/search/SearchableCard.hpp"
#include "core/search/internal/SearchBoostOrder.hpp"
#include "core/search/internal/SearchBoosts.hpp"
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

  using Boosts = SearchBoosts;

  /// The most a card's use (1.5) and recency (1.3) can multiply its text score by.
  static constexpr double greatestBoost = SearchBoosts::greatest;

  explicit SearchIndexImpl(const Clock& clock) : clock_(&clock) {}

  /// Calls `visit(text, field)` for each indexed text of the card, in indexing order.
  template <class Visit>
  static void forEachIndexedText(const SearchableCard& card, Visit&& visit) {
    visit(card.title(), SearchField::title);
    visit(card.content(), SearchField::content);
    visit(card.extractedText(), SearchField::extractedText);
    visit(card.shelfName(), SearchField::shelfName);
    if (card.factLabel()) visit(*card.factLabel(), SearchField::factLabel);
    for (const std::string_view tag : card.autoTags()) visit(tag, SearchField::autoTag);
  }

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
  /// The slots in order of their boosts, greatest first, at any moment.
  const SearchBoostOrder& boostOrder() const { return boostOrder_; }
  std::span<const Boosts> allBoosts() const { return boosts_; }
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
  SearchBoostOrder boostOrder_;
  std::size_t emptySlots_ = 0;
  SearchIDBuckets slotsByID_;
  // Titles whose composed form differs from the text given: ties sort by the composed form.
  std::unordered_map<Slot, std::string> composedTitles_;
  const Clock* clock_;
};

}  // namespace kelvo::search_internal
