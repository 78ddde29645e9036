#pragma once

// A smart shelf's predicate split into the project it is limited to and everything else, so
// that the editor can offer the project as a choice of its own, and joined back on saving.
//
//   const auto scope = SmartShelfScope::decompose(criteria.predicate);
//   SmartShelfScope edited{"Studio", scope.predicate};
//   criteria.predicate = edited.composed();  // and of [project("Studio"), ...]

#include <optional>
#include <string>

#include "core/search/CardPredicate.hpp"

namespace kelvo {

/// Equal when both fields are (names by canonical equivalence, absent only to absent).
struct SmartShelfScope {
  std::optional<std::string> projectName;
  CardPredicate predicate;

  /// The one predicate for the scope. Without a project (absent or empty; a name of spaces
  /// counts) the predicate itself; else the project alone for `all`, one flat `and` with the
  /// project first for an `and`, and `and` of the project and the predicate otherwise.
  CardPredicate composed() const;
  /// Splits off a project only when it is the predicate itself or the first member of an
  /// `and`; the rest becomes `all`, the one remaining member, or an `and` of the rest.
  static SmartShelfScope decompose(const CardPredicate& predicate);

  friend bool operator==(const SmartShelfScope& a, const SmartShelfScope& b);
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::SmartShelfScope> {
  size_t operator()(const kelvo::SmartShelfScope& scope) const noexcept;
};
