#pragma once

// The orders of a card list, stored by raw value.
//
//   const auto shown = sorted(CardSort::recentlyUsed, std::move(cards));
//   name(CardSort::mostUsed);  // "Most used"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/search/SearchableCard.hpp"
#include "platform/foundation/RawValues.hpp"

namespace kelvo {

enum class CardSort : std::uint8_t { relevance, recentlyUsed, mostUsed, title };

template <>
struct RawValues<CardSort> {
  static constexpr std::array<std::pair<CardSort, std::string_view>, 4> table{{
      {CardSort::relevance, "relevance"},
      {CardSort::recentlyUsed, "recentlyUsed"},
      {CardSort::mostUsed, "mostUsed"},
      {CardSort::title, "title"},
  }};
};

/// The localised display name.
std::string name(CardSort sort);

/// `cards` in the sort's order. `relevance` hands the list back as it came; the others sort
/// stably and end in the title-then-identifier order (titles by the current locale's
/// case-insensitive comparison, then identifiers). `mostUsed` puts higher use counts first;
/// `recentlyUsed` later last uses first, a last use that is not a number after every real one,
/// and cards never used after all of them.
std::vector<SearchableCard> sorted(CardSort sort, std::vector<SearchableCard> cards);

}  // namespace kelvo
