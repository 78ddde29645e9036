#pragma once

#include <functional>
#include <string>

#include "core/search/TermRelation.hpp"

namespace kelvo {

/// A word that may stand for a query term, with how it relates to it: the unit in which every
/// lexicon answers. `term` is in the form `SearchIndex::tokenize` gives.
struct TermVariant {
  std::string term;
  TermRelation relation = TermRelation::exact;

  friend bool operator==(const TermVariant&, const TermVariant&) = default;
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::TermVariant> {
  size_t operator()(const kelvo::TermVariant& variant) const noexcept;
};
