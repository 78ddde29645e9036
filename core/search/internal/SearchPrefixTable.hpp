// Internal to core/search: include "core/search/SearchIndex.hpp" instead.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/search/internal/SearchTermTable.hpp"

namespace kelvo::search_internal {

/// The cards holding words that begin with a query's last term, as one byte per slot: the
/// fields in which the card holds such words (low six bits), whether it holds the term itself,
/// and whether it holds any. Lives for one query, beside the words it was made from.
class SearchPrefixTable {
 public:
  using Slot = SearchTermTable::Slot;
  using TermID = SearchTermTable::TermID;

  static constexpr std::uint8_t exactBit = 1u << 6;
  static constexpr std::uint8_t presentBit = 1u << 7;

  SearchPrefixTable() = default;
  /// `words` begin with the last term; those `termSize` bytes long are the term itself.
  SearchPrefixTable(const SearchTermTable& terms, std::span<const TermID> words,
                    std::size_t termSize, std::size_t slotCount);

  std::size_t size() const { return bytes_.size(); }
  /// The byte of a card, with its presence bit; 0 when it holds none of the words.
  std::uint8_t at(Slot slot) const {
    const std::uint8_t byte = bytes_[slot];
    return byte != 0 ? byte | presentBit : 0;
  }

  /// How many cards hold each byte.
  std::array<std::size_t, 256> counts();
  /// The `count` cards whose bytes are `listed`, in no set order.
  std::vector<Slot> list(const std::array<std::uint8_t, 256>& listed, std::size_t count);

 private:
  bool walksPostings() const;
  template <class Visit>
  void forEachByPostings(Visit visit);

  const SearchTermTable* terms_ = nullptr;
  std::span<const TermID> words_;
  std::size_t postings_ = 0;
  std::vector<std::uint8_t> bytes_;
  std::uint8_t unvisited_ = presentBit;  // the presence bit of cards a walk has yet to visit
};

}  // namespace kelvo::search_internal
