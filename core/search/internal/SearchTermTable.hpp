// Internal to core/search: include "core/search/SearchIndex.hpp" instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/search/internal/SearchIDBuckets.hpp"

namespace kelvo::search_internal {

/// A term's text in 16 bytes: up to 15 bytes (nearly every term) inline, longer ones on the
/// heap. A library of few cards holds nearly as many terms as a large one, so what each term
/// costs beyond its postings matters there.
class SearchTermText {
 public:
  SearchTermText() noexcept { clearInline(); }
  SearchTermText(const SearchTermText& other) : SearchTermText() { assign(other.view()); }
  SearchTermText(SearchTermText&& other) noexcept {
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    other.clearInline();
  }
  SearchTermText& operator=(const SearchTermText& other) {
    if (this != &other) assign(other.view());
    return *this;
  }
  SearchTermText& operator=(SearchTermText&& other) noexcept {
    if (this != &other) {
      freeHeap();
      std::memcpy(bytes_, other.bytes_, sizeof bytes_);
      other.clearInline();
    }
    return *this;
  }
  ~SearchTermText() { freeHeap(); }

  void assign(std::string_view text);
  std::string_view view() const {
    if (!onHeap()) return {bytes_, static_cast<std::size_t>(bytes_[flagByte])};
    const Heap heap = this->heap();
    return {heap.data, heap.size};
  }
  /// Heap bytes held beside the 16, for measurements.
  std::size_t heapBytes() const { return onHeap() ? heap().size : 0; }

 private:
  // The last byte holds the inline length, or the heap mark.
  static constexpr std::size_t flagByte = 15;
  static constexpr char heapMark = static_cast<char>(0x80);
  struct Heap {
    char* data;
    std::uint32_t size;
  };

  bool onHeap() const { return bytes_[flagByte] == heapMark; }
  Heap heap() const {
    Heap heap;
    std::memcpy(&heap.data, bytes_, sizeof heap.data);
    std::memcpy(&heap.size, bytes_ + sizeof heap.data, sizeof heap.size);
    return heap;
  }
  void clearInline() noexcept { std::memset(bytes_, 0, sizeof bytes_); }
  void freeHeap() noexcept;

  alignas(8) char bytes_[16];
};

/// A term's postings: a growable array in 16 bytes, where a vector takes 24.
class SearchPostingList {
 public:
  using Posting = std::uint32_t;

  SearchPostingList() = default;
  SearchPostingList(const SearchPostingList& other);
  SearchPostingList(SearchPostingList&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  SearchPostingList& operator=(const SearchPostingList& other) {
    if (this != &other) SearchPostingList(other).swap(*this);
    return *this;
  }
  SearchPostingList& operator=(SearchPostingList&& other) noexcept {
    SearchPostingList(std::move(other)).swap(*this);
    return *this;
  }
  ~SearchPostingList() { std::free(data_); }

  void swap(SearchPostingList& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
  }

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::size_t capacity() const { return capacity_; }
  Posting* begin() { return data_; }
  Posting* end() { return data_ + size_; }
  const Posting* begin() const { return data_; }
  const Posting* end() const { return data_ + size_; }
  Posting& operator[](std::size_t i) { return data_[i]; }
  Posting& back() { return data_[size_ - 1]; }
  Posting back() const { return data_[size_ - 1]; }
  operator std::span<const Posting>() const { return {data_, size_}; }

  void push_back(Posting posting) {
    if (size_ == capacity_) grow();
    data_[size_++] = posting;
  }
  /// Keeps the first `count` postings; never lengthens the list.
  void truncate(std::size_t count) {
    if (count < size_) size_ = static_cast<std::uint32_t>(count);
  }
  void clear() { size_ = 0; }
  /// Gives back every byte.
  void reset() { SearchPostingList().swap(*this); }
  void shrink_to_fit();

 private:
  void grow();
  void reallocate(std::uint32_t capacity);

  Posting* data_ = nullptr;
  std::uint32_t size_ = 0;
  std::uint32_t capacity_ = 0;
};

/// The inverted lists behind `SearchIndex`: every distinct term interned once under a compact
/// number, with the cards that hold it, and the terms kept in ascending code-point order for
/// prefix lookup. A card is a slot number; a posting packs the slot with the bit set of fields
/// in which the card holds the term.
class SearchTermTable {
 public:
  using TermID = std::uint32_t;
  using Slot = std::uint32_t;
  using Posting = std::uint32_t;

  static constexpr unsigned fieldBits = 6;
  static constexpr Posting fieldMask = (1u << fieldBits) - 1;
  /// Slots a posting can name.
  static constexpr std::size_t slotLimit = std::size_t{1} << (32 - fieldBits);

  static constexpr Posting posting(Slot slot, unsigned fields) {
    return slot << fieldBits | fields;
  }
  static constexpr Slot slotOf(Posting posting) { return posting >> fieldBits; }
  static constexpr unsigned fieldsOf(Posting posting) { return posting & fieldMask; }

  /// The number of the term, creating it when new.
  TermID intern(std::string_view term);
  /// The number of the term when some card holds it.
  std::optional<TermID> find(std::string_view term) const;

  std::string_view text(TermID id) const { return terms_[id].text.view(); }
  /// Postings of a term, ascending by slot.
  std::span<const Posting> postings(TermID id) const { return terms_[id].postings; }

  /// Records that `slot` holds the term in `fields`, adding to the fields already recorded for
  /// it; `slot` must be the last slot listed or past it.
  void add(TermID id, Slot slot, unsigned fields);
  /// One card holding the term has left; a term whose last card leaves is dropped. The posting
  /// of the card's slot stays until `renumberSlots`: erasing it from the middle of a long list
  /// costs more than skipping it, so readers skip postings of empty slots.
  void release(TermID id);
  /// Drops the postings of slots that `newSlots` maps to `droppedSlot` and renumbers the rest;
  /// the mapping keeps their order.
  void renumberSlots(std::span<const Slot> newSlots);
  static constexpr Slot droppedSlot = ~Slot{0};

  /// Distinct terms some card holds.
  std::size_t count() const { return liveCount_; }

  /// Brings the sorted list up to date after terms were added or dropped.
  void refreshSortedList();
  /// The range of the sorted list (fresh) whose terms begin with `prefix` byte for byte.
  std::pair<std::size_t, std::size_t> prefixRange(std::string_view prefix) const;
  TermID sortedAt(std::size_t position) const { return sorted_[position]; }

  /// Gives back the spare room of the term list and the posting lists, after a large batch.
  void compact();

  /// Bytes held by the table, for measurements.
  std::size_t memoryUsage() const;

 private:
  struct Term {
    SearchTermText text;
    SearchPostingList postings;
    std::uint32_t hash = 0;     // of the text; four bytes are plenty to tell terms apart
    std::uint32_t holders = 0;  // live cards holding it; `postings` may name left ones too
    // The slot last added, so that adding a new slot need not read the list's end.
    Slot lastSlot = droppedSlot;
    bool live = false;
    bool listed = false;  // present in `sorted_`
  };

  std::optional<TermID> find(std::string_view term, std::uint32_t hash) const;
  void dropTerm(TermID id);

  std::vector<Term> terms_;
  SearchIDBuckets buckets_;  // live terms by text
  std::size_t liveCount_ = 0;
  std::vector<TermID> free_;     // numbers ready for reuse
  std::vector<TermID> retired_;  // dropped since the last refresh; reused only after it
  std::vector<TermID> added_;    // created since the last refresh
  std::vector<TermID> sorted_;
};

}  // namespace kelvo::search_internal
