#pragma once

// The ways the library can group its cards (CardOrganiser.hpp groups them), kept by raw value,
// with the names the grouping menu shows:
//
//   const std::string stored = "recency";
//   const auto grouping = fromRawValue<CardGrouping>(stored).value_or(CardGrouping::project);
//   const std::string name = title(grouping);          // "Last used"
//   const std::string stated = activeLabel(grouping);  // "Grouped by when it was last used"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/foundation/RawValues.hpp"

namespace kelvo {

enum class KelvoIcon;

/// The ways the library can group its cards; stored and identified by raw value.
enum class CardGrouping : std::uint8_t { project, type, recency, date };

template <>
struct RawValues<CardGrouping> {
  static constexpr std::array<std::pair<CardGrouping, std::string_view>, 4> table{{
      {CardGrouping::project, "project"},
      {CardGrouping::type, "type"},
      {CardGrouping::recency, "recency"},
      {CardGrouping::date, "date"},
  }};
};

/// The grouping's name ("Projects", "Type", "Last used", "Date"); localised.
std::string title(CardGrouping grouping);
KelvoIcon icon(CardGrouping grouping);
/// The sentence that states the grouping in force ("Grouped by project"); localised.
std::string activeLabel(CardGrouping grouping);

}  // namespace kelvo
