#include "platform/foundation/DateFormat.hpp"

#include <unicode/dtptngen.h>
#include <unicode/reldatefmt.h>
#include <unicode/smpdtfmt.h>

#include <array>
#include <cmath>
#include <mutex>
#include <utility>

#include "platform/foundation/Error.hpp"
#include "platform/foundation/internal/IcuCalendar.hpp"
#include "platform/foundation/internal/IcuSupport.hpp"

namespace kelvo {

struct DateFormatter::Engine {
  // ICU's formatters keep working state while they format.
  std::mutex mutex;
  std::unique_ptr<icu::DateFormat> formatter;  // null when both styles are none
};

namespace {

icu::DateFormat::EStyle icuStyle(DateFormatter::Style style) {
  switch (style) {
    case DateFormatter::Style::none:
      return icu::DateFormat::kNone;
    case DateFormatter::Style::shortStyle:
      return icu::DateFormat::kShort;
    case DateFormatter::Style::mediumStyle:
      return icu::DateFormat::kMedium;
    case DateFormatter::Style::longStyle:
      return icu::DateFormat::kLong;
    case DateFormatter::Style::fullStyle:
      return icu::DateFormat::kFull;
  }
  return icu::DateFormat::kNone;
}

// The locale with the calendar's type, so that patterns name eras and years as that calendar does.
icu::Locale icuLocale(const Locale& locale, const Calendar& calendar) {
  icu::Locale result = foundation_internal::toIcu(locale);
  if (calendar.identifier() != "gregorian") {
    UErrorCode status = U_ZERO_ERROR;
    result.setKeywordValue("calendar", calendar.identifier().c_str(), status);
  }
  return result;
}

std::shared_ptr<DateFormatter::Engine> engineFor(std::unique_ptr<icu::DateFormat> formatter,
                                                 const Calendar& calendar) {
  auto engine = std::make_shared<DateFormatter::Engine>();
  if (formatter) formatter->adoptCalendar(foundation_internal::openCalendar(calendar).release());
  engine->formatter = std::move(formatter);
  return engine;
}

std::unique_ptr<icu::DateFormat> withPattern(const icu::UnicodeString& pattern,
                                             const icu::Locale& locale) {
  UErrorCode status = U_ZERO_ERROR;
  auto formatter = std::make_unique<icu::SimpleDateFormat>(pattern, locale, status);
  if (U_FAILURE(status))
    fatal("ICU refuses the date pattern " + foundation_internal::toUtf8(pattern));
  return formatter;
}

}  // namespace

DateFormatter::DateFormatter(Style date, Style time, const Calendar& calendar,
                             const Locale& locale) {
  std::unique_ptr<icu::DateFormat> formatter;
  if (date != Style::none || time != Style::none) {
    formatter.reset(icu::DateFormat::createDateTimeInstance(icuStyle(date), icuStyle(time),
                                                            icuLocale(locale, calendar)));
    if (!formatter) fatal("ICU has no date formats");
  }
  engine_ = engineFor(std::move(formatter), calendar);
}

DateFormatter DateFormatter::fromTemplate(std::string_view skeleton, const Calendar& calendar,
                                          const Locale& locale) {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::DateTimePatternGenerator> generator(
      icu::DateTimePatternGenerator::createInstance(icuLocale(locale, calendar), status));
  if (U_FAILURE(status) || !generator) fatal("ICU has no date pattern data");
  const icu::UnicodeString pattern =
      generator->getBestPattern(foundation_internal::toUnicode(skeleton), status);
  if (U_FAILURE(status)) fatal("ICU refuses the date skeleton " + std::string(skeleton));
  return DateFormatter(engineFor(withPattern(pattern, icuLocale(locale, calendar)), calendar));
}

DateFormatter DateFormatter::fromPattern(std::string_view pattern, const Calendar& calendar,
                                         const Locale& locale) {
  return DateFormatter(engineFor(
      withPattern(foundation_internal::toUnicode(pattern), icuLocale(locale, calendar)), calendar));
}

std::string DateFormatter::format(Date date) const {
  if (!engine_->formatter || !std::isfinite(date.timeIntervalSinceReferenceDate())) return {};
  icu::UnicodeString text;
  {
    std::lock_guard lock(engine_->mutex);
    engine_->formatter->format(date.timeIntervalSince1970() * 1000.0, text);
  }
  return foundation_internal::toUtf8(text);
}

std::string DateFormatter::pattern() const {
  const auto* simple = dynamic_cast<const icu::SimpleDateFormat*>(engine_->formatter.get());
  if (simple == nullptr) return {};
  icu::UnicodeString pattern;
  simple->toPattern(pattern);
  return foundation_internal::toUtf8(pattern);
}

std::string formatRelative(Date date, Date now, const Calendar& calendar, const Locale& locale) {
  using Component = Calendar::Component;
  static constexpr std::array<std::pair<Component, URelativeDateTimeUnit>, 7> units{{
      {Component::year, UDAT_REL_UNIT_YEAR},
      {Component::month, UDAT_REL_UNIT_MONTH},
      {Component::weekOfYear, UDAT_REL_UNIT_WEEK},
      {Component::day, UDAT_REL_UNIT_DAY},
      {Component::hour, UDAT_REL_UNIT_HOUR},
      {Component::minute, UDAT_REL_UNIT_MINUTE},
      {Component::second, UDAT_REL_UNIT_SECOND},
  }};
  double amount = 0;
  URelativeDateTimeUnit unit = UDAT_REL_UNIT_SECOND;
  for (const auto& [component, relativeUnit] : units) {
    const auto difference = calendar.difference(component, now, date);
    if (difference && *difference != 0) {
      amount = static_cast<double>(*difference);
      unit = relativeUnit;
      break;
    }
  }
  UErrorCode status = U_ZERO_ERROR;
  icu::RelativeDateTimeFormatter formatter(foundation_internal::toIcu(locale), status);
  icu::UnicodeString text;
  if (U_SUCCESS(status)) formatter.formatNumeric(amount, unit, text, status);
  if (U_FAILURE(status)) return {};
  return foundation_internal::toUtf8(text);
}

}  // namespace kelvo
