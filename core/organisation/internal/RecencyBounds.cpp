#include "core/organisation/internal/RecencyBounds.hpp"

#include <algorithm>
#include <functional>

namespace kelvo::organisation_internal {

using CardOrganiser::RecencyBucket;

using Component = Calendar::Component;

RecencyBounds::RecencyBounds(Date now, const Calendar& calendar) : now_(now), calendar_(calendar) {
  const auto day = calendar.start(Component::day, now);
  const auto week = calendar.start(Component::weekOfYear, now);
  const auto month = calendar.start(Component::month, now);
  if (!day || !week || !month || *day > now) return;
  isBounded_ = true;
  dayStart_ = *day;
  weekStart_ = *week;
  monthStarts_.push_back(*month);
  // Yesterday is the day that ends where today begins.
  if (const auto yesterday = calendar.adding(Component::day, -1, now)) {
    const auto start = calendar.start(Component::day, *yesterday);
    if (start && *start < dayStart_) yesterdayStart_ = start;
  }
}

CardOrganiser::RecencyBucket RecencyBounds::bucket(Date instant) const {
  if (!isBounded_) return CardOrganiser::bucket(instant, now_, calendar_);
  // Any later instant is today too; an instant that is not a number passes every test.
  if (instant >= dayStart_) return RecencyBucket::today;
  if (yesterdayStart_ && instant >= *yesterdayStart_) return RecencyBucket::yesterday;
  if (instant >= weekStart_) return RecencyBucket::thisWeek;
  if (instant >= monthStarts_.front()) return RecencyBucket::thisMonth;
  return RecencyBucket::earlier;
}

std::optional<Date> RecencyBounds::monthStart(Date instant) {
  if (!isBounded_ || !(instant < monthStarts_.front())) {
    return calendar_.start(Component::month, instant);
  }
  while (monthStarts_.back() > instant && monthStarts_.size() < keptMonths) {
    const auto before = calendar_.adding(Component::month, -1, monthStarts_.back());
    const auto start = before ? calendar_.start(Component::month, *before) : std::nullopt;
    if (!start || !(*start < monthStarts_.back())) break;
    monthStarts_.push_back(*start);
  }
  if (monthStarts_.back() > instant) return calendar_.start(Component::month, instant);
  // The newest start at or before the instant.
  return *std::lower_bound(monthStarts_.begin(), monthStarts_.end(), instant, std::greater<>());
}

}  // namespace kelvo::organisation_internal
