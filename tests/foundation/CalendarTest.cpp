#include "platform/foundation/Calendar.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>

#include "platform/foundation/Clock.hpp"
#include "platform/foundation/DateFormat.hpp"
#include "platform/foundation/Error.hpp"
#include "platform/foundation/Locale.hpp"
#include "platform/foundation/TimeZone.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

using Component = Calendar::Component;

Calendar in(const char* zone, const char* locale = "en_US") {
  return Calendar(*TimeZone::named(zone), Locale(locale));
}

Date unix(double seconds) { return Date::fromUnixTime(seconds); }

TEST(CalendarTest, ComponentsAndWeekRules) {
  const Calendar utc = in("UTC");
  const Date leapDay = *utc.date(2024, 2, 29, 13, 45, 30);
  EXPECT_EQ(leapDay, unix(1'709'214'330));
  // Era, year, month, day, hour, minute, second, weekday, week of year and its year.
  EXPECT_EQ(utc.components(leapDay),
            (Calendar::Components{1, 2024, 2, 29, 13, 45, 30, 5, 9, 2024}));
  EXPECT_EQ(in("America/New_York").component(Component::hour, leapDay), 8);

  // 1 January 2021 was a Friday: week 1 with US rules, week 53 of 2020 with ISO rules.
  const Calendar german = in("UTC", "de_DE");
  const Date newYear = *utc.date(2021, 1, 1);
  EXPECT_EQ(utc.component(Component::weekOfYear, newYear), 1);
  EXPECT_EQ(german.component(Component::weekOfYear, newYear), 53);
  EXPECT_EQ(german.component(Component::yearForWeekOfYear, newYear), 2020);

  EXPECT_FALSE(utc.date(2023, 2, 29));
  EXPECT_FALSE(utc.date(2024, 1, 1, 24));
  EXPECT_EQ(utc.date(DateComponents{.year = 2025}), utc.date(2025, 1, 1));  // the rest defaults
  EXPECT_EQ(utc.component(Component::year, Date(std::nan(""))), 0);
}

TEST(CalendarTest, AddsWithoutWrappingAndClampsTheDay) {
  const Calendar utc = in("UTC");
  const Date january31 = *utc.date(2024, 1, 31, 10, 15);
  EXPECT_EQ(utc.adding(Component::month, 1, january31), utc.date(2024, 2, 29, 10, 15));
  EXPECT_EQ(utc.adding(Component::year, 1, *utc.date(2024, 2, 29)), utc.date(2025, 2, 28));
  EXPECT_EQ(utc.adding(Component::month, -1, *utc.date(2024, 3, 31)), utc.date(2024, 2, 29));
  EXPECT_EQ(utc.adding(Component::month, 13, january31), utc.date(2025, 2, 28, 10, 15));
  EXPECT_EQ(utc.adding(Component::weekOfYear, 1, *utc.date(2024, 12, 30)), utc.date(2025, 1, 6));
  EXPECT_EQ(utc.adding(Component::second, 1, january31 + 0.25), january31 + 1.25);
  EXPECT_FALSE(utc.adding(Component::day, std::numeric_limits<std::int64_t>::max(), january31));
  EXPECT_FALSE(utc.adding(Component::era, 1, january31));
  EXPECT_FALSE(utc.adding(Component::month, 1, Date(INFINITY)));
}

TEST(CalendarTest, DaylightSavingInNewYork) {
  const Calendar newYork = in("America/New_York");
  // Spring forward on 10 March 2024: the day has 23 hours.
  EXPECT_EQ(newYork.startOfDay(unix(1'710'086'400)), unix(1'710'046'800));
  EXPECT_EQ(newYork.adding(Component::day, 1, unix(1'710'003'600)), unix(1'710'086'400));
  EXPECT_EQ(newYork.difference(Component::day, unix(1'710'003'600), unix(1'710'086'400)), 1);
  EXPECT_EQ(newYork.difference(Component::hour, unix(1'710'003'600), unix(1'710'086'400)), 23);
  // 02:30 does not exist that day: adding a day moves it forward by the gap, setting the time
  // takes the next valid time.
  EXPECT_EQ(newYork.adding(Component::day, 1, unix(1'709'969'400)), unix(1'710'055'800));
  EXPECT_EQ(newYork.settingTime(2, 30, 0, unix(1'710'086'400)), unix(1'710'054'000));
  EXPECT_EQ(newYork.date(2024, 3, 10, 2, 30), unix(1'710'054'000));
  EXPECT_EQ(newYork.nextDate(*newYork.date(2024, 3, 9, 12), {.hour = 2, .minute = 30}),
            unix(1'710'054'000));
  // Fall back on 3 November 2024: 25 hours, and 01:30 happens twice.
  EXPECT_EQ(newYork.adding(Component::day, 1, unix(1'730'563'200)), unix(1'730'653'200));
  EXPECT_EQ(newYork.startOfDay(unix(1'730'653'200)), unix(1'730'606'400));
  const Date firstHalfPastOne = *newYork.settingTime(1, 30, 0, unix(1'730'653'200));
  EXPECT_EQ(firstHalfPastOne, unix(1'730'611'800));
  EXPECT_EQ(newYork.start(Component::hour, firstHalfPastOne + 3600), unix(1'730'613'600));
}

TEST(CalendarTest, DaylightSavingInApiaWhereADayWasSkipped) {
  // Samoa crossed the date line: 29 December 2011 was followed by 31 December.
  const Calendar apia = in("Pacific/Apia");
  EXPECT_FALSE(apia.date(2011, 12, 30));
  EXPECT_EQ(apia.startOfDay(unix(1'325'282'400)), unix(1'325'239'200));
  EXPECT_EQ(apia.adding(Component::day, 1, unix(1'325'196'000)), unix(1'325'282'400));
  EXPECT_EQ(apia.difference(Component::day, unix(1'325'152'800), unix(1'325'239'200)), 1);
  const Date friday = *apia.date(2011, 12, 23, 9);
  EXPECT_EQ(apia.nextDate(friday, {.weekday = 6, .hour = 9}), apia.date(2012, 1, 6, 9));
}

TEST(CalendarTest, DifferencesStartsAndMatches) {
  Calendar utc = in("UTC");
  const Date start = *utc.date(2024, 1, 15, 10);
  EXPECT_EQ(utc.difference(Component::day, start, *utc.date(2024, 1, 16, 9, 59)), 0);
  EXPECT_EQ(utc.difference(Component::day, start, *utc.date(2024, 1, 14, 10)), -1);
  EXPECT_EQ(utc.difference(Component::month, *utc.date(2024, 1, 31), *utc.date(2024, 2, 29)), 1);
  EXPECT_EQ(utc.difference(Component::year, *utc.date(2024, 2, 29), *utc.date(2025, 2, 28)), 1);
  EXPECT_EQ(utc.difference(Component::second, Date::distantPast(), Date::distantFuture()),
            126'227'980'800);
  EXPECT_FALSE(utc.difference(Component::day, start, Date(NAN)));

  const Date wednesday = *utc.date(2024, 7, 17, 15, 30, 12);
  EXPECT_EQ(utc.start(Component::weekOfYear, wednesday), utc.date(2024, 7, 14));
  EXPECT_FALSE(in("Asia/Tokyo").isSameDay(wednesday, *utc.date(2024, 7, 17)));
  utc.setFirstWeekday(2);
  EXPECT_EQ(utc.start(Component::weekOfYear, wednesday), utc.date(2024, 7, 15));
  EXPECT_FALSE(utc.isSame(Component::weekOfYear, wednesday, *utc.date(2024, 7, 14)));

  const Date monday = *utc.date(2024, 6, 3);
  const Calendar::Match mondayMorning{.weekday = 2, .hour = 9};
  EXPECT_EQ(utc.nextDate(monday + 8 * 3600 + 3599, mondayMorning), utc.date(2024, 6, 3, 9));
  EXPECT_EQ(utc.nextDate(monday + 9 * 3600, mondayMorning), utc.date(2024, 6, 10, 9));
  EXPECT_FALSE(utc.nextDate(monday, {.weekday = 8}));
  EXPECT_FALSE(utc.settingTime(9, 60, 0, monday));
}

TEST(CalendarTest, NamedCalendarsAndDayNumbers) {
  const TimeZone newYork = *TimeZone::named("America/New_York");
  const Calendar gregorian(newYork, Locale("fr_FR"));
  EXPECT_FALSE(Calendar::withIdentifier("", newYork));
  EXPECT_FALSE(Calendar::withIdentifier("Gregorian", newYork));
  EXPECT_FALSE(Calendar::withIdentifier("no-such-calendar", newYork));

  const auto japanese = Calendar::withIdentifier("japanese", newYork, Locale("en_US"));
  ASSERT_TRUE(japanese);
  const Date day = *gregorian.date(2025, 3, 12, 9);
  EXPECT_EQ(japanese->component(Component::year, day), 7);  // Reiwa 7
  EXPECT_EQ(japanese->startOfDay(day), gregorian.startOfDay(day));
  EXPECT_EQ(DateFormatter(DateFormatter::Style::mediumStyle, DateFormatter::Style::none, *japanese,
                          Locale("en_US"))
                .format(day),
            "Mar 12, 7 Reiwa");

  // Day numbers: 2001-01-01 in UTC is day 0; a New York evening is still the day before.
  const Calendar utc(TimeZone::utc());
  EXPECT_EQ(utc.dayNumber(Date(0)), 0);
  EXPECT_EQ(utc.dayNumber(Date(-1)), -1);
  EXPECT_EQ(gregorian.dayNumber(Date(3600)), -1);
  EXPECT_EQ(gregorian.dayNumber(*gregorian.date(2025, 3, 10)).value() -
                gregorian.dayNumber(*gregorian.date(2025, 3, 8, 23, 59)).value(),
            2);
  EXPECT_FALSE(utc.dayNumber(Date(std::numeric_limits<double>::infinity())));
}

// ICU reckons within about 5.8 million years of 1970 and, lenient, moves a moment past that onto
// the end of its range; its month and year sums wrap around far beyond it.
TEST(CalendarTest, NothingIsReckonedPastTheCalendarsReach) {
  const Calendar utc = in("UTC");
  const Date end = unix(183'882'168'921'600), start = unix(-184'303'902'528'000);
  for (const Date past : {end, start, Date(1e300), Date(NAN)}) {
    EXPECT_FALSE(utc.adding(Component::day, -1, past));
    EXPECT_FALSE(utc.difference(Component::month, Date(0), past));
  }
  EXPECT_FALSE(utc.adding(Component::weekOfYear, 1, end - 86'400));
  EXPECT_FALSE(utc.adding(Component::month, 100'000'000, Date(0)));  // ICU wrapped it
  // 21 September 5,838,270 BC to 19 December AD 5,828,963, past where ICU's search wraps.
  EXPECT_EQ(utc.difference(Component::month, start + 86'400, end - 86'400), 140'006'786);
  // Thirteen months a year, 28.1 days on average, are within the sums' check.
  const Calendar coptic = *Calendar::withIdentifier("coptic", TimeZone::utc());
  const Date far = coptic.adding(Component::month, 1'000'000, Date(0)).value_or(Date(0));
  EXPECT_EQ(coptic.difference(Component::month, Date(0), far), 1'000'000);
}

// ICU's Chinese and Dangi month sums stop moving once they pass 2^31 days, about 72.7 million
// months: every larger sum gives one day, within a tenth of the mean length.
TEST(CalendarTest, ASumThatStopsMovingGivesNoneAndNoCountIsBuiltOnIt) {
  const Date far = unix(-1.8e14), farAhead = unix(1.8e14);
  for (const char* identifier : {"chinese", "dangi"}) {
    SCOPED_TRACE(identifier);
    const Calendar lunisolar = *Calendar::withIdentifier(identifier, TimeZone::utc());
    EXPECT_FALSE(lunisolar.adding(Component::month, 72'800'000, far));
    EXPECT_FALSE(lunisolar.adding(Component::month, 78'394'809, far));
    EXPECT_FALSE(lunisolar.adding(Component::month, -78'394'809, farAhead));
    // Across 11.4 million years, about 141 million months.
    EXPECT_FALSE(lunisolar.difference(Component::month, far, farAhead));
    EXPECT_FALSE(lunisolar.difference(Component::month, farAhead, far));

    // Up to the stop each sum lies past the one before; from it, none is given.
    Date last = far;
    bool stopped = false;
    for (std::int64_t months = 72'720'600; months < 72'720'700; ++months) {
      const auto reached = lunisolar.adding(Component::month, months, far);
      if (!reached) {
        stopped = true;
        continue;
      }
      EXPECT_FALSE(stopped) << months;
      EXPECT_GT(*reached, last) << months;
      last = *reached;
    }
    EXPECT_TRUE(stopped);
    EXPECT_GT(last, far);
    // Short of the stop, sums and counts hold, and years keep moving across the reach.
    const Date ahead = *lunisolar.adding(Component::month, 70'000'000, far);
    EXPECT_EQ(lunisolar.difference(Component::month, far, ahead), 70'000'000);
    EXPECT_EQ(lunisolar.difference(Component::month, ahead, far), -70'000'000);
    const auto years = lunisolar.difference(Component::year, far, farAhead);
    ASSERT_TRUE(years);
    EXPECT_LE(*lunisolar.adding(Component::year, *years, far), farAhead);
    EXPECT_GT(*lunisolar.adding(Component::year, *years + 1, far), farAhead);
  }
}

// 71 million mean months are about 73.2 million lunar ones, past the stop at 72,720,652: the
// counts beyond it are unknown, not known to pass the end, so there is no count.
TEST(CalendarTest, ACountReachingPastWhereSumsStopGivesNone) {
  const Calendar chinese = *Calendar::withIdentifier("chinese", TimeZone::utc());
  const Date far = unix(-1.8e14);
  EXPECT_EQ(chinese.difference(Component::month, far, far + 71'000'000 * 2'629'746.0),
            std::nullopt);
}

TEST(TimeZoneTest, NamedZonesLocalesAndNames) {
  for (const char* unknown : {"Mars/Olympus_Mons", "Etc/Unknown", ""}) {
    EXPECT_FALSE(TimeZone::named(unknown)) << unknown;
  }
  const auto newYork = *TimeZone::named("America/New_York");
  EXPECT_EQ(newYork.secondsFromGMT(Date::fromUnixTime(1'700'000'000)), -5 * 3600);  // November
  EXPECT_EQ(newYork.secondsFromGMT(Date::fromUnixTime(1'690'000'000)), -4 * 3600);  // July
  EXPECT_EQ(newYork.localizedGenericName(Locale("en_US")), "Eastern Time");
  EXPECT_EQ(Locale("de_DE.UTF-8").identifier(), "de_DE");
  EXPECT_EQ(Locale("POSIX").identifier(), "en_US");
  EXPECT_EQ(TimeZone::named("Europe/Paris")->localizedGenericName(Locale("de_DE")),
            "Mitteleuropäische Zeit");
}

using Style = DateFormatter::Style;

TEST(DateFormatTest, StylesAndSkeletonsOfTheLocale) {
  const Calendar utc = in("UTC");
  const Date morning = *utc.date(2026, 12, 12, 9);  // a Saturday
  EXPECT_EQ(DateFormatter(Style::none, Style::shortStyle, utc).format(morning), "9:00\u202FAM");
  EXPECT_EQ(DateFormatter(Style::mediumStyle, Style::none, utc).format(morning), "Dec 12, 2026");
  EXPECT_EQ(DateFormatter::fromPattern("EEEE", utc).format(morning), "Saturday");
  EXPECT_EQ(DateFormatter(Style::none, Style::shortStyle, utc, Locale("de_DE")).format(morning),
            "09:00");
  // The calendar's zone decides: 14:00 UTC is 9:00 in New York.
  EXPECT_EQ(DateFormatter(Style::none, Style::shortStyle, in("America/New_York"))
                .format(morning + 5 * 3600),
            "9:00\u202FAM");
  EXPECT_EQ(DateFormatter(Style::mediumStyle, Style::none, utc).format(Date(NAN)), "");

  const auto month = DateFormatter::fromTemplate("MMMMyyyy", utc);
  EXPECT_EQ(month.format(morning), "December 2026");
  EXPECT_EQ(DateFormatter::fromTemplate("EEEdMMM", utc).format(morning), "Sat, Dec 12");
  EXPECT_EQ(DateFormatter::fromTemplate("EEEdMMM", utc, Locale("de_DE")).format(morning),
            "Sa., 12. Dez.");
}

TEST(DateFormatTest, RelativeDates) {
  const Calendar utc = in("UTC");
  const Date now = *utc.date(2026, 12, 12, 9);
  EXPECT_EQ(formatRelative(now + 2 * 86400, now, utc), "in 2 days");
  EXPECT_EQ(formatRelative(now - 3 * 3600 - 59, now, utc), "3 hours ago");
  EXPECT_EQ(formatRelative(now, now, utc), "in 0 seconds");
  EXPECT_EQ(formatRelative(now - 3 * 3600, now, utc, Locale("de_DE")), "vor 3 Stunden");
}

TEST(ClockTest, SystemAndManualClocks) {
  const Clock& system = Clock::system();
  const Date unixNow = Date::fromUnixTime(static_cast<double>(std::time(nullptr)));
  EXPECT_LT(std::abs(system.now() - unixNow), 5.0);
  const TimeInterval first = system.continuousNow();
  EXPECT_GT(first, 0.0);
  EXPECT_LE(first, system.continuousNow());

  ManualClock clock(Date(1000));
  clock.advance(12.5);
  EXPECT_EQ(clock.now(), Date(1012.5));
  clock.set(Date(0));  // the user sets the wall clock back
  EXPECT_EQ(clock.now(), Date(0));
  EXPECT_EQ(clock.continuousNow(), 12.5);
}

TEST(ClockDeathTest, ContinuousTimeNeverGoesBack) {
  ManualClock clock;
  EXPECT_DEATH(clock.advance(-1), "never goes back");
}

TEST(ErrorDeathTest, FatalWritesItsMessageAndAborts) {
  EXPECT_DEATH(fatal("KelvoModel has no entity named card"), "KelvoModel has no entity named card");
}

}  // namespace
}  // namespace kelvo
