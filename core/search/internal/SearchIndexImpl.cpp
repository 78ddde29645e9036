#include "core/search/internal/SearchIndexImpl.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "core/search/SearchField.hpp"
#include "core/search/SearchTokenizer.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo::search_internal {
namespace {

constexpr unsigned fieldBit(SearchField field) { return 1u << static_cast<unsigned>(field); }

// A batch this large leaves its posting lists trimmed to size.
constexpr std::size_t compactingBatchSize = 1'024;
// Empty slots are dropped no sooner than this many at once.
constexpr std::size_t minimumRenumbering = 1'024;

std::size_t hashOf(const UUID& id) { return std::hash<UUID>{}(id); }

}  // namespace

void SearchIndexImpl::insert(std::span<const SearchableCard> cards) {
  if (cards_.empty()) {
    cards_.reserve(cards.size());
    boosts_.reserve(cards.size());
  }
  // Words repeat from card to card: each distinct one is folded once per batch.
  SearchTokenizer::Memo memo;
  for (const SearchableCard& card : cards) insertCard(card, true, &memo);
  terms_.refreshSortedList();
  boostOrder_.settle(boosts_);
  if (cards.size() >= compactingBatchSize) terms_.compact();
}

std::optional<SearchIndexImpl::Slot> SearchIndexImpl::slotOf(const UUID& id) const {
  return slotsByID_.find(hashOf(id), [&](Slot slot) { return cards_[slot]->id() == id; });
}

SearchIndexImpl::Slot SearchIndexImpl::takeSlot() {
  if (cards_.size() >= SearchTermTable::slotLimit && emptySlots_ > 0) renumberSlots();
  if (cards_.size() >= SearchTermTable::slotLimit) fatal("SearchIndex is full");
  cards_.emplace_back();
  boosts_.emplace_back();
  return static_cast<Slot>(cards_.size() - 1);
}

// Drops the empty slots and their postings in one pass, keeping the order of the rest.
void SearchIndexImpl::renumberSlots() {
  std::vector<Slot> newSlots(cards_.size(), SearchTermTable::droppedSlot);
  std::unordered_map<Slot, std::string> composedTitles;
  Slot next = 0;
  for (Slot slot = 0; slot < cards_.size(); ++slot) {
    if (!cards_[slot]) continue;
    newSlots[slot] = next;
    if (next != slot) {
      cards_[next] = std::move(cards_[slot]);
      boosts_[next] = boosts_[slot];
    }
    ++next;
  }
  cards_.resize(next);
  boosts_.resize(next);
  for (auto& [slot, title] : composedTitles_)
    composedTitles.emplace(newSlots[slot], std::move(title));
  composedTitles_ = std::move(composedTitles);
  terms_.renumberSlots(newSlots);
  boostOrder_.renumber(newSlots);
  slotsByID_ = SearchIDBuckets();
  const auto hashOfSlot = [this](Slot other) { return hashOf(cards_[other]->id()); };
  for (Slot slot = 0; slot < next; ++slot) slotsByID_.insert(hashOfSlot(slot), slot, hashOfSlot);
  emptySlots_ = 0;
}

void SearchIndexImpl::insertCard(const SearchableCard& card, bool deferringTermList) {
  insertCard(card, deferringTermList, nullptr);
}

void SearchIndexImpl::insertCard(const SearchableCard& card, bool deferringTermList,
                                 SearchTokenizer::Memo* memo) {
  removeCard(card.id(), true);

  const Slot slot = takeSlot();
  cards_[slot] = card;
  boosts_[slot] = Boosts(card.useCount(), card.lastUsedAt());
  boostOrder_.add(slot);
  slotsByID_.insert(hashOf(card.id()), slot,
                    [this](Slot other) { return hashOf(cards_[other]->id()); });
  if (!isASCII(card.title())) {
    std::string composed = text::nfc(card.title());
    if (composed != card.title()) composedTitles_.emplace(slot, std::move(composed));
  }

  // The slot is past every slot listed, so a term met again finds its posting last.
  const auto hold = [&](std::string_view text, SearchField field) {
    const auto add = [&](std::string_view term) {
      terms_.add(terms_.intern(term), slot, fieldBit(field));
    };
    if (memo != nullptr) {
      SearchTokenizer::forEachTerm(text, *memo, add);
    } else {
      SearchTokenizer::forEachTerm(text, add);
    }
  };
  forEachIndexedText(card, hold);

  if (!deferringTermList) {
    terms_.refreshSortedList();
    boostOrder_.settle(boosts_);
  }
}

void SearchIndexImpl::removeCard(const UUID& id, bool deferringTermList) {
  const auto slot = slotOf(id);
  if (!slot) return;
  // Splitting is pure, so the card's texts give back exactly the terms it was listed under,
  // each counted once however often the card holds it.
  std::vector<TermID> held;
  forEachIndexedText(*cards_[*slot], [&](std::string_view text, SearchField) {
    SearchTokenizer::forEachTerm(text, [&](std::string_view term) {
      if (const auto termID = terms_.find(term)) held.push_back(*termID);
    });
  });
  std::sort(held.begin(), held.end());
  held.erase(std::unique(held.begin(), held.end()), held.end());
  for (const TermID termID : held) terms_.release(termID);
  slotsByID_.erase(hashOf(id), [&](Slot other) { return other == *slot; });
  cards_[*slot].reset();
  composedTitles_.erase(*slot);
  // Empty slots cost their postings' room and a skip in queries: once they are as many as the
  // cards (and not few), one pass drops them all, so each removal pays a bounded share.
  if (++emptySlots_ >= minimumRenumbering && emptySlots_ >= slotsByID_.size()) renumberSlots();
  if (!deferringTermList) terms_.refreshSortedList();
}

std::string_view SearchIndexImpl::orderTitle(Slot slot) const {
  if (!composedTitles_.empty()) {
    const auto composed = composedTitles_.find(slot);
    if (composed != composedTitles_.end()) return composed->second;
  }
  return cards_[slot]->title();
}

std::size_t SearchIndexImpl::memoryUsage() const {
  std::size_t bytes = terms_.memoryUsage() + slotsByID_.memoryUsage() +
                      cards_.capacity() * sizeof(std::optional<SearchableCard>) +
                      boosts_.capacity() * sizeof(Boosts) + boostOrder_.memoryUsage();
  for (const auto& [slot, title] : composedTitles_) {
    bytes += sizeof(Slot) + sizeof(std::string) + 2 * sizeof(void*) + title.capacity();
  }
  return bytes + composedTitles_.bucket_count() * sizeof(void*);
}

}  // namespace kelvo::search_internal
