#include "core/agenda/ReminderNotifications.hpp"

#include <algorithm>

#include "core/agenda/internal/ReminderReading.hpp"
#include "core/model/ReminderRepeat.hpp"

namespace kelvo {
namespace {

ReminderNotificationPlan planOf(const agenda_internal::ReminderReading& reading,
                                const std::string& cardTitle) {
  const std::string repeat = reading.reminder->repeatDescription();
  std::string body = "Time to look at this again.";
  if (!repeat.empty()) body += " " + repeat + ".";
  return {CardReminder::notificationIdentifier(reading.id), cardTitle, std::move(body),
          reading.fireAt, reading.reminder->cardID()};
}

}  // namespace

ReminderNotificationPlan ReminderNotifications::plan(const CardReminder& reminder,
                                                     const std::string& cardTitle) {
  return planOf(agenda_internal::read(reminder), cardTitle);
}

std::vector<ReminderNotificationPlan> ReminderNotifications::plans(
    std::span<const std::shared_ptr<CardReminder>> reminders, const TitleFunction& title, Date now,
    std::int64_t limit) {
  if (limit <= 0) return {};
  std::vector<agenda_internal::ReminderReading> candidates;
  for (const auto& reminder : reminders) {
    const agenda_internal::ReminderReading reading = agenda_internal::read(*reminder);
    if (!reading.isDone && reading.fireAt > now) candidates.push_back(reading);
  }
  const std::size_t kept =
      std::min<std::size_t>(candidates.size(), static_cast<std::uint64_t>(limit));
  // Only the soonest `kept` need ordering; ties are broken by identifier, so no stability needed.
  std::partial_sort(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(kept),
                    candidates.end(), agenda_internal::isOrderedBefore);
  std::vector<ReminderNotificationPlan> result;
  for (std::size_t i = 0; i < kept; ++i) {
    const auto cardTitle = title ? title(*candidates[i].reminder) : std::nullopt;
    if (!cardTitle || cardTitle->empty()) continue;
    result.push_back(planOf(candidates[i], *cardTitle));
  }
  return result;
}

}  // namespace kelvo
