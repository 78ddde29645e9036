#include "core/guidance/SampleTiming.hpp"

#include <cmath>

namespace kelvo {

Date SampleTiming::withinToday(double offset, Date from, const Calendar& calendar) {
  if (!std::isfinite(from.timeIntervalSinceReferenceDate())) return from;
  // A NaN or infinite offset would give a date no calendar can place.
  const Date candidate = from - (std::isfinite(offset) ? offset : 0);
  const Date floor = calendar.startOfDay(from) + 1;
  return floor >= candidate ? floor : candidate;
}

}  // namespace kelvo
