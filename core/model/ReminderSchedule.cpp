#include "core/model/ReminderSchedule.hpp"

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/foundation/DateFormat.hpp"
#include "platform/foundation/Locale.hpp"
#include "platform/foundation/TimeZone.hpp"

namespace kelvo {
namespace {

using Component = Calendar::Component;

// The three renderings of a due phrase in one locale and zone. Building a pattern formatter
// costs far more than formatting with it, so they are kept until either setting changes.
struct DueFormatters {
  std::string localeID;
  std::string zoneID;
  DateFormatter time;
  DateFormatter weekday;
  DateFormatter date;
};

std::shared_ptr<const DueFormatters> dueFormatters() {
  static std::mutex mutex;
  static std::shared_ptr<const DueFormatters> cached;
  const Locale locale = Locale::current();
  const TimeZone zone = TimeZone::current();
  std::lock_guard lock(mutex);
  if (cached && cached->localeID == locale.identifier() && cached->zoneID == zone.identifier()) {
    return cached;
  }
  const Calendar calendar(zone, locale);
  using Style = DateFormatter::Style;
  cached = std::make_shared<const DueFormatters>(
      DueFormatters{locale.identifier(), zone.identifier(),
                    DateFormatter(Style::none, Style::shortStyle, calendar, locale),
                    DateFormatter::fromPattern("EEEE", calendar, locale),
                    DateFormatter(Style::mediumStyle, Style::none, calendar, locale)});
  return cached;
}

std::string overduePhrase(Date fireAt, std::int64_t daysAgo) {
  if (daysAgo <= 0) return "Overdue since " + dueFormatters()->time.format(fireAt);
  if (daysAgo == 1) return "Overdue by 1 day";
  return "Overdue by " + std::to_string(daysAgo) + " days";
}

}  // namespace

bool ReminderSchedule::isOverdue(Date fireAt, bool isDone, Date now) {
  return !isDone && fireAt < now;
}

std::int64_t ReminderSchedule::dayDistance(Date from, Date to, const Calendar& calendar) {
  return calendar.daysBetween(from, to).value_or(0);
}

ReminderBucket ReminderSchedule::bucket(Date fireAt, Date now, const Calendar& calendar) {
  if (fireAt < now) return ReminderBucket::overdue;
  const std::int64_t days = dayDistance(now, fireAt, calendar);
  if (days <= 0) return ReminderBucket::today;
  if (days < 8) return ReminderBucket::thisWeek;
  return ReminderBucket::later;
}

std::string ReminderSchedule::dueDescription(Date fireAt, Date now, const Calendar& calendar) {
  const std::int64_t days = dayDistance(now, fireAt, calendar);
  if (fireAt < now) return overduePhrase(fireAt, -days);
  if (days <= 0) return "Due today at " + dueFormatters()->time.format(fireAt);
  if (days == 1) return "Due tomorrow";
  if (days <= 6) return "Due " + dueFormatters()->weekday.format(fireAt);
  return "Due " + dueFormatters()->date.format(fireAt);
}

std::optional<Date> ReminderSchedule::nextOccurrence(Date after, Date from, ReminderRepeat rule,
                                                     const Calendar& calendar) {
  if (!std::isfinite(after.timeIntervalSinceReferenceDate()) ||
      !std::isfinite(from.timeIntervalSinceReferenceDate())) {
    return std::nullopt;
  }
  if (from > after) return from;
  const auto step = calendarStep(rule);
  if (!step) return std::nullopt;
  const std::int64_t elapsed = calendar.difference(step->unit, from, after).value_or(0);
  const std::int64_t whole = std::max<std::int64_t>(elapsed / step->count, 0);
  for (std::int64_t i = 0; i < occurrenceTries; ++i) {
    const auto candidate = calendar.adding(step->unit, (whole + 1 + i) * step->count, from);
    if (!candidate) return std::nullopt;
    if (*candidate > after) return candidate;
  }
  return std::nullopt;
}

std::optional<Date> ReminderSchedule::tomorrowMorning(Date after, const Calendar& calendar) {
  const auto tomorrow = calendar.adding(Component::day, 1, after);
  if (!tomorrow) return std::nullopt;
  return calendar.settingTime(workingMorningHour, 0, 0, *tomorrow);
}

std::optional<Date> ReminderSchedule::nextMondayMorning(Date after, const Calendar& calendar) {
  return calendar.nextDate(after, Calendar::Match{2, workingMorningHour, 0, 0});
}

std::optional<Date> ReminderSchedule::inAWeek(Date after, const Calendar& calendar) {
  return calendar.adding(Component::weekOfYear, 1, after);
}

std::optional<Date> ReminderSchedule::nextQuarter(Date after, const Calendar& calendar) {
  return calendar.adding(Component::month, 3, after);
}

}  // namespace kelvo
