#pragma once

// The literal full-text search over searchable cards.
//
// A SearchIndex holds the words of every card it is given and answers a query with the cards
// holding all its words, the last also as the beginning of a longer word, best first:
//
//   SearchIndex index(cards);                  // std::span<const SearchableCard>
//   index.insert(editedCard);                  // replaces the card with the same id
//   for (const SearchResult& hit : index.search("tax ret", 20)) {
//     show(hit.card.title(), hit.score, hit.matchedFields);
//   }
//
// `SearchIndex::tokenize` is the system's one word splitter; whatever else needs words of a
// text (predicates, lexicons) splits them with it so that it agrees with the index.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/search/SearchResult.hpp"
#include "core/search/SearchableCard.hpp"
#include "platform/foundation/Clock.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

namespace search_internal {
class SearchIndexImpl;
}

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
  SearchIndex(const SearchIndex& other);
  SearchIndex& operator=(const SearchIndex& other);
  SearchIndex(SearchIndex&& other) noexcept;
  SearchIndex& operator=(SearchIndex&& other) noexcept;
  ~SearchIndex();

  /// Adds the card, or replaces the indexed card with the same `id`.
  void insert(const SearchableCard& card);
  /// The same as inserting each card in order, with the term list brought up to date once.
  void insert(std::span<const SearchableCard> cards);
  /// Takes the card out; an identifier that is not indexed changes nothing.
  void remove(const UUID& id);

  /// At most `limit` results, best first. A query without terms, or with a word no card holds,
  /// finds nothing; a `limit` below zero counts as zero.
  std::vector<SearchResult> search(std::string_view query, std::int64_t limit) const;

  std::size_t cardCount() const;
  std::size_t termCount() const;

  /// The one word splitter of the system: folds case and diacritics (no locale), keeps runs of
  /// letters and digits, and makes each ideograph, kana and Hangul syllable a term alone.
  static std::vector<std::string> tokenize(std::string_view text);

  /// Bytes the index holds beyond the cards' own records, for measurements.
  std::size_t memoryUsage() const;

 private:
  std::unique_ptr<search_internal::SearchIndexImpl> impl_;
};

}  // namespace kelvo
