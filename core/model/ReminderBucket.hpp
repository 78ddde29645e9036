#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/foundation/RawValues.hpp"

namespace kelvo {

/// Where a reminder sits in the agenda, in the agenda's order.
enum class ReminderBucket : std::uint8_t { overdue, today, thisWeek, later };

template <>
struct RawValues<ReminderBucket> {
  static constexpr std::array<std::pair<ReminderBucket, std::string_view>, 4> table{{
      {ReminderBucket::overdue, "overdue"},
      {ReminderBucket::today, "today"},
      {ReminderBucket::thisWeek, "thisWeek"},
      {ReminderBucket::later, "later"},
  }};
};

/// The bucket's section title and its one-line explanation, localised.
std::string title(ReminderBucket bucket);
std::string explanation(ReminderBucket bucket);

}  // namespace kelvo
