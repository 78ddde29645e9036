#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "core/agenda/ReminderTaskSnapshot.hpp"
#include "platform/foundation/RawValues.hpp"

namespace kelvo {

/// When an open Reminders-app task is due, in the order of the list's sections.
enum class ReminderTaskBucket : std::uint8_t { overdue, today, tomorrow, later, noDate };

template <>
struct RawValues<ReminderTaskBucket> {
  static constexpr std::array<std::pair<ReminderTaskBucket, std::string_view>, 5> table{{
      {ReminderTaskBucket::overdue, "overdue"},
      {ReminderTaskBucket::today, "today"},
      {ReminderTaskBucket::tomorrow, "tomorrow"},
      {ReminderTaskBucket::later, "later"},
      {ReminderTaskBucket::noDate, "noDate"},
  }};
};

/// "Overdue", "Today", "Tomorrow", "Later", "No date"; as written, not localised.
constexpr std::string_view title(ReminderTaskBucket bucket) {
  constexpr std::array<std::string_view, 5> titles{"Overdue", "Today", "Tomorrow", "Later",
                                                   "No date"};
  const auto index = static_cast<std::size_t>(bucket);
  return index < titles.size() ? titles[index] : std::string_view();
}

/// One section of the task list: a bucket and its tasks in list order.
struct ReminderTaskSection {
  ReminderTaskBucket id;
  std::vector<ReminderTaskSnapshot> tasks;

  std::string_view title() const { return kelvo::title(id); }
  friend bool operator==(const ReminderTaskSection&, const ReminderTaskSection&) = default;
};

}  // namespace kelvo
