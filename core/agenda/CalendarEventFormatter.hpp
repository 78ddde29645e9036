#pragma once

// Every text of a calendar event: its one-line time, day titles, the note on another time zone,
// urgency, and the card it becomes, in the display calendar's zone and locale:
//
//   const Calendar calendar = Calendar::current();
//   const Date now = calendar.date(2025, 3, 12, 9).value();  // a Wednesday
//   const CalendarEventSnapshot event({.rawTitle = "Review", .start = now, .end = now + 3'600});
//   const CalendarEventFormatter formatter(calendar);
//   const std::string when = formatter.when(event, now);  // "Wed, Mar 12, 9:00 AM – 10:00 AM"
//   const auto soon = formatter.urgency(event, now);  // "On now, until 10:00 AM"

#include <optional>
#include <string>

#include "core/agenda/CalendarEventSnapshot.hpp"
#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/DateFormat.hpp"
#include "platform/foundation/Locale.hpp"

namespace kelvo {

/// Every text of a calendar event: its one-line time, day titles, the note on another time
/// zone, urgency, and the card it becomes. Days, times and years are those of the display
/// calendar, in its zone and locale. The date formatters are built once, when the formatter is
/// made; copies share them and any thread may use them.
class CalendarEventFormatter {
 public:
  explicit CalendarEventFormatter(const Calendar& calendar);

  const Calendar& calendar() const { return calendar_; }
  const Locale& locale() const { return locale_; }

  /// The day and time of an event: "All day · Sat, Dec 12", "Sat, Dec 12, 9:00 AM – 10:00 AM",
  /// "Sat, Dec 12 10:00 PM – Sun, Dec 13 12:00 AM", and so on. Never "Today".
  std::string when(const CalendarEventSnapshot& event, Date now) const;
  /// A date as a day, with the year only when it is not the year of `now`.
  std::string day(Date date, Date now) const;
  /// "Today", "Tomorrow", or the day.
  std::string dayTitle(Date day, Date now) const;
  /// "Set for 3:00 PM Central European Time" for a timed event whose own zone shows another
  /// clock; none otherwise.
  std::optional<std::string> timeZoneNote(const CalendarEventSnapshot& event) const;
  /// "On now, until 5:00 PM", "Starting now", "In 12 minutes"; none when over or an hour away.
  std::optional<std::string> urgency(const CalendarEventSnapshot& event, Date now) const;

  /// The title of the card the event becomes: at most 120 characters.
  std::string cardTitle(const CalendarEventSnapshot& event) const;
  /// Title, time, zone note, location, attendees, "Repeats", calendar, then the notes; at
  /// most 20,000 characters.
  std::string cardPayload(const CalendarEventSnapshot& event, Date now) const;
  /// The time, and " · " and the location when there is one.
  std::string cardPreview(const CalendarEventSnapshot& event, Date now) const;
  /// Title, time, urgency and location, joined with ", ".
  std::string accessibilityLabel(const CalendarEventSnapshot& event, Date now) const;

 private:
  std::string dayRange(Date from, Date to, Date now) const;

  Calendar calendar_;
  Locale locale_;
  DateFormatter time_;
  DateFormatter dayInYear_;
  DateFormatter dayWithYear_;
  DateFormatter dayOnly_;
};

}  // namespace kelvo
