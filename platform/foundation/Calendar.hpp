#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Date.hpp"
#include "platform/foundation/DateComponents.hpp"
#include "platform/foundation/Locale.hpp"
#include "platform/foundation/TimeZone.hpp"

namespace kelvo {

/// A calendar reckoning in one time zone with its own week rules and locale: the Gregorian one
/// (with the Julian one before October 1582) unless made with another ICU identifier
/// ("buddhist", "japanese"). A plain value: copies are independent, and every operation is const
/// and safe from any thread.
///
/// The calendar reaches about 5.8 million years either side of 1970 (20 September 5,838,270 BC
/// to 19 December AD 5,828,963, in UTC). A moment past that, or one that is not finite, gives no
/// value (and components of 0), and so does an operation whose answer would lie past it: nothing is
/// moved onto the end of the range or wrapped around it.
///
///     auto calendar = Calendar(*TimeZone::named("Europe/Paris"), Locale("fr_FR"));
///     Date midnight = calendar.startOfDay(now);
class Calendar {
 public:
  enum class Component {
    era,
    year,
    month,  // 1 to 12
    day,    // day of the month
    hour,   // 0 to 23
    minute,
    second,
    weekday,  // 1 (Sunday) to 7 (Saturday), whatever the first weekday
    weekOfYear,
    yearForWeekOfYear,
  };

  /// Every component of one moment.
  struct Components {
    int era = 0;
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int weekday = 0;
    int weekOfYear = 0;
    int yearForWeekOfYear = 0;
    friend bool operator==(const Components&, const Components&) = default;
  };

  /// A time of day, on a given weekday or on any day.
  struct Match {
    std::optional<int> weekday = std::nullopt;  // 1 (Sunday) to 7 (Saturday)
    int hour = 0;
    int minute = 0;
    int second = 0;
  };

  /// The calendar of the current time zone, with the current locale's week rules.
  static Calendar current();
  /// A Gregorian calendar in `zone` with the locale and week rules (first weekday, minimum
  /// days) of `locale`.
  explicit Calendar(const TimeZone& zone, const Locale& locale = Locale::current());
  /// The calendar of an ICU identifier ("gregorian", "buddhist", "japanese"); none for one ICU
  /// does not know.
  static std::optional<Calendar> withIdentifier(std::string_view identifier, const TimeZone& zone,
                                                const Locale& locale = Locale::current());

  /// The ICU identifier: "gregorian" unless made with another.
  const std::string& identifier() const { return identifier_; }
  /// The locale whose texts formatters of this calendar use.
  const Locale& locale() const { return locale_; }

  const TimeZone& timeZone() const { return zone_; }
  void setTimeZone(const TimeZone& zone);
  /// 1 (Sunday) to 7 (Saturday); other values are clamped into that range.
  int firstWeekday() const { return firstWeekday_; }
  void setFirstWeekday(int weekday);
  /// How many days of a new year the first week must hold, 1 to 7 (clamped).
  int minimumDaysInFirstWeek() const { return minimumDaysInFirstWeek_; }
  void setMinimumDaysInFirstWeek(int days);

  int component(Component component, Date date) const;
  Components components(Date date) const;

  /// The moment of a wall-clock time; none for a date that does not exist (30 February). A
  /// time skipped by a daylight-saving change moves to the next valid time.
  std::optional<Date> date(int year, int month, int day, int hour = 0, int minute = 0,
                           int second = 0) const;

  /// The moment of the components, absent ones taken as the start of their range (year 1,
  /// January, the 1st, 00:00:00); none for a date that does not exist (30 February).
  std::optional<Date> date(const DateComponents& components) const;
  /// The first moment of the day that holds `date` (later than midnight when midnight was
  /// skipped).
  Date startOfDay(Date date) const;
  /// The number of the day that holds `date`, counted in the calendar's time zone from
  /// 2001-01-01 (negative before). Two moments lie on the same day exactly when their numbers
  /// are equal, and the difference of two numbers is the count of calendar days between them,
  /// without building a date. None for a moment the calendar cannot hold.
  std::optional<std::int64_t> dayNumber(Date date) const;
  /// The calendar days from the day of `from` to the day of `to`: the field difference between
  /// the two day starts (negative backwards), worked out from day numbers unless the zone's
  /// offset moved by a whole day between them (Samoa skipped 30 December 2011).
  std::optional<std::int64_t> daysBetween(Date from, Date to) const;
  /// The first moment of the day, week, month, year, hour, minute or second holding `date`.
  std::optional<Date> start(Component unit, Date date) const;
  /// Whether both dates fall in the same `unit` (week: the same week of the week-based year).
  bool isSame(Component unit, Date a, Date b) const;
  bool isSameDay(Date a, Date b) const { return isSame(Component::day, a, b); }

  /// Adds `amount` of one component without wrapping: overflow carries into larger components
  /// and a day of month that does not exist is clamped (31 January + 1 month = 29 February
  /// 2024). Days, weeks, months and years keep the wall-clock time; a time skipped by a
  /// daylight-saving change moves forward by the length of the gap. None for a month or year sum
  /// ICU cannot make: one that wraps around, or that stops moving (the Chinese and Dangi month
  /// sums past about 72.7 million months, 2^31 days, all give one day).
  std::optional<Date> adding(Component component, std::int64_t amount, Date date) const;

  /// The whole number of `unit`s from `from` to `to`, truncated towards zero (negative when
  /// `to` is earlier). Hours and smaller count elapsed time; days and larger count calendar
  /// units, so a day across a daylight-saving change is one day. None when a moment lies past
  /// the calendar's reach or the count passes 2^31 - 1 (days across 5.8 million years), and
  /// when finding it needs a sum `adding` cannot make (Chinese months across 5.9 million years).
  std::optional<std::int64_t> difference(Component unit, Date from, Date to) const;

  /// The given time on the day of `day`: a time skipped by a daylight-saving change moves to
  /// the next valid time, and a time that occurs twice takes its first occurrence.
  std::optional<Date> settingTime(int hour, int minute, int second, Date day) const;

  /// The first moment strictly after `after` that matches, with the policies of `settingTime`.
  std::optional<Date> nextDate(Date after, const Match& match) const;

  friend bool operator==(const Calendar& a, const Calendar& b) {
    return a.zone_ == b.zone_ && a.identifier_ == b.identifier_ && a.locale_ == b.locale_ &&
           a.firstWeekday_ == b.firstWeekday_ &&
           a.minimumDaysInFirstWeek_ == b.minimumDaysInFirstWeek_;
  }

 private:
  struct Engine;
  void rebuild();
  // The zone's offset from UTC at `date`, daylight saving included.
  std::optional<double> offsetSeconds(Date date) const;
  // A sum of days or larger units. None past the calendar's reach (`pastReach`), or when ICU
  // cannot make it: wrapped around, or stopped moving.
  struct Sum {
    std::optional<Date> date;
    bool pastReach = false;
  };
  Sum sum(Component unit, std::int64_t amount, Date date) const;
  // `difference` in days and larger units across millions of years, without ICU's search.
  std::optional<std::int64_t> countFar(Component unit, Date from, Date to) const;

  TimeZone zone_;
  std::string identifier_ = "gregorian";
  Locale locale_;
  int firstWeekday_ = 1;
  int minimumDaysInFirstWeek_ = 1;
  std::shared_ptr<const Engine> engine_;
};

}  // namespace kelvo
