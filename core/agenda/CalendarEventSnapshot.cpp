#include "core/agenda/CalendarEventSnapshot.hpp"

#include <cmath>
#include <limits>
#include <span>
#include <unordered_set>
#include <utility>

#include "core/agenda/KeptItemLimits.hpp"
#include "platform/foundation/NumberFormat.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {

CalendarEventSnapshot::CalendarEventSnapshot(Fields fields) : fields_(std::move(fields)) {
  if (fields_.end < fields_.start) fields_.end = fields_.start;
}

std::string CalendarEventSnapshot::displayTitle() const {
  std::string title = text::trimmed(rawTitle().value_or(""));
  return title.empty() ? std::string(untitledTitle) : title;
}

bool CalendarEventSnapshot::hasTitle() const {
  return rawTitle() && !text::trimmed(*rawTitle()).empty();
}

Date CalendarEventSnapshot::displayEnd(const Calendar& calendar) const {
  if (isAllDay() && duration() > 0 && end() == calendar.startOfDay(end())) return end() - 1;
  return end();
}

bool CalendarEventSnapshot::spansMoreThanOneDay(const Calendar& calendar) const {
  return !calendar.isSameDay(start(), displayEnd(calendar));
}

std::optional<TimeZone> CalendarEventSnapshot::differingTimeZone(
    const TimeZone& displayTimeZone) const {
  if (!timeZoneIdentifier()) return std::nullopt;
  auto zone = TimeZone::named(*timeZoneIdentifier());
  if (!zone || zone->identifier() == displayTimeZone.identifier()) return std::nullopt;
  if (zone->secondsFromGMT(start()) == displayTimeZone.secondsFromGMT(start())) {
    return std::nullopt;
  }
  return zone;
}

std::optional<std::int64_t> CalendarEventSnapshot::minutesUntilStart(Date now) const {
  if (!(start() > now)) return std::nullopt;
  const double minutes = std::floor((start() - now) / 60.0);
  // Moments far apart would overflow the count; no caller tells such distances apart.
  if (!(minutes < 9.2e18)) return std::numeric_limits<std::int64_t>::max();
  return static_cast<std::int64_t>(minutes);
}

std::vector<std::string> CalendarEventSnapshot::namedAttendees() const {
  std::vector<std::string> names;
  // Names compare as texts do everywhere: "Zoë" and "Zoe" + U+0308 are one attendee.
  std::unordered_set<std::string, text::CanonicalHash, text::CanonicalEqual> seen;
  for (const std::string& attendee : attendees()) {
    std::string name = text::trimmed(attendee);
    if (name.empty() || !seen.insert(text::lowercased(name)).second) continue;
    names.push_back(std::move(name));
  }
  return names;
}

std::optional<std::string> CalendarEventSnapshot::attendeeSummary() const {
  const std::vector<std::string> names = namedAttendees();
  if (names.empty()) return std::nullopt;
  const std::size_t shown = std::min(names.size(), attendeeDisplayLimit);
  std::string summary = text::joined(std::span(names).first(shown), ", ");
  if (names.size() > shown) summary += " +" + std::to_string(names.size() - shown) + " more";
  return summary;
}

std::optional<std::string> CalendarEventSnapshot::trimmedNotes() const {
  return KeptItemLimits::notes(notes().value_or(""));
}

std::string CalendarEventSnapshot::occurrenceID(const std::optional<std::string>& eventIdentifier,
                                                Date start, Date end,
                                                const std::optional<std::string>& title) {
  const std::string startText = describing(start.timeIntervalSinceReferenceDate());
  if (eventIdentifier && !eventIdentifier->empty()) return *eventIdentifier + "#" + startText;
  return "anon#" + startText + "#" + describing(end.timeIntervalSinceReferenceDate()) + "#" +
         text::trimmed(title.value_or(""));
}

}  // namespace kelvo
