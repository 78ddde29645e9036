#pragma once

#include <functional>

#include "core/search/SearchField.hpp"
#include "core/search/SearchableCard.hpp"

namespace kelvo {

/// One literal hit: the card as indexed, its score (greater is better) and every field in
/// which a query term matched it.
struct SearchResult {
  SearchableCard card;
  double score = 0;
  SearchFields matchedFields;

  const UUID& id() const { return card.id(); }

  friend bool operator==(const SearchResult&, const SearchResult&) = default;
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::SearchResult> {
  size_t operator()(const kelvo::SearchResult& result) const noexcept;
};
