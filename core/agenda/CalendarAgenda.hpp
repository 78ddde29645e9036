#pragma once

// The user's next seven days of calendar: the range to read, the events still to come grouped by
// the day they start on, the one to call out now, and the texts of a cut or empty list. The host
// reads its calendar into CalendarEventSnapshot values:
//
//   const Date now = Calendar::current().date(2025, 3, 12, 9).value();
//   const std::vector<CalendarEventSnapshot> events{CalendarEventSnapshot(
//       {.id = "standup", .rawTitle = "Standup", .start = now + 600, .end = now + 1'500})};
//   const CalendarAgenda::Range read = CalendarAgenda::fetchRange(now);  // a week from now
//   const auto days = CalendarAgenda::sections(events, now, Calendar::current());  // one day
//   const auto callOut = CalendarAgenda::imminent(events, now);  // the standup, in 10 minutes

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/agenda/CalendarDaySection.hpp"
#include "core/agenda/CalendarEventSnapshot.hpp"
#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/Date.hpp"

namespace kelvo {

/// The user's next seven days of calendar: which range to read, the events still to come in
/// one order, grouped by day, the one to call out now, and the texts of a cut or empty list.
struct CalendarAgenda {
  static constexpr TimeInterval window = 604'800;
  static constexpr std::int64_t displayLimit = 200;
  static constexpr TimeInterval imminentWindow = 3'600;

  struct Range {
    Date start;
    Date end;
  };

  /// From `now` to `window` later.
  static Range fetchRange(Date now);
  /// The events not over at `now`, in agenda order, at most `limit` (none for a negative one).
  static std::vector<CalendarEventSnapshot> upcoming(std::span<const CalendarEventSnapshot> events,
                                                     Date now, std::int64_t limit = displayLimit);
  /// Earlier start first; at one start all-day first, then titles in the current locale
  /// ignoring case, then identifiers by code point.
  static bool isOrderedBefore(const CalendarEventSnapshot& a, const CalendarEventSnapshot& b);
  /// `upcoming`, grouped under the day each event starts on in `calendar`, days ascending.
  static std::vector<CalendarDaySection> sections(std::span<const CalendarEventSnapshot> events,
                                                  Date now, const Calendar& calendar,
                                                  std::int64_t limit = displayLimit);
  /// The timed event under way, or else the next to start within `within` seconds.
  static std::optional<CalendarEventSnapshot> imminent(
      std::span<const CalendarEventSnapshot> events, Date now,
      TimeInterval within = imminentWindow);
  /// The line under a list showing `shown` of `total` events; none when nothing is left out.
  static std::optional<std::string> truncationNotice(std::int64_t shown, std::int64_t total);
  /// What an empty agenda says; localised.
  static std::string emptyExplanation();
};

}  // namespace kelvo
