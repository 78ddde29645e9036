#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/search/SearchResult.hpp"
#include "core/search/SearchTermTable.hpp"
#include "core/search/SearchableCard.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// The literal full-text search: an in-memory inverted index over searchable cards. A query
/// finds the cards holding every word of it, the last word also as the beginning of a longer
/// word, ranked by the fields the words were found in, how exactly they matched, and the
/// card's use and recency. A plain value: copies are independent; searches may run at once
/// over an index nobody changes.
class SearchIndex {
 public:
  /// An index of `cards`; a later card replaces an earlier one with the same `id`. The
  /// recency boost reads the current time from `clock`, which must outlive the index and its
  /// copies.
  explicit SearchIndex(std::span<const SearchableCard> cards, const Clock& clock = Clock::system());

  /// Adds the card, or replaces the indexed card with the same `id`.
  void insert(const SearchableCard& card);
  /// The same as inserting each card in order, with the term list brought up to date once.
  void insert(std::span<const SearchableCard> cards);
  /// Takes the card out; an identifier that is not indexed changes nothing.
  void remove(const UUID& id);

  /// At most `limit` results, best first. A query without terms, or with a word no card holds,
  /// finds nothing; a `limit` below zero counts as zero.
  std::vector<SearchResult> search(std::string_view query, std::int64_t limit) const;

  std::size_t cardCount() const { return slotsByID_.size(); }
  std::size_t termCount() const { return terms_.count(); }

  /// The one word splitter of the system: folds case and diacritics (no locale), keeps runs of
  /// letters and digits, and makes each ideograph, kana and Hangul syllable a term alone.
  static std::vector<std::string> tokenize(std::string_view text);

  /// Bytes the index holds beyond the cards' own records, for measurements.
  std::size_t memoryUsage() const;

 private:
  using Slot = SearchTermTable::Slot;
  using TermID = SearchTermTable::TermID;

  void insertCard(const SearchableCard& card, bool deferringTermList);
  void removeCard(const UUID& id, bool deferringTermList);
  std::optional<Slot> slotOf(const UUID& id) const;
  std::string_view orderTitle(Slot slot) const;
  std::vector<std::uint8_t> prefixTable(std::span<const TermID> prefixTerms,
                                        std::size_t queryLength) const;
  void mergePrefixHits(std::span<const TermID> prefixTerms, std::size_t queryLength,
                       std::size_t total, std::vector<SearchTermTable::Posting>& merged,
                       std::vector<std::uint8_t>& exact) const;

  SearchTermTable terms_;
  // Cards by slot; a free slot is empty and waits in `freeSlots_` for reuse. A card's terms
  // are not kept: taking it out splits its texts again.
  std::vector<std::optional<SearchableCard>> cards_;
  // What scoring reads of each card, kept beside the slots so that scoring many candidates
  // does not chase every card's record.
  struct Boosts {
    double use = 1;
    std::optional<Date> lastUsedAt;
  };
  std::vector<Boosts> boosts_;
  std::vector<Slot> freeSlots_;
  SearchIDBuckets slotsByID_;
  // Titles whose composed form differs from the text given: ties sort by the composed form.
  std::unordered_map<Slot, std::string> composedTitles_;
  const Clock* clock_;
};

}  // namespace kelvo
