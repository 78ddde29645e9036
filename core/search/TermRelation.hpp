#pragma once

// How a word found in a card stands to the word of the query, and how much a match through it
// counts: the shared vocabulary of meaning-aware search and its lexicons.
//
//   if (isStronger(variant.relation, held.relation)) held = variant;
//   score *= strength(TermRelation::synonym);  // 0.7

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>

#include "platform/foundation/JSON.hpp"
#include "platform/foundation/RawValues.hpp"

namespace kelvo {

class JSONReader;

/// Declared stronger first; the order is the order of comparing and sorting relations.
enum class TermRelation : std::uint8_t { exact, inflection, synonym, related };

template <>
struct RawValues<TermRelation> {
  static constexpr std::array<std::pair<TermRelation, std::string_view>, 4> table{{
      {TermRelation::exact, "exact"},
      {TermRelation::inflection, "inflection"},
      {TermRelation::synonym, "synonym"},
      {TermRelation::related, "related"},
  }};
};

/// The factor applied to the score of a card found through a word of this relation.
double strength(TermRelation relation);

/// Whether `a` comes before `b` in the order exact, inflection, synonym, related.
constexpr bool isStronger(TermRelation a, TermRelation b) {
  return static_cast<std::uint8_t>(a) < static_cast<std::uint8_t>(b);
}

void to_json(Json& json, TermRelation relation);
/// The relation whose raw value the reader holds; any other string is data corrupted.
TermRelation decodeTermRelation(const JSONReader& reader);

}  // namespace kelvo

template <>
struct std::hash<kelvo::TermRelation> {
  size_t operator()(kelvo::TermRelation relation) const noexcept {
    return std::hash<std::string_view>{}(kelvo::rawValue(relation));
  }
};
