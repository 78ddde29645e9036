#pragma once

#include <functional>
#include <vector>

#include "core/search/MatchExplanation.hpp"
#include "core/search/SearchField.hpp"
#include "core/search/SearchableCard.hpp"

namespace kelvo {

/// One card found by meaning-aware search: its literal and semantic scores, every field that
/// matched, and one explanation per query term it covers only through another word, stronger
/// relations first.
struct SemanticSearchResult {
  SearchableCard card;
  /// `literalScore` + `semanticScore`; not checked.
  double score = 0;
  /// The card's score in the literal search of the whole query; 0 when that did not find it.
  double literalScore = 0;
  /// What the card earned through other words, already weighted.
  double semanticScore = 0;
  SearchFields matchedFields;
  std::vector<MatchExplanation> explanations;

  const UUID& id() const { return card.id(); }
  /// The literal search found the card (a score of 0, below or not a number does not count).
  bool isLiteralMatch() const { return literalScore > 0; }

  friend bool operator==(const SemanticSearchResult&, const SemanticSearchResult&) = default;
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::SemanticSearchResult> {
  size_t operator()(const kelvo::SemanticSearchResult& result) const noexcept;
};
