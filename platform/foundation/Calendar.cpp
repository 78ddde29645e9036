#include "platform/foundation/Calendar.hpp"

#include <unicode/calendar.h>
#include <unicode/gregocal.h>
#include <unicode/timezone.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/foundation/Error.hpp"
#include "platform/foundation/internal/IcuCalendar.hpp"
#include "platform/foundation/internal/IcuSupport.hpp"

namespace kelvo {
namespace {

using Component = Calendar::Component;

UDate toUDate(Date date) { return date.timeIntervalSince1970() * 1000.0; }
Date fromUDate(UDate millis) { return Date::fromUnixTime(millis / 1000.0); }

// ICU reckons between two ends about 5.8 million years either side of 1970 (its Julian days
// ±0x7F000000, in milliseconds since 1970). A lenient ICU calendar quietly moves a moment past
// them onto the nearer end, and its field arithmetic wraps around far beyond them, so a moment is
// reckoned with only strictly between them: an answer on an end may be a moved one.
constexpr UDate earliestMillis = -184'303'902'528'000'000.0;
constexpr UDate latestMillis = 183'882'168'921'600'000.0;

bool withinReach(UDate millis) { return millis > earliestMillis && millis < latestMillis; }
bool withinReach(Date date) { return withinReach(toUDate(date)); }

// The mean length of a unit in seconds: the Gregorian one's for months and years. Every ICU
// calendar's months and years come within a tenth of it (the shortest, a 13-month year's, is
// 28.1 days), so a sum of many of them does too.
double meanSeconds(Component component) {
  switch (component) {
    case Component::day:
    case Component::weekday:
      return 86'400;
    case Component::weekOfYear:
      return 604'800;
    case Component::month:
      return 2'629'746;
    case Component::year:
    case Component::yearForWeekOfYear:
      return 31'556'952;
    default:
      return 0;
  }
}
constexpr double meanTolerance = 0.1;
// Clamped month ends, a 5-day thirteenth month, daylight saving, a skipped day and the ten days
// of the Gregorian reform, on top of the tenth.
constexpr double meanSlackSeconds = 62 * 86'400.0;
// Beyond 2^30 days (2.9 million years), half the span that ICU's int32 day counts hold, a month or
// year sum is checked to move on by one more unit.
constexpr double stallCheckSeconds = 1'073'741'824 * 86'400.0;

// Days and weeks ICU adds in milliseconds, clamping the sum to its ends; months and years it
// adds to the fields, where int32 arithmetic wraps far past them.
bool addsElapsedTime(Component component) {
  return component == Component::day || component == Component::weekday ||
         component == Component::weekOfYear;
}

// The ICU field behind a component; none for those handled without one.
std::optional<UCalendarDateFields> fieldOf(Component component) {
  switch (component) {
    case Component::era:
      return UCAL_ERA;
    case Component::year:
      return UCAL_YEAR;
    case Component::month:
      return UCAL_MONTH;
    case Component::day:
      return UCAL_DATE;
    case Component::hour:
      return UCAL_HOUR_OF_DAY;
    case Component::minute:
      return UCAL_MINUTE;
    case Component::second:
      return UCAL_SECOND;
    case Component::weekday:
      return UCAL_DAY_OF_WEEK;
    case Component::weekOfYear:
      return UCAL_WEEK_OF_YEAR;
    case Component::yearForWeekOfYear:
      return UCAL_YEAR_WOY;
  }
  return std::nullopt;
}

// Seconds in one hour, minute or second; 0 for calendar units.
double elapsedSeconds(Component component) {
  switch (component) {
    case Component::hour:
      return 3600;
    case Component::minute:
      return 60;
    case Component::second:
      return 1;
    default:
      return 0;
  }
}

std::optional<Date> timeOf(icu::Calendar& calendar) {
  UErrorCode status = U_ZERO_ERROR;
  const UDate millis = calendar.getTime(status);
  if (U_FAILURE(status) || !withinReach(millis)) return std::nullopt;
  return fromUDate(millis);
}

void clearTimeOfDay(icu::Calendar& calendar) {
  calendar.set(UCAL_HOUR_OF_DAY, 0);
  calendar.set(UCAL_MINUTE, 0);
  calendar.set(UCAL_SECOND, 0);
  calendar.set(UCAL_MILLISECOND, 0);
}

bool inRange(int value, int low, int high) { return value >= low && value <= high; }

}  // namespace

struct Calendar::Engine {
  std::unique_ptr<icu::Calendar> prototype;

