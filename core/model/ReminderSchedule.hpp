#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/model/ReminderBucket.hpp"
#include "core/model/ReminderRepeat.hpp"
#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/Date.hpp"

namespace kelvo {

/// The date rules of card reminders: overdue, buckets, due phrases, repetitions and the presets
/// a user picks a fire time from. Days are calendar days of the calendar passed in, never
/// spans of 24 hours; nothing reads the clock.
///
///     auto calendar = Calendar::current();
///     if (auto fireAt = ReminderSchedule::tomorrowMorning(now, calendar)) { ... }
///     std::string due = ReminderSchedule::dueDescription(*fireAt, now, calendar);  // "Due
///     tomorrow"
struct ReminderSchedule {
  /// The hour of the morning presets.
  static constexpr int workingMorningHour = 9;
  /// How many candidates `nextOccurrence` tries before it gives up.
  static constexpr int occurrenceTries = 512;

  /// Not done and strictly before `now`.
  static bool isOverdue(Date fireAt, bool isDone, Date now);
  /// Calendar days from the day of `from` to the day of `to`: 23:50 to 00:10 is 1, negative
  /// backwards, 0 when the calendar cannot hold either moment.
  static std::int64_t dayDistance(Date from, Date to, const Calendar& calendar);
  /// `overdue` before `now`; then by days ahead: `today` (0), `thisWeek` (1 to 7), `later`.
  static ReminderBucket bucket(Date fireAt, Date now, const Calendar& calendar);
  /// "Overdue since 9:00 AM", "Overdue by 3 days", "Due today at 5:00 PM", "Due tomorrow",
  /// "Due Thursday", "Due Dec 12, 2026": days counted in `calendar`, the time, weekday and date
  /// written in the current locale and time zone.
  static std::string dueDescription(Date fireAt, Date now, const Calendar& calendar);
  /// The first repetition of `rule` anchored at `from` that is strictly after `after`; `from`
  /// itself when that is later. None for `none`, for a moment that is not finite, and when the
  /// calendar cannot reach a repetition after `after` (past its range, see Calendar.hpp). Every
  /// candidate is counted from the anchor, so a clamped month end does not drift.
  static std::optional<Date> nextOccurrence(Date after, Date from, ReminderRepeat rule,
                                            const Calendar& calendar);

  // Each preset is strictly later than `after`, or none when the calendar cannot reach it: a
  // moment `after` past the calendar's range or not finite, or an answer that would pass it.

  /// 09:00 of the next calendar day (a skipped 09:00 moves on to the next existing time).
  static std::optional<Date> tomorrowMorning(Date after, const Calendar& calendar);
  /// The next Monday 09:00 strictly after `after`.
  static std::optional<Date> nextMondayMorning(Date after, const Calendar& calendar);
  /// The same weekday and time a week later.
  static std::optional<Date> inAWeek(Date after, const Calendar& calendar);
  /// Three months later, the day of month clamped; not the start of a quarter.
  static std::optional<Date> nextQuarter(Date after, const Calendar& calendar);
};

}  // namespace kelvo
