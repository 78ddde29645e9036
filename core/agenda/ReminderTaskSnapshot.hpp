#pragma once

// Value copies of tasks from the system Reminders app (not card reminders) with their due dates and
// priorities, as the host reads them from the store:
//
//   const Calendar calendar = Calendar::current();
//   const DateComponents stored{.year = 2025, .month = 3, .day = 14};
//   const ReminderTaskSnapshot task{.id = "T1",
//                                   .rawTitle = "Pay rent",
//                                   .due = ReminderDue::resolve(stored, calendar),
//                                   .priority = reminderPriorityFrom(1)};
//   const bool overdue = task.isOverdue(calendar.date(2025, 3, 15).value(), calendar);  // true
//   const auto mark = marker(task.priority);  // "!!!"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/agenda/KeptItemLimits.hpp"
#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/DateComponents.hpp"
#include "platform/foundation/RawValues.hpp"
#include "platform/foundation/URL.hpp"

namespace kelvo {

/// A task's due date; `date` is a moment on the due day when there is no time of day.
struct ReminderDue {
  Date date;
  bool hasTime = false;

  /// The due moment with a time; else the first moment of the day after the due day.
  Date deadline(const Calendar& calendar) const;
  /// From the deadline on, inclusive.
  bool isOverdue(Date now, const Calendar& calendar) const { return deadline(calendar) <= now; }
  /// The due date of a store's components: none without a year, month and day or for a day the
  /// calendar has not (30 February); with a time exactly when an hour is given.
  static std::optional<ReminderDue> resolve(const std::optional<DateComponents>& components,
                                            const Calendar& calendar);

  friend bool operator==(const ReminderDue&, const ReminderDue&) = default;
};

enum class ReminderPriority : std::uint8_t { none, low, medium, high };

template <>
struct RawValues<ReminderPriority> {
  static constexpr std::array<std::pair<ReminderPriority, std::string_view>, 4> table{{
      {ReminderPriority::none, "none"},
      {ReminderPriority::low, "low"},
      {ReminderPriority::medium, "medium"},
      {ReminderPriority::high, "high"},
  }};
};

/// The level of an EventKit priority number: 1–4 high, 5 medium, 6–9 low, anything else none.
ReminderPriority reminderPriorityFrom(std::int64_t eventKitValue);
/// "!", "!!", "!!!"; none for `none`.
std::optional<std::string_view> marker(ReminderPriority priority);
/// "Low priority", "Medium priority", "High priority", localised; none for `none`.
std::optional<std::string> displayName(ReminderPriority priority);

/// One task as read from the Reminders store; nothing is normalised until read through the
/// derived values.
struct ReminderTaskSnapshot {
  static constexpr std::string_view untitledTitle = "Untitled reminder";
  static constexpr std::size_t notesLimit = KeptItemLimits::notesLimit;

  std::string id;
  std::optional<std::string> rawTitle{};
  std::optional<ReminderDue> due{};
  bool isCompleted = false;
  ReminderPriority priority = ReminderPriority::none;
  std::optional<std::string> notes{};
  std::optional<std::string> listTitle{};
  std::optional<std::string> urlString{};
  bool isRecurring = false;

  /// The trimmed title, or "Untitled reminder".
  std::string displayTitle() const;
  bool hasTitle() const;
  /// The trimmed link text as a URL with a scheme (any scheme); none otherwise.
  std::optional<URL> link() const;
  /// The trimmed notes, cut at 19,000 characters with the kept-item marker; none when empty.
  std::optional<std::string> trimmedNotes() const;
  /// Open, with a due date, at or past its deadline.
  bool isOverdue(Date now, const Calendar& calendar) const;

  friend bool operator==(const ReminderTaskSnapshot&, const ReminderTaskSnapshot&) = default;
};

}  // namespace kelvo
