#pragma once

#include <vector>

#include "core/agenda/CalendarEventSnapshot.hpp"
#include "platform/foundation/Date.hpp"

namespace kelvo {

/// One day of the calendar agenda: the first moment of the day in the user's calendar, and the
/// events that start on it in agenda order.
struct CalendarDaySection {
  Date id;
  std::vector<CalendarEventSnapshot> events;

  friend bool operator==(const CalendarDaySection&, const CalendarDaySection&) = default;
};

}  // namespace kelvo
