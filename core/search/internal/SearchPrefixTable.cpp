#include "core/search/internal/SearchPrefixTable.hpp"

namespace kelvo::search_internal {

SearchPrefixTable::SearchPrefixTable(const SearchTermTable& terms, std::span<const TermID> words,
                                     std::size_t termSize, std::size_t slotCount)
    : terms_(&terms), words_(words), bytes_(slotCount, 0) {
  for (const TermID id : words_) {
    const auto exact = terms.text(id).size() == termSize ? exactBit : std::uint8_t{0};
    const auto postings = terms.postings(id);
    postings_ += postings.size();
    for (const SearchTermTable::Posting posting : postings) {
      bytes_[SearchTermTable::slotOf(posting)] |=
          static_cast<std::uint8_t>(SearchTermTable::fieldsOf(posting) | exact | presentBit);
    }
  }
}

// The table is read whole when its cards are many beside its slots, and through the postings
// of its words otherwise. There, the presence bit, flipped at each visit, tells a card already
// visited in this walk from one not: every posting names at least one field, so a card's byte
// is never 0.
bool SearchPrefixTable::walksPostings() const { return postings_ * 4 < bytes_.size(); }

template <class Visit>
void SearchPrefixTable::forEachByPostings(Visit visit) {
  for (const TermID id : words_) {
    for (const SearchTermTable::Posting posting : terms_->postings(id)) {
      const Slot slot = SearchTermTable::slotOf(posting);
      if ((bytes_[slot] & presentBit) != unvisited_) continue;
      visit(slot, static_cast<std::uint8_t>(bytes_[slot] | presentBit));
      bytes_[slot] ^= presentBit;
    }
  }
  unvisited_ ^= presentBit;
}

std::array<std::size_t, 256> SearchPrefixTable::counts() {
  std::array<std::size_t, 256> counts{};
  if (walksPostings()) {
    forEachByPostings([&](Slot, std::uint8_t byte) { ++counts[byte]; });
    return counts;
  }
  // Eight tallies in turn, so that runs of one byte do not wait on one counter.
  std::array<std::array<std::uint32_t, 256>, 8> tallies{};
  for (std::size_t slot = 0; slot < bytes_.size(); ++slot) ++tallies[slot & 7][bytes_[slot]];
  for (unsigned byte = 1; byte < 256; ++byte) {
    for (const auto& tally : tallies) counts[byte] += tally[byte];
  }
  return counts;
}

std::vector<SearchPrefixTable::Slot> SearchPrefixTable::list(
    const std::array<std::uint8_t, 256>& listed, std::size_t count) {
  std::vector<Slot> slots;
  if (walksPostings()) {
    slots.reserve(count);
    forEachByPostings([&](Slot slot, std::uint8_t byte) {
      if (listed[byte] != 0) slots.push_back(slot);
    });
    return slots;
  }
  // Every slot is written and only those listed are kept: no branch to mispredict.
  slots.resize(count + 1);
  std::size_t at = 0;
  for (Slot slot = 0; slot < bytes_.size(); ++slot) {
    slots[at] = slot;
    at += listed[bytes_[slot]];
  }
  slots.resize(count);
  return slots;
}

}  // namespace kelvo::search_internal
