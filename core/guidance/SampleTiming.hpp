#pragma once

// Timestamps of sample content, given as an offset back from the present, that still fall on today
// even shortly after midnight:
//
//   const Calendar calendar = Calendar::current();
//   const Date now = calendar.date(2025, 3, 12, 0, 30).value();  // half past midnight
//   const Date stamp = SampleTiming::withinToday(2 * 3'600, now, calendar);  // still today

#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/Date.hpp"

namespace kelvo {

struct SampleTiming {
  /// `from` minus `offset` seconds, raised to one second after the start of `from`'s day in
  /// `calendar`. Only the lower bound applies: a negative offset may land on a later day. A
  /// non-finite offset counts as 0, and a non-finite `from` comes back unchanged.
  static Date withinToday(double offset, Date from, const Calendar& calendar);
};

}  // namespace kelvo
