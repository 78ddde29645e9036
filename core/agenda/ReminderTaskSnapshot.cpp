#include "core/agenda/ReminderTaskSnapshot.hpp"

#include "core/agenda/KeptItemLimits.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {

Date ReminderDue::deadline(const Calendar& calendar) const {
  if (hasTime) return date;
  return calendar.adding(Calendar::Component::day, 1, calendar.startOfDay(date)).value_or(date);
}

std::optional<ReminderDue> ReminderDue::resolve(const std::optional<DateComponents>& components,
                                                const Calendar& calendar) {
  if (!components || !components->year || !components->month || !components->day) {
    return std::nullopt;
  }
  const auto date = calendar.date(*components);
  if (!date) return std::nullopt;
  return ReminderDue{*date, components->hour.has_value()};
}

ReminderPriority reminderPriorityFrom(std::int64_t eventKitValue) {
  if (eventKitValue >= 1 && eventKitValue <= 4) return ReminderPriority::high;
  if (eventKitValue == 5) return ReminderPriority::medium;
  if (eventKitValue >= 6 && eventKitValue <= 9) return ReminderPriority::low;
  return ReminderPriority::none;
}

std::optional<std::string_view> marker(ReminderPriority priority) {
  switch (priority) {
    case ReminderPriority::none:
      return std::nullopt;
    case ReminderPriority::low:
      return "!";
    case ReminderPriority::medium:
      return "!!";
    case ReminderPriority::high:
      return "!!!";
  }
  return std::nullopt;
}

std::optional<std::string> displayName(ReminderPriority priority) {
  switch (priority) {
    case ReminderPriority::none:
      return std::nullopt;
    case ReminderPriority::low:
      return localized("Low priority");
    case ReminderPriority::medium:
      return localized("Medium priority");
    case ReminderPriority::high:
      return localized("High priority");
  }
  return std::nullopt;
}

std::string ReminderTaskSnapshot::displayTitle() const {
  std::string title = text::trimmed(rawTitle.value_or(""));
  return title.empty() ? std::string(untitledTitle) : title;
}

bool ReminderTaskSnapshot::hasTitle() const {
  return !text::trimmed(rawTitle.value_or("")).empty();
}

std::optional<URL> ReminderTaskSnapshot::link() const {
  const std::string text = text::trimmed(urlString.value_or(""));
  if (text.empty()) return std::nullopt;
  auto url = URL::parse(text);
  if (!url || !url->scheme()) return std::nullopt;
  return url;
}

std::optional<std::string> ReminderTaskSnapshot::trimmedNotes() const {
  return KeptItemLimits::notes(notes.value_or(""));
}

bool ReminderTaskSnapshot::isOverdue(Date now, const Calendar& calendar) const {
  if (isCompleted || !due) return false;
  return due->isOverdue(now, calendar);
}

}  // namespace kelvo