  // A copy of the prototype at `date`. Setting fields resolves a skipped wall time by
  // `skipped` and a repeated one to its first occurrence. Null when ICU cannot hold the date.
  std::unique_ptr<icu::Calendar> at(Date date, UCalendarWallTimeOption skipped) const {
    if (!withinReach(date)) return nullptr;
    std::unique_ptr<icu::Calendar> calendar(prototype->clone());
    if (!calendar) return nullptr;
    calendar->setSkippedWallTimeOption(skipped);
    calendar->setRepeatedWallTimeOption(UCAL_WALLTIME_FIRST);
    UErrorCode status = U_ZERO_ERROR;
    calendar->setTime(toUDate(date), status);
    if (U_FAILURE(status)) return nullptr;
    return calendar;
  }

  // ICU's sum of `amount` in `field` from `date`, in milliseconds since 1970, unchecked.
  std::optional<UDate> sum(UCalendarDateFields field, std::int64_t amount, Date date) const {
    // A wall time skipped on the day reached takes the offset from before the change, which
    // moves it forward by the gap (02:30 becomes 03:30); ICU calls that "last".
    const auto calendar = at(date, UCAL_WALLTIME_LAST);
    if (!calendar) return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    calendar->add(field, static_cast<int32_t>(amount), status);
    const UDate millis = calendar->getTime(status);
    if (U_FAILURE(status)) return std::nullopt;
    return millis;
  }
};

Calendar Calendar::current() { return Calendar(TimeZone::current(), Locale::current()); }

Calendar::Calendar(const TimeZone& zone, const Locale& locale) : zone_(zone), locale_(locale) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Calendar> local(
      icu::Calendar::createInstance(foundation_internal::toIcu(locale), status));
  if (U_SUCCESS(status) && local) {
    firstWeekday_ = local->getFirstDayOfWeek(status);
    minimumDaysInFirstWeek_ = local->getMinimalDaysInFirstWeek();
  }
  if (U_FAILURE(status)) {
    firstWeekday_ = 1;
    minimumDaysInFirstWeek_ = 1;
  }
  rebuild();
}

std::optional<Calendar> Calendar::withIdentifier(std::string_view identifier, const TimeZone& zone,
                                                 const Locale& locale) {
  if (identifier.empty() || identifier.size() > 32) return std::nullopt;
  for (const char c : identifier) {
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-')) return std::nullopt;
  }
  // ICU falls back to Gregorian for a type it does not know; only an exact answer counts.
  UErrorCode status = U_ZERO_ERROR;
  const std::string localeID = "@calendar=" + std::string(identifier);
  std::unique_ptr<icu::Calendar> probe(
      icu::Calendar::createInstance(icu::Locale(localeID.c_str()), status));
  if (U_FAILURE(status) || !probe || probe->getType() != identifier) return std::nullopt;
  Calendar calendar(zone, locale);
  calendar.identifier_ = std::string(identifier);
  calendar.rebuild();
  return calendar;
}

void Calendar::setTimeZone(const TimeZone& zone) {
  zone_ = zone;
  rebuild();
}

void Calendar::setFirstWeekday(int weekday) {
  firstWeekday_ = std::clamp(weekday, 1, 7);
  rebuild();
}

void Calendar::setMinimumDaysInFirstWeek(int days) {
  minimumDaysInFirstWeek_ = std::clamp(days, 1, 7);
  rebuild();
}

void Calendar::rebuild() {
  auto engine = std::make_shared<Engine>();
  engine->prototype = foundation_internal::openCalendar(*this);
  engine->prototype->setLenient(true);
  engine_ = std::move(engine);
}

int Calendar::component(Component component, Date date) const {
  const auto calendar = engine_->at(date, UCAL_WALLTIME_FIRST);
  if (!calendar) return 0;
  UErrorCode status = U_ZERO_ERROR;
  const int value = calendar->get(*fieldOf(component), status);
  if (U_FAILURE(status)) return 0;
  return component == Component::month ? value + 1 : value;
}

