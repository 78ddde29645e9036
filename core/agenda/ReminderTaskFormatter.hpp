#pragma once

// Every text of a Reminders-app task: its due line, where it comes from, and the card it becomes,
// reckoned in the given calendar's zone and locale:
//
//   const Calendar calendar = Calendar::current();
//   const Date now = calendar.date(2025, 3, 12, 10).value();
//   const ReminderTaskSnapshot task{.id = "T1", .due = ReminderDue{now - 86'400, true}};
//   const ReminderTaskFormatter formatter(calendar);
//   const std::string when = formatter.when(task, now);  // "Overdue · Due yesterday, 10:00 AM"

#include <optional>
#include <string>

#include "core/agenda/ReminderTaskSnapshot.hpp"
#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/DateFormat.hpp"
#include "platform/foundation/Locale.hpp"

namespace kelvo {

/// Every text of a Reminders-app task: its due line, where it comes from, and the card it
/// becomes. Reckons in a Gregorian calendar with the given calendar's zone, week rules and
/// locale; the date formatters are built once and shared by copies.
class ReminderTaskFormatter {
 public:
  explicit ReminderTaskFormatter(const Calendar& calendar);

  const Calendar& calendar() const { return calendar_; }
  const Locale& locale() const { return locale_; }

  /// The localised "No date".
  static std::string noDateLine();
  /// "Due today", "Due tomorrow, 9:00 AM", "Overdue · Due yesterday", "Due Fri, Mar 14".
  std::string when(const ReminderTaskSnapshot& task, Date now) const;
  /// A date as a day, with the year only when it is not the year of `now`.
  std::string day(Date date, Date now) const;
  /// List title, priority and "Repeats", joined with " · "; none when there is nothing to say.
  std::optional<std::string> provenance(const ReminderTaskSnapshot& task) const;
  /// At most 120 characters of the title.
  std::string cardTitle(const ReminderTaskSnapshot& task) const;
  /// Title, due line, provenance, link, "Completed", then the notes; at most 20,000 characters.
  std::string cardPayload(const ReminderTaskSnapshot& task, Date now) const;
  std::string cardPreview(const ReminderTaskSnapshot& task, Date now) const;
  std::string accessibilityLabel(const ReminderTaskSnapshot& task, Date now) const;

 private:
  std::string dayWord(Date date, Date now) const;

  Calendar calendar_;
  Locale locale_;
  DateFormatter time_;
  DateFormatter dayInYear_;
  DateFormatter dayWithYear_;
};

}  // namespace kelvo
