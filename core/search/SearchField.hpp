#pragma once

#include <array>
#include <cstdint>
#include <set>
#include <string_view>
#include <utility>

#include "platform/foundation/RawValues.hpp"

namespace kelvo {

/// The part of a card in which a word was found; each part weighs differently in scoring.
enum class SearchField : std::uint8_t {
  title,
  content,
  extractedText,
  autoTag,
  shelfName,
  factLabel
};

template <>
struct RawValues<SearchField> {
  static constexpr std::array<std::pair<SearchField, std::string_view>, 6> table{{
      {SearchField::title, "title"},
      {SearchField::content, "content"},
      {SearchField::extractedText, "extractedText"},
      {SearchField::autoTag, "autoTag"},
      {SearchField::shelfName, "shelfName"},
      {SearchField::factLabel, "factLabel"},
  }};
};

/// How much a word found in `field` counts towards a card's score.
constexpr double weight(SearchField field) {
  switch (field) {
    case SearchField::title:
      return 10.0;
    case SearchField::content:
      return 5.0;
    case SearchField::extractedText:
      return 2.0;
    case SearchField::autoTag:
      return 4.0;
    case SearchField::shelfName:
      return 3.0;
    case SearchField::factLabel:
      return 8.0;
  }
  return 1.0;
}

/// The fields in which a query matched a card.
using SearchFields = std::set<SearchField>;

}  // namespace kelvo

template <>
struct std::hash<kelvo::SearchField> {
  size_t operator()(kelvo::SearchField field) const noexcept {
    return std::hash<std::string_view>{}(kelvo::rawValue(field));
  }
};