Calendar::Components Calendar::components(Date date) const {
  Components result;
  const auto calendar = engine_->at(date, UCAL_WALLTIME_FIRST);
  if (!calendar) return result;
  UErrorCode status = U_ZERO_ERROR;
  result.era = calendar->get(UCAL_ERA, status);
  result.year = calendar->get(UCAL_YEAR, status);
  result.month = calendar->get(UCAL_MONTH, status) + 1;
  result.day = calendar->get(UCAL_DATE, status);
  result.hour = calendar->get(UCAL_HOUR_OF_DAY, status);
  result.minute = calendar->get(UCAL_MINUTE, status);
  result.second = calendar->get(UCAL_SECOND, status);
  result.weekday = calendar->get(UCAL_DAY_OF_WEEK, status);
  result.weekOfYear = calendar->get(UCAL_WEEK_OF_YEAR, status);
  result.yearForWeekOfYear = calendar->get(UCAL_YEAR_WOY, status);
  if (U_FAILURE(status)) return Components{};
  return result;
}

std::optional<Date> Calendar::date(int year, int month, int day, int hour, int minute,
                                   int second) const {
  if (year < 1 || !inRange(month, 1, 12) || !inRange(day, 1, 31) || !inRange(hour, 0, 23) ||
      !inRange(minute, 0, 59) || !inRange(second, 0, 59)) {
    return std::nullopt;
  }
  const auto calendar = engine_->at(Date(), UCAL_WALLTIME_NEXT_VALID);
  calendar->clear();
  calendar->set(year, month - 1, day, hour, minute, second);
  const auto result = timeOf(*calendar);
  if (!result) return std::nullopt;
  // The calendar is lenient, so 30 February would become 1 March: refuse it instead.
  const Components reached = components(*result);
  if (reached.year != year || reached.month != month || reached.day != day) return std::nullopt;
  return result;
}

std::optional<Date> Calendar::date(const DateComponents& components) const {
  return date(components.year.value_or(1), components.month.value_or(1), components.day.value_or(1),
              components.hour.value_or(0), components.minute.value_or(0),
              components.second.value_or(0));
}

Date Calendar::startOfDay(Date date) const { return start(Component::day, date).value_or(date); }

std::optional<double> Calendar::offsetSeconds(Date date) const {
  const double seconds = date.timeIntervalSinceReferenceDate();
  // Beyond a few hundred million years ICU's offsets and the day count stop meaning anything.
  if (!std::isfinite(seconds) || std::abs(seconds) > 1e16) return std::nullopt;
  int32_t raw = 0;
  int32_t dst = 0;
  UErrorCode status = U_ZERO_ERROR;
  engine_->prototype->getTimeZone().getOffset(toUDate(date), false, raw, dst, status);
  if (U_FAILURE(status)) return std::nullopt;
  return (raw + dst) / 1000.0;
}

