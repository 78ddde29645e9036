#include "core/agenda/ReminderAgenda.hpp"

#include <algorithm>
#include <array>

#include "core/agenda/internal/ReminderReading.hpp"
#include "core/model/ReminderSchedule.hpp"

namespace kelvo {

std::vector<ReminderAgenda::Section> ReminderAgenda::sections(
    std::span<const std::shared_ptr<CardReminder>> reminders, Date now, const Calendar& calendar) {
  std::array<std::vector<agenda_internal::ReminderReading>, 4> buckets;
  for (const auto& reminder : reminders) {
    const agenda_internal::ReminderReading reading = agenda_internal::read(*reminder);
    if (reading.isDone) continue;
    const auto bucket = ReminderSchedule::bucket(reading.fireAt, now, calendar);
    buckets[static_cast<std::size_t>(bucket)].push_back(reading);
  }
  std::vector<Section> result;
  for (const ReminderBucket bucket : allCases<ReminderBucket>()) {
    auto& readings = buckets[static_cast<std::size_t>(bucket)];
    if (readings.empty()) continue;
    std::stable_sort(readings.begin(), readings.end(), agenda_internal::isOrderedBefore);
    Section section{bucket, {}};
    section.reminderIDs.reserve(readings.size());
    for (const auto& reading : readings) section.reminderIDs.push_back(reading.id);
    result.push_back(std::move(section));
  }
  return result;
}

std::string ReminderAgenda::headline(std::span<const std::shared_ptr<CardReminder>> reminders,
                                     Date now, const Calendar& calendar) {
  bool anyOpen = false;
  std::size_t overdue = 0;
  std::size_t dueToday = 0;
  for (const auto& reminder : reminders) {
    if (reminder->isDone()) continue;
    anyOpen = true;
    const auto bucket = ReminderSchedule::bucket(reminder->fireAt(), now, calendar);
    if (bucket == ReminderBucket::overdue) ++overdue;
    if (bucket == ReminderBucket::today) ++dueToday;
  }
  if (!anyOpen) return "Nothing due";
  if (overdue == 0 && dueToday == 0) return "Nothing overdue";
  std::string text;
  if (overdue > 0) text = std::to_string(overdue) + " overdue";
  if (overdue > 0 && dueToday > 0) text += ", ";
  if (dueToday > 0) text += std::to_string(dueToday) + " due today";
  return text;
}

}  // namespace kelvo
