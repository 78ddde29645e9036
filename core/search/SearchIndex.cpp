#include "core/search/SearchIndex.hpp"

#include <algorithm>
#include <utility>

#include "core/search/SearchTokenizer.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

constexpr unsigned fieldBit(SearchField field) { return 1u << static_cast<unsigned>(field); }

bool isASCII(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

SearchIndex::SearchIndex(std::span<const SearchableCard> cards, std::shared_ptr<const Clock> clock)
    : clock_(std::move(clock)) {
  if (!clock_) fatal("SearchIndex needs a clock");
  insert(cards);
}

std::vector<std::string> SearchIndex::tokenize(std::string_view text) {
  return SearchTokenizer::terms(text);
}

void SearchIndex::insert(const SearchableCard& card) { insertCard(card, false); }

void SearchIndex::insert(std::span<const SearchableCard> cards) {
  if (slotsByID_.empty()) {
    slotsByID_.reserve(cards.size());
    entries_.reserve(cards.size());
  }
  for (const SearchableCard& card : cards) insertCard(card, true);
  terms_.refreshSortedList();
}

void SearchIndex::remove(const UUID& id) { removeCard(id, false); }

void SearchIndex::insertCard(const SearchableCard& card, bool deferringTermList) {
  removeCard(card.id(), true);

  Slot slot;
  if (!freeSlots_.empty()) {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
  } else {
    if (entries_.size() >= SearchTermTable::slotLimit) fatal("SearchIndex is full");
    slot = static_cast<Slot>(entries_.size());
    entries_.emplace_back();
  }
  slotsByID_.emplace(card.id(), slot);
  Entry& entry = entries_[slot];
  entry.card = card;
  if (!isASCII(card.title())) {
    std::string composed = text::nfc(card.title());
    if (composed != card.title()) entry.composedTitle = std::move(composed);
  }

  // Each occurrence as (term << 8 | field bit); sorting then folds repeats into one posting.
  std::vector<std::uint64_t> occurrences;
  occurrences.reserve(64);
  const auto collect = [this, &occurrences](std::string_view text, SearchField field) {
    SearchTokenizer::forEachTerm(text, [&](std::string_view term) {
      occurrences.push_back(std::uint64_t{terms_.intern(term)} << 8 | fieldBit(field));
    });
  };
  collect(card.title(), SearchField::title);
  collect(card.content(), SearchField::content);
  collect(card.extractedText(), SearchField::extractedText);
  collect(card.shelfName(), SearchField::shelfName);
  if (card.factLabel()) collect(*card.factLabel(), SearchField::factLabel);
  for (const std::string& tag : card.autoTags()) collect(tag, SearchField::autoTag);

  std::sort(occurrences.begin(), occurrences.end());
  entry.terms.clear();
  for (std::size_t i = 0; i < occurrences.size();) {
    const auto term = static_cast<TermID>(occurrences[i] >> 8);
    unsigned fields = 0;
    for (; i < occurrences.size() && (occurrences[i] >> 8) == term; ++i) {
      fields |= static_cast<unsigned>(occurrences[i] & 0xFF);
    }
    terms_.add(term, slot, fields);
    entry.terms.push_back(term);
  }
  entry.terms.shrink_to_fit();

  if (!deferringTermList) terms_.refreshSortedList();
}

void SearchIndex::removeCard(const UUID& id, bool deferringTermList) {
  const auto found = slotsByID_.find(id);
  if (found == slotsByID_.end()) return;
  const Slot slot = found->second;
  slotsByID_.erase(found);
  Entry& entry = entries_[slot];
  for (const TermID term : entry.terms) terms_.remove(term, slot);
  entry = Entry{};
  freeSlots_.push_back(slot);
  if (!deferringTermList) terms_.refreshSortedList();
}

std::string_view SearchIndex::orderTitle(Slot slot) const {
  const Entry& entry = entries_[slot];
  if (entry.composedTitle) return *entry.composedTitle;
  return entry.card->title();
}

std::size_t SearchIndex::memoryUsage() const {
  std::size_t bytes = terms_.memoryUsage() + entries_.capacity() * sizeof(Entry) +
                      freeSlots_.capacity() * sizeof(Slot);
  for (const Entry& entry : entries_) {
    bytes += entry.terms.capacity() * sizeof(TermID);
    if (entry.composedTitle) bytes += entry.composedTitle->capacity() + 1;
  }
  // A node per card: the key, the slot, the next pointer and the cached hash.
  bytes += slotsByID_.size() * (sizeof(UUID) + sizeof(Slot) + 2 * sizeof(void*)) +
           slotsByID_.bucket_count() * sizeof(void*);
  return bytes;
}

}  // namespace kelvo