std::optional<std::int64_t> Calendar::dayNumber(Date date) const {
  const auto offset = offsetSeconds(date);
  if (!offset) return std::nullopt;
  const double local = date.timeIntervalSinceReferenceDate() + *offset;
  return static_cast<std::int64_t>(std::floor(local / 86'400.0));
}

std::optional<std::int64_t> Calendar::daysBetween(Date from, Date to) const {
  const auto fromOffset = offsetSeconds(from);
  const auto toOffset = offsetSeconds(to);
  if (!fromOffset || !toOffset) return std::nullopt;
  // Local dates count a skipped date as a day; the calendar's own difference does not.
  if (std::abs(*toOffset - *fromOffset) >= 86'400) {
    return difference(Component::day, startOfDay(from), startOfDay(to));
  }
  return *dayNumber(to) - *dayNumber(from);
}

std::optional<Date> Calendar::start(Component unit, Date date) const {
  const auto calendar = engine_->at(date, UCAL_WALLTIME_NEXT_VALID);
  if (!calendar) return std::nullopt;
  UErrorCode status = U_ZERO_ERROR;
  // Within an hour, count back in elapsed time: a repeated hour must keep its own offset.
  const double whole = std::floor(date.timeIntervalSinceReferenceDate());
  const int minute = calendar->get(UCAL_MINUTE, status);
  const int second = calendar->get(UCAL_SECOND, status);
  if (U_FAILURE(status)) return std::nullopt;
  switch (unit) {
    case Component::second:
      return Date(whole);
    case Component::minute:
      return Date(whole - second);
    case Component::hour:
      return Date(whole - second - 60.0 * minute);
    case Component::day:
      break;
    case Component::weekOfYear: {
      const int weekday = calendar->get(UCAL_DAY_OF_WEEK, status);
      calendar->add(UCAL_DATE, -((weekday - firstWeekday_ + 7) % 7), status);
      break;
    }
    case Component::month:
      calendar->set(UCAL_DATE, 1);
      break;
    case Component::year:
      calendar->set(UCAL_MONTH, UCAL_JANUARY);
      calendar->set(UCAL_DATE, 1);
      break;
    default:
      return std::nullopt;
  }
  if (U_FAILURE(status)) return std::nullopt;
  clearTimeOfDay(*calendar);
  return timeOf(*calendar);
}

bool Calendar::isSame(Component unit, Date a, Date b) const {
  switch (unit) {
    case Component::era:
      return component(unit, a) == component(unit, b);
    case Component::year:
    case Component::yearForWeekOfYear:
      return component(Component::era, a) == component(Component::era, b) &&
             component(unit, a) == component(unit, b);
    case Component::weekday:
      unit = Component::day;
      break;
    default:
      break;
  }
  const auto startA = start(unit, a);
  return startA && startA == start(unit, b);
}

std::optional<Date> Calendar::adding(Component component, std::int64_t amount, Date date) const {
  if (component == Component::era) return std::nullopt;
  if (const double unit = elapsedSeconds(component); unit > 0) {
    const Date result = date + static_cast<double>(amount) * unit;
    if (!std::isfinite(result.timeIntervalSinceReferenceDate())) return std::nullopt;
    return result;
  }
  return sum(component, amount, date).date;
}

Calendar::Sum Calendar::sum(Component unit, std::int64_t amount, Date date) const {
  if (amount < std::numeric_limits<int32_t>::min() ||
      amount > std::numeric_limits<int32_t>::max()) {
    return {};
  }
  const double mean = meanSeconds(unit) * static_cast<double>(amount);
  if (addsElapsedTime(unit)) {
    // Past an end ICU would give the end itself, moved by the wall-time correction.
    if (!withinReach(toUDate(date + mean))) return {std::nullopt, true};
  } else if (std::abs(mean) * (1 - meanTolerance) > (latestMillis - earliestMillis) / 1000) {
    // Past both ends, whatever the calendar: kept from ICU's int32 fields.
    return {std::nullopt, true};
  }
  const auto reached = engine_->sum(*fieldOf(unit), amount, date);
  if (!reached) return {};
  if (!withinReach(*reached)) {
    // Pinned to the end it travelled towards; a sum that wrapped lands elsewhere.
    return {std::nullopt, amount > 0 ? *reached >= latestMillis : *reached <= earliestMillis};
  }
  const Date result = fromUDate(*reached);
  // A sum that wrapped around lands far from where the mean length puts it.
  if (std::abs(result - (date + mean)) > std::abs(mean) * meanTolerance + meanSlackSeconds) {
    return {};
  }
  // Far enough out, a sum can stop moving instead: once past 2^31 days the Chinese calendar's
  // month sums all give one day, within the mean's tenth. One more unit must still move it on.
  if (std::abs(mean) > stallCheckSeconds && !addsElapsedTime(unit)) {
    const auto further = engine_->sum(*fieldOf(unit), amount > 0 ? amount + 1 : amount - 1, date);
    if (!further || (amount > 0 ? *further <= *reached : *further >= *reached)) return {};
  }
  return {result};
}

std::optional<std::int64_t> Calendar::difference(Component unit, Date from, Date to) const {
  if (const double seconds = elapsedSeconds(unit); seconds > 0) {
    const double count = std::trunc((to - from) / seconds);
    if (!std::isfinite(count) || std::abs(count) > 9e18) return std::nullopt;
    return static_cast<std::int64_t>(count);
  }
  if (unit == Component::era || unit == Component::yearForWeekOfYear) return std::nullopt;
  if (unit == Component::weekday) unit = Component::day;
  if (!withinReach(from) || !withinReach(to)) return std::nullopt;
  // ICU's search adds up to about twice the count, which from far enough out passes an end.
  if (!withinReach(from + 3 * (to - from))) return countFar(unit, from, to);
  const auto calendar = engine_->at(from, UCAL_WALLTIME_LAST);
  if (!calendar) return std::nullopt;
  UErrorCode status = U_ZERO_ERROR;
  const int32_t count = calendar->fieldDifference(toUDate(to), *fieldOf(unit), status);
  if (U_FAILURE(status)) return std::nullopt;
  return count;
}

// The same count found with checked sums, which stop at the ends instead of wrapping: a bracket
// around the mean length's guess (within a tenth, so a few steps off), then halved.
std::optional<std::int64_t> Calendar::countFar(Component unit, Date from, Date to) const {
  const std::int64_t sign = to < from ? -1 : 1;
  constexpr std::int64_t most = std::numeric_limits<int32_t>::max();
  // A count without a sum is known not to fit only past the reach, or so far that the mean
  // length puts it past `to` whatever the calendar; any other leaves the count unknown.
  bool unknown = false;
  const auto fits = [&](std::int64_t count) {
    if (count > most) return false;
    const Sum reached = sum(unit, sign * count, from);
    if (reached.date) return sign > 0 ? *reached.date <= to : *reached.date >= to;
    const double least =
        meanSeconds(unit) * static_cast<double>(count) * (1 - meanTolerance) - meanSlackSeconds;
    unknown = unknown || !(reached.pastReach || least > std::abs(to - from));
    return false;
  };
  const std::int64_t guess = std::llround(std::abs(to - from) / meanSeconds(unit));
  std::int64_t low = guess;   // fits
  std::int64_t high = guess;  // does not
  std::int64_t step = 1;
  if (fits(guess)) {
    while (fits(high = low + step)) {
      low = high;
      step *= 2;
    }
  } else {
    while ((low = high - step) > 0 && !fits(low)) {
      high = low;
      step *= 2;
    }
    low = std::max<std::int64_t>(low, 0);  // 0 units reach `from`, which fits
  }
  while (high - low > 1) {
    const std::int64_t middle = low + (high - low) / 2;
    (fits(middle) ? low : high) = middle;
  }
  // Beyond that many units, `adding` gives none whether or not they pass `to`.
  if (unknown || low >= most) return std::nullopt;
  return sign * low;
}

std::optional<Date> Calendar::settingTime(int hour, int minute, int second, Date day) const {
  if (!inRange(hour, 0, 23) || !inRange(minute, 0, 59) || !inRange(second, 0, 59)) {
    return std::nullopt;
  }
  const auto calendar = engine_->at(day, UCAL_WALLTIME_NEXT_VALID);
  if (!calendar) return std::nullopt;
  calendar->set(UCAL_HOUR_OF_DAY, hour);
  calendar->set(UCAL_MINUTE, minute);
  calendar->set(UCAL_SECOND, second);
  calendar->set(UCAL_MILLISECOND, 0);
  return timeOf(*calendar);
}

std::optional<Date> Calendar::nextDate(Date after, const Match& match) const {
  if (match.weekday && !inRange(*match.weekday, 1, 7)) return std::nullopt;
  const auto dayStart = start(Component::day, after);
  if (!dayStart) return std::nullopt;
  // Two weeks cover any weekday even where a whole day was skipped (Samoa, December 2011).
  for (int offset = 0; offset < 15; ++offset) {
    const auto day = adding(Component::day, offset, *dayStart);
    if (!day) return std::nullopt;
    if (match.weekday && component(Component::weekday, *day) != *match.weekday) continue;
    const auto candidate = settingTime(match.hour, match.minute, match.second, *day);
    if (!candidate) return std::nullopt;
    if (*candidate > after) return candidate;
  }
  return std::nullopt;
}

}  // namespace kelvo

std::unique_ptr<icu::Calendar> kelvo::foundation_internal::openCalendar(const Calendar& calendar) {
  UErrorCode status = U_ZERO_ERROR;
  icu::TimeZone* zone = icu::TimeZone::createTimeZone(toUnicode(calendar.timeZone().identifier()));
  std::unique_ptr<icu::Calendar> result;
  if (calendar.identifier() == "gregorian") {
    result = std::make_unique<icu::GregorianCalendar>(zone, icu::Locale::getRoot(), status);
  } else {
    const std::string localeID = "@calendar=" + calendar.identifier();
    result.reset(icu::Calendar::createInstance(zone, icu::Locale(localeID.c_str()), status));
  }
  if (U_FAILURE(status) || !result) fatal("ICU cannot open the calendar " + calendar.identifier());
  result->setFirstDayOfWeek(static_cast<UCalendarDaysOfWeek>(calendar.firstWeekday()));
  result->setMinimalDaysInFirstWeek(static_cast<uint8_t>(calendar.minimumDaysInFirstWeek()));
  return result;
}
