#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/search/internal/SearchIDBuckets.hpp"

namespace kelvo {

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

  const std::string& text(TermID id) const { return terms_[id].text; }
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
    std::string text;
    std::vector<Posting> postings;
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

}  // namespace kelvo
