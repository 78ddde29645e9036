#pragma once

// What to schedule as local notifications for card reminders: the open ones still to come, soonest
// first, never more than the platform's pending limit, each under its card's title:
//
//   const Date now(700'000'000);
//   const std::vector<std::shared_ptr<CardReminder>> reminders{
//       CardReminder::make({.id = UUID::random(), .fireAt = now + 3'600})};
//   const auto title = [](const CardReminder&) -> std::optional<std::string> { return "Rent"; };
//   const auto plans = ReminderNotifications::plans(reminders, title, now);  // one, in an hour

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/agenda/ReminderNotificationPlan.hpp"
#include "core/model/CardReminder.hpp"
#include "platform/foundation/Date.hpp"

namespace kelvo {

/// What to schedule as local notifications for card reminders: the open ones still to come,
/// soonest first, never more than the platform's pending limit.
struct ReminderNotifications {
  /// The most notifications pending at a time.
  static constexpr std::int64_t pendingLimit = 60;
  /// The card title of a reminder; none or empty leaves the reminder without a plan.
  using TitleFunction = std::function<std::optional<std::string>(const CardReminder&)>;

  /// The plan of one reminder under `cardTitle`, whatever its fire time or done flag.
  static ReminderNotificationPlan plan(const CardReminder& reminder, const std::string& cardTitle);
  /// The first `limit` open reminders after `now` in agenda order, each with the title `title`
  /// gives it; a reminder without a title keeps its place empty. `title` is called once per
  /// kept reminder, in order, and never for a limit of 0 or less.
  static std::vector<ReminderNotificationPlan> plans(
      std::span<const std::shared_ptr<CardReminder>> reminders, const TitleFunction& title,
      Date now, std::int64_t limit = pendingLimit);
};

}  // namespace kelvo
