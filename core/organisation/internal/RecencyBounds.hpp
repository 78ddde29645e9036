// Internal to core/organisation: include "core/organisation/CardOrganiser.hpp" instead.
#pragma once

#include <optional>
#include <vector>

#include "core/organisation/CardOrganiser.hpp"
#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/Date.hpp"

namespace kelvo::organisation_internal {

/// The day, yesterday, week and month bounds of one `now`, computed once, so that grouping
/// places each card by comparing instants instead of asking the calendar. Gives the same answers
/// as `bucket` and the month start of `dateBucket`; where the calendar cannot bound `now` it
/// asks the calendar per instant.
class RecencyBounds {
 public:
  RecencyBounds(Date now, const Calendar& calendar);

  CardOrganiser::RecencyBucket bucket(Date instant) const;
  /// The first moment of the month holding an instant of the `earlier` bucket; none where the
  /// calendar gives none.
  std::optional<Date> monthStart(Date instant);

 private:
  // How far back month starts are kept; older instants ask the calendar.
  static constexpr std::size_t keptMonths = 600;

  Date now_;
  const Calendar& calendar_;
  bool isBounded_ = false;
  Date dayStart_;
  std::optional<Date> yesterdayStart_;
  Date weekStart_;
  // Newest first: the start of this month, then of each month before it.
  std::vector<Date> monthStarts_;
};

}  // namespace kelvo::organisation_internal
