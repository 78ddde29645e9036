#pragma once

// The value copy of one occurrence of a calendar event, made by the host for each read of the
// calendar; CalendarAgenda sorts and groups it and CalendarEventFormatter words it. Its identifier
// names the occurrence, so a repeating event's days stay apart:
//
//   const Date start(700'000'000), end = start + 3'600;
//   const std::string id = CalendarEventSnapshot::occurrenceID("E1", start, end, "Review");
//   const CalendarEventSnapshot event({.id = id, .rawTitle = " ", .start = start, .end = end});
//   const std::string title = event.displayTitle();  // "Untitled event"
//   const bool underway = event.isUnderway(start + 60);  // true

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/agenda/KeptItemLimits.hpp"
#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/TimeZone.hpp"

namespace kelvo {

/// The value copy of one occurrence of a calendar event, made by the host for each read of the
/// calendar; the agenda sorts and groups it and `CalendarEventFormatter` words it.
class CalendarEventSnapshot {
 public:
  static constexpr std::string_view untitledTitle = "Untitled event";
  static constexpr std::size_t attendeeDisplayLimit = 12;
  static constexpr std::size_t notesLimit = KeptItemLimits::notesLimit;

  /// The fields as read from the calendar, in order.
  struct Fields {
    std::string id{};
    std::optional<std::string> rawTitle{};
    Date start{};
    Date end{};
    bool isAllDay = false;
    /// The event's own zone, as a time-zone database identifier.
    std::optional<std::string> timeZoneIdentifier{};
    std::optional<std::string> location{};
    std::vector<std::string> attendees{};
    std::optional<std::string> notes{};
    std::optional<std::string> calendarTitle{};
    bool isRecurring = false;

    friend bool operator==(const Fields&, const Fields&) = default;
  };

  /// Stores the fields unchanged, except that an end before the start is the start.
  explicit CalendarEventSnapshot(Fields fields);

  const std::string& id() const { return fields_.id; }
  const std::optional<std::string>& rawTitle() const { return fields_.rawTitle; }
  Date start() const { return fields_.start; }
  Date end() const { return fields_.end; }
  bool isAllDay() const { return fields_.isAllDay; }
  const std::optional<std::string>& timeZoneIdentifier() const {
    return fields_.timeZoneIdentifier;
  }
  const std::optional<std::string>& location() const { return fields_.location; }
  const std::vector<std::string>& attendees() const { return fields_.attendees; }
  const std::optional<std::string>& notes() const { return fields_.notes; }
  const std::optional<std::string>& calendarTitle() const { return fields_.calendarTitle; }
  bool isRecurring() const { return fields_.isRecurring; }

  /// The trimmed title, or "Untitled event" when that is empty or absent.
  std::string displayTitle() const;
  bool hasTitle() const;
  bool hasEnded(Date now) const { return end() <= now; }
  bool isUnderway(Date now) const { return start() <= now && end() > now; }
  /// Seconds from start to end, zero or more.
  TimeInterval duration() const { return end() - start(); }
  /// The end to show: an all-day event ending exactly at a midnight shows the second before.
  Date displayEnd(const Calendar& calendar) const;
  bool spansMoreThanOneDay(const Calendar& calendar) const;
  /// The event's own zone when its clock differs from the display zone's at the start.
  std::optional<TimeZone> differingTimeZone(const TimeZone& displayTimeZone) const;
  /// Whole minutes until the start, rounded down; none unless the start is after `now`.
  std::optional<std::int64_t> minutesUntilStart(Date now) const;
  /// Trimmed, non-empty attendee names without later repeats that differ only in case or by
  /// canonical equivalence.
  std::vector<std::string> namedAttendees() const;
  /// Up to twelve names joined with ", ", then " +n more" for the rest; none without names.
  std::optional<std::string> attendeeSummary() const;
  /// The trimmed notes, cut at 19,000 characters with the kept-item marker; none when empty.
  std::optional<std::string> trimmedNotes() const;

  /// "<event identifier>#<start>" or, without an identifier, "anon#<start>#<end>#<trimmed
  /// title>", dates written as seconds since 2001 in the platform's default number text.
  static std::string occurrenceID(const std::optional<std::string>& eventIdentifier, Date start,
                                  Date end, const std::optional<std::string>& title);

  friend bool operator==(const CalendarEventSnapshot&, const CalendarEventSnapshot&) = default;

 private:
  Fields fields_;
};

}  // namespace kelvo
