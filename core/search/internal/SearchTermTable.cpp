#include "core/search/internal/SearchTermTable.hpp"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

#include "platform/foundation/Error.hpp"

namespace kelvo::search_internal {
namespace {

// Past this many changes a refresh rebuilds the list in one pass instead of editing it.
constexpr std::size_t editInPlaceLimit = 16;

template <class Word>
std::uint64_t load(const char* bytes) {
  Word value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

__extension__ using Wide = unsigned __int128;

std::uint64_t mixed(std::uint64_t a, std::uint64_t b) {
  const Wide product = Wide{a ^ 0xA0761D6478BD642FULL} * (b ^ 0xE7037ED1A0B428DBULL);
  return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

// Terms are short: a multiply-and-fold per sixteen bytes hashes them in a few instructions,
// with bits spread well enough for linear probing.
std::uint32_t hashOf(std::string_view term) {
  const char* bytes = term.data();
  std::size_t left = term.size();
  std::uint64_t hash = term.size();
  for (; left > 16; left -= 16, bytes += 16) {
    hash = mixed(load<std::uint64_t>(bytes) ^ hash, load<std::uint64_t>(bytes + 8));
  }
  std::uint64_t first = 0;
  std::uint64_t last = 0;
  if (left > 8) {
    first = load<std::uint64_t>(bytes);
    last = load<std::uint64_t>(bytes + left - 8);
  } else if (left >= 4) {
    first = load<std::uint32_t>(bytes);
    last = load<std::uint32_t>(bytes + left - 4);
  } else if (left > 0) {
    const auto byte = [&](std::size_t at) {
      return std::uint64_t{static_cast<unsigned char>(bytes[at])};
    };
    first = byte(0) << 16 | byte(left / 2) << 8 | byte(left - 1);
  }
  hash = mixed(mixed(first ^ hash, last), 0x8EBC6AF09C88C6E3ULL);
  return static_cast<std::uint32_t>(hash ^ hash >> 32);
}

}  // namespace

void SearchTermText::assign(std::string_view text) {
  freeHeap();
  clearInline();
  if (text.size() <= flagByte) {
    if (!text.empty()) std::memcpy(bytes_, text.data(), text.size());
    bytes_[flagByte] = static_cast<char>(text.size());
    return;
  }
  if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("SearchTermText: a term longer than 4 GiB");
  }
  const Heap heap{new char[text.size()], static_cast<std::uint32_t>(text.size())};
  std::memcpy(heap.data, text.data(), heap.size);
  std::memcpy(bytes_, &heap.data, sizeof heap.data);
  std::memcpy(bytes_ + sizeof heap.data, &heap.size, sizeof heap.size);
  bytes_[flagByte] = heapMark;
}

void SearchTermText::freeHeap() noexcept {
  if (onHeap()) delete[] heap().data;
}

SearchPostingList::SearchPostingList(const SearchPostingList& other) {
  if (other.size_ == 0) return;
  reallocate(other.size_);
  std::memcpy(data_, other.data_, other.size_ * sizeof(Posting));
  size_ = other.size_;
}

void SearchPostingList::grow() {
  if (capacity_ == std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("SearchPostingList: too many postings");
  }
  const std::uint64_t doubled = std::uint64_t{capacity_} * 2;
  reallocate(static_cast<std::uint32_t>(
      std::clamp<std::uint64_t>(doubled, 1, std::numeric_limits<std::uint32_t>::max())));
}

void SearchPostingList::shrink_to_fit() {
  if (size_ == capacity_) return;
  if (size_ == 0) {
    reset();
    return;
  }
  reallocate(size_);
}

void SearchPostingList::reallocate(std::uint32_t capacity) {
  void* moved = std::realloc(data_, std::size_t{capacity} * sizeof(Posting));
  if (moved == nullptr) throw std::bad_alloc();
  data_ = static_cast<Posting*>(moved);
  capacity_ = capacity;
}

std::optional<SearchTermTable::TermID> SearchTermTable::find(std::string_view term) const {
  return find(term, hashOf(term));
}

std::optional<SearchTermTable::TermID> SearchTermTable::find(std::string_view term,
                                                             std::uint32_t hash) const {
  return buckets_.find(
      hash, [&](TermID id) { return terms_[id].hash == hash && terms_[id].text.view() == term; });
}

SearchTermTable::TermID SearchTermTable::intern(std::string_view term) {
  const std::uint32_t hash = hashOf(term);
  if (const auto found = find(term, hash)) return *found;

  TermID id;
  if (!free_.empty()) {
    id = free_.back();
    free_.pop_back();
  } else {
    if (terms_.size() > SearchIDBuckets::largestID) fatal("SearchTermTable is full");
    id = static_cast<TermID>(terms_.size());
    terms_.emplace_back();
  }
  Term& created = terms_[id];
  created.text.assign(term);
  created.postings.clear();
  created.holders = 0;
  created.lastSlot = droppedSlot;
  created.hash = hash;
  created.live = true;
  created.listed = false;
  buckets_.insert(hash, id, [this](TermID other) { return terms_[other].hash; });
  ++liveCount_;
  added_.push_back(id);
  return id;
}

void SearchTermTable::add(TermID id, Slot slot, unsigned fields) {
  Term& term = terms_[id];
  // The hint is checked against the list, which is read only when they agree: renumbering
  // may leave it stale.
  if (term.lastSlot == slot && !term.postings.empty() && slotOf(term.postings.back()) == slot) {
    term.postings.back() |= fields;
    return;
  }
  term.postings.push_back(posting(slot, fields));
  term.lastSlot = slot;
  ++term.holders;
}

void SearchTermTable::release(TermID id) {
  Term& term = terms_[id];
  if (term.holders == 0) return;
  if (--term.holders == 0) dropTerm(id);
}

void SearchTermTable::renumberSlots(std::span<const Slot> newSlots) {
  for (Term& term : terms_) {
    if (!term.live) continue;
    std::size_t kept = 0;
    for (const Posting entry : term.postings) {
      const Slot slot = slotOf(entry);
      if (slot >= newSlots.size() || newSlots[slot] == droppedSlot) continue;
      term.postings[kept++] = posting(newSlots[slot], fieldsOf(entry));
    }
    term.postings.truncate(kept);
  }
}

void SearchTermTable::dropTerm(TermID id) {
  Term& term = terms_[id];
  buckets_.erase(term.hash, [id](TermID other) { return other == id; });
  term.live = false;
  term.holders = 0;
  term.postings.reset();
  --liveCount_;
  // The text stays until the number is reused: the refresh finds the term by it.
  retired_.push_back(id);
}

void SearchTermTable::refreshSortedList() {
  if (added_.empty() && retired_.empty()) return;
  const auto textLess = [this](TermID a, TermID b) {
    return terms_[a].text.view() < terms_[b].text.view();
  };

  if (retired_.size() <= editInPlaceLimit) {
    for (const TermID id : retired_) {
      if (!terms_[id].listed) continue;
      const auto at = std::lower_bound(sorted_.begin(), sorted_.end(), id, textLess);
      if (at != sorted_.end() && *at == id) sorted_.erase(at);
      terms_[id].listed = false;
    }
  } else {
    std::erase_if(sorted_, [this](TermID id) { return !terms_[id].live; });
    for (const TermID id : retired_) terms_[id].listed = false;
  }

  std::erase_if(added_, [this](TermID id) { return !terms_[id].live || terms_[id].listed; });
  std::sort(added_.begin(), added_.end(), textLess);
  if (added_.size() <= editInPlaceLimit) {
    for (const TermID id : added_) {
      sorted_.insert(std::upper_bound(sorted_.begin(), sorted_.end(), id, textLess), id);
    }
  } else {
    std::vector<TermID> merged;
    merged.reserve(sorted_.size() + added_.size());
    std::merge(sorted_.begin(), sorted_.end(), added_.begin(), added_.end(),
               std::back_inserter(merged), textLess);
    sorted_ = std::move(merged);
  }
  for (const TermID id : added_) terms_[id].listed = true;

  free_.insert(free_.end(), retired_.begin(), retired_.end());
  retired_.clear();
  added_.clear();
}

std::pair<std::size_t, std::size_t> SearchTermTable::prefixRange(std::string_view prefix) const {
  const auto first = std::lower_bound(
      sorted_.begin(), sorted_.end(), prefix,
      [this](TermID id, std::string_view value) { return terms_[id].text.view() < value; });
  const auto last = std::partition_point(first, sorted_.end(), [this, prefix](TermID id) {
    return terms_[id].text.view().starts_with(prefix);
  });
  return {static_cast<std::size_t>(first - sorted_.begin()),
          static_cast<std::size_t>(last - sorted_.begin())};
}

void SearchTermTable::compact() {
  for (Term& term : terms_) term.postings.shrink_to_fit();
  terms_.shrink_to_fit();
  // Emptied by the refresh after each batch, these keep the room of the largest one.
  std::vector<TermID>().swap(added_);
  std::vector<TermID>().swap(retired_);
}

std::size_t SearchTermTable::memoryUsage() const {
  std::size_t bytes =
      terms_.capacity() * sizeof(Term) + buckets_.memoryUsage() +
      (free_.capacity() + retired_.capacity() + added_.capacity() + sorted_.capacity()) *
          sizeof(TermID);
  for (const Term& term : terms_) {
    bytes += term.text.heapBytes();
    bytes += term.postings.capacity() * sizeof(Posting);
  }
  return bytes;
}

}  // namespace kelvo::search_internal
