#pragma once

#include <optional>
#include <string>

#include "platform/foundation/Date.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// One local notification to schedule for a card reminder. The identifier comes from the
/// reminder's identifier, so a reminder's plan names the same request every time.
struct ReminderNotificationPlan {
  /// "kelvo.reminder." and the reminder's identifier.
  std::string identifier;
  /// The card's title, as the caller gave it.
  std::string title;
  std::string body;
  Date fireAt;
  std::optional<UUID> cardID;

  const std::string& id() const { return identifier; }
  friend bool operator==(const ReminderNotificationPlan&,
                         const ReminderNotificationPlan&) = default;
};

}  // namespace kelvo
