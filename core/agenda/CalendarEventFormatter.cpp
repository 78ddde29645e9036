#include "core/agenda/CalendarEventFormatter.hpp"

#include <utility>
#include <vector>

#include "core/agenda/KeptItemLimits.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

using Style = DateFormatter::Style;

constexpr std::string_view allDayPrefix = "All day · ";
constexpr std::string_view rangeSeparator = " – ";

std::optional<std::string> trimmedField(const std::optional<std::string>& field) {
  if (!field) return std::nullopt;
  std::string value = text::trimmed(*field);
  if (value.empty()) return std::nullopt;
  return value;
}

}  // namespace

CalendarEventFormatter::CalendarEventFormatter(const Calendar& calendar)
    : calendar_(calendar),
      locale_(calendar.locale()),
      time_(Style::none, Style::shortStyle, calendar, locale_),
      dayInYear_(DateFormatter::fromTemplate("EEEdMMM", calendar, locale_)),
      dayWithYear_(DateFormatter::fromTemplate("EEEdMMMy", calendar, locale_)),
      dayOnly_(DateFormatter::fromTemplate("EEEd", calendar, locale_)) {}

std::string CalendarEventFormatter::day(Date date, Date now) const {
  if (calendar_.isSame(Calendar::Component::year, date, now)) return dayInYear_.format(date);
  return dayWithYear_.format(date);
}

std::string CalendarEventFormatter::dayRange(Date from, Date to, Date now) const {
  if (calendar_.isSame(Calendar::Component::month, from, to)) {
    return dayOnly_.format(from) + std::string(rangeSeparator) + day(to, now);
  }
  return day(from, now) + std::string(rangeSeparator) + day(to, now);
}

std::string CalendarEventFormatter::dayTitle(Date date, Date now) const {
  if (calendar_.isSameDay(date, now)) return "Today";
  const auto tomorrow = calendar_.adding(Calendar::Component::day, 1, calendar_.startOfDay(now));
  if (tomorrow && calendar_.isSameDay(date, *tomorrow)) return "Tomorrow";
  return day(date, now);
}

std::string CalendarEventFormatter::when(const CalendarEventSnapshot& event, Date now) const {
  const Date start = event.start();
  const Date end = event.displayEnd(calendar_);
  const bool spans = event.spansMoreThanOneDay(calendar_);
  if (event.isAllDay()) {
    return std::string(allDayPrefix) + (spans ? dayRange(start, end, now) : day(start, now));
  }
  if (spans) {
    return day(start, now) + " " + time_.format(start) + std::string(rangeSeparator) +
           day(end, now) + " " + time_.format(end);
  }
  std::string text = day(start, now) + ", " + time_.format(start);
  if (event.duration() > 0) text += std::string(rangeSeparator) + time_.format(end);
  return text;
}

std::optional<std::string> CalendarEventFormatter::timeZoneNote(
    const CalendarEventSnapshot& event) const {
  if (event.isAllDay()) return std::nullopt;
  const auto zone = event.differingTimeZone(calendar_.timeZone());
  if (!zone) return std::nullopt;
  Calendar eventCalendar = calendar_;
  eventCalendar.setTimeZone(*zone);
  const DateFormatter clock(Style::none, Style::shortStyle, eventCalendar, locale_);
  return "Set for " + clock.format(event.start()) + " " + zone->localizedGenericName(locale_);
}

std::optional<std::string> CalendarEventFormatter::urgency(const CalendarEventSnapshot& event,
                                                           Date now) const {
  if (event.hasEnded(now)) return std::nullopt;
  if (event.isUnderway(now)) {
    if (event.isAllDay()) return "Today";
    return "On now, until " + time_.format(event.end());
  }
  const std::int64_t minutes = event.minutesUntilStart(now).value_or(0);
  if (minutes == 0) return "Starting now";
  if (minutes == 1) return "In 1 minute";
  if (minutes <= 59) return "In " + std::to_string(minutes) + " minutes";
  return std::nullopt;
}

std::string CalendarEventFormatter::cardTitle(const CalendarEventSnapshot& event) const {
  return KeptItemLimits::cardTitle(event.displayTitle());
}

std::string CalendarEventFormatter::cardPayload(const CalendarEventSnapshot& event,
                                                Date now) const {
  std::vector<std::string> lines{event.displayTitle(), when(event, now)};
  if (auto note = timeZoneNote(event)) lines.push_back(std::move(*note));
  if (auto location = trimmedField(event.location())) lines.push_back(std::move(*location));
  if (auto attendees = event.attendeeSummary()) lines.push_back("With " + *attendees);
  if (event.isRecurring()) lines.emplace_back("Repeats");
  if (auto calendar = trimmedField(event.calendarTitle())) {
    lines.push_back("Calendar: " + *calendar);
  }
  std::string payload = text::joined(lines, "\n");
  if (auto notes = event.trimmedNotes()) payload += "\n\n" + *notes;
  return KeptItemLimits::payload(std::move(payload));
}

std::string CalendarEventFormatter::cardPreview(const CalendarEventSnapshot& event,
                                                Date now) const {
  std::string preview = when(event, now);
  if (auto location = trimmedField(event.location())) preview += " · " + *location;
  return preview;
}

std::string CalendarEventFormatter::accessibilityLabel(const CalendarEventSnapshot& event,
                                                       Date now) const {
  std::vector<std::string> parts{event.displayTitle(), when(event, now)};
  if (auto line = urgency(event, now)) parts.push_back(std::move(*line));
  if (auto location = trimmedField(event.location())) parts.push_back(std::move(*location));
  return text::joined(parts, ", ");
}

}  // namespace kelvo
