#pragma once

// The open tasks of the Reminders app: their order, sections by due day, the most overdue one and
// the texts of a cut or empty list. Days are those of the calendar passed in:
//
//   const Date now(700'000'000);
//   const Calendar calendar = Calendar::current();
//   const std::vector<ReminderTaskSnapshot> tasks{{.id = "T1"},
//                                                 {.id = "T2", .due = ReminderDue{now - 86'400}}};
//   const auto sections = ReminderTaskList::sections(tasks, now, calendar);  // Overdue, No date
//   const auto worst = ReminderTaskList::mostOverdue(tasks, now, calendar);  // T2

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/agenda/ReminderTaskSection.hpp"
#include "core/agenda/ReminderTaskSnapshot.hpp"
#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/Date.hpp"

namespace kelvo {

/// The open tasks of the Reminders app: their order, sections by due day, the most overdue one
/// and the texts of a cut or empty list. Days are those of the calendar passed in.
struct ReminderTaskList {
  static constexpr std::int64_t displayLimit = 200;

  /// The tasks not completed, in list order, at most `limit` (none for a negative one).
  static std::vector<ReminderTaskSnapshot> open(std::span<const ReminderTaskSnapshot> tasks,
                                                Date now, const Calendar& calendar,
                                                std::int64_t limit = displayLimit);
  /// Bucket, then deadline (when both have one), priority (high first), title in the current
  /// locale ignoring case, identifier.
  static bool isOrderedBefore(const ReminderTaskSnapshot& a, const ReminderTaskSnapshot& b,
                              Date now, const Calendar& calendar);
  static ReminderTaskBucket bucket(const ReminderTaskSnapshot& task, Date now,
                                   const Calendar& calendar);
  /// `open`, grouped by bucket; buckets without a task give no section.
  static std::vector<ReminderTaskSection> sections(std::span<const ReminderTaskSnapshot> tasks,
                                                   Date now, const Calendar& calendar,
                                                   std::int64_t limit = displayLimit);
  /// The open overdue task first in list order; the earlier in the input on a full tie.
  static std::optional<ReminderTaskSnapshot> mostOverdue(
      std::span<const ReminderTaskSnapshot> tasks, Date now, const Calendar& calendar);
  /// The line under a list showing `shown` of `total` tasks; none when none is hidden.
  static std::optional<std::string> truncationNotice(std::int64_t shown, std::int64_t total);
  /// Localised explanations of an empty list and of where finished tasks went.
  static std::string emptyExplanation();
  static std::string completedExplanation();
};

}  // namespace kelvo
