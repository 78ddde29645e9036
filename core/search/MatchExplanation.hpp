#pragma once

#include <functional>
#include <string>

#include "core/search/SearchField.hpp"
#include "core/search/TermRelation.hpp"

namespace kelvo {

/// Why a card matched a query term it does not hold: the word found in its place, how that
/// word relates to the term, and where in the card it was found.
///
///   MatchExplanation{"invoice", "bill", TermRelation::synonym, {}}.sentence()
///   // "bill — means invoice"
struct MatchExplanation {
  std::string queryTerm;
  std::string matchedTerm;
  TermRelation relation = TermRelation::exact;
  SearchFields fields;

  /// The line for the user, localised, the matched term first: "bill — means invoice".
  std::string sentence() const;

  friend bool operator==(const MatchExplanation&, const MatchExplanation&) = default;
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::MatchExplanation> {
  size_t operator()(const kelvo::MatchExplanation& explanation) const noexcept;
};
