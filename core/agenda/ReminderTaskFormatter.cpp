#include "core/agenda/ReminderTaskFormatter.hpp"

#include <utility>
#include <vector>

#include "core/agenda/KeptItemLimits.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

using Style = DateFormatter::Style;
using Component = Calendar::Component;

Calendar gregorian(const Calendar& calendar) {
  if (calendar.identifier() == "gregorian") return calendar;
  Calendar result(calendar.timeZone(), calendar.locale());
  result.setFirstWeekday(calendar.firstWeekday());
  result.setMinimumDaysInFirstWeek(calendar.minimumDaysInFirstWeek());
  return result;
}

}  // namespace

ReminderTaskFormatter::ReminderTaskFormatter(const Calendar& calendar)
    : calendar_(gregorian(calendar)),
      locale_(calendar.locale()),
      time_(Style::none, Style::shortStyle, calendar_, locale_),
      dayInYear_(DateFormatter::fromTemplate("EEEdMMM", calendar_, locale_)),
      dayWithYear_(DateFormatter::fromTemplate("EEEdMMMy", calendar_, locale_)) {}

std::string ReminderTaskFormatter::noDateLine() { return localized("No date"); }

std::string ReminderTaskFormatter::day(Date date, Date now) const {
  if (calendar_.isSame(Component::year, date, now)) return dayInYear_.format(date);
  return dayWithYear_.format(date);
}

std::string ReminderTaskFormatter::dayWord(Date date, Date now) const {
  const Date todayStart = calendar_.startOfDay(now);
  if (calendar_.isSameDay(date, todayStart)) return "today";
  const std::pair<int, const char*> neighbours[] = {{1, "tomorrow"}, {-1, "yesterday"}};
  for (const auto& [offset, word] : neighbours) {
    const auto neighbour = calendar_.adding(Component::day, offset, todayStart);
    if (neighbour && calendar_.isSameDay(date, *neighbour)) return word;
  }
  return day(date, now);
}

std::string ReminderTaskFormatter::when(const ReminderTaskSnapshot& task, Date now) const {
  if (!task.due) return noDateLine();
  std::string line = "Due " + dayWord(task.due->date, now);
  if (task.due->hasTime) line += ", " + time_.format(task.due->date);
  if (!task.isCompleted && task.due->isOverdue(now, calendar_)) line = "Overdue · " + line;
  return line;
}

std::optional<std::string> ReminderTaskFormatter::provenance(
    const ReminderTaskSnapshot& task) const {
  std::vector<std::string> parts;
  if (std::string list = text::trimmed(task.listTitle.value_or("")); !list.empty()) {
    parts.push_back(std::move(list));
  }
  if (auto priority = displayName(task.priority)) parts.push_back(std::move(*priority));
  if (task.isRecurring) parts.emplace_back("Repeats");
  if (parts.empty()) return std::nullopt;
  return text::joined(parts, " · ");
}

std::string ReminderTaskFormatter::cardTitle(const ReminderTaskSnapshot& task) const {
  return KeptItemLimits::cardTitle(task.displayTitle());
}

std::string ReminderTaskFormatter::cardPayload(const ReminderTaskSnapshot& task, Date now) const {
  std::vector<std::string> lines{task.displayTitle(), when(task, now)};
  if (auto line = provenance(task)) lines.push_back(std::move(*line));
  if (auto link = task.link()) lines.push_back(link->absoluteString());
  if (task.isCompleted) lines.emplace_back("Completed");
  std::string payload = text::joined(lines, "\n");
  if (auto notes = task.trimmedNotes()) payload += "\n\n" + *notes;
  return KeptItemLimits::payload(std::move(payload));
}

std::string ReminderTaskFormatter::cardPreview(const ReminderTaskSnapshot& task, Date now) const {
  std::string preview = when(task, now);
  if (auto line = provenance(task)) preview += " · " + *line;
  return preview;
}

std::string ReminderTaskFormatter::accessibilityLabel(const ReminderTaskSnapshot& task,
                                                      Date now) const {
  std::vector<std::string> parts{task.displayTitle(), when(task, now)};
  if (auto line = provenance(task)) parts.push_back(std::move(*line));
  return text::joined(parts, ", ");
}

}  // namespace kelvo
