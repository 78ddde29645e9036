// Internal to core/agenda: include "core/agenda/ReminderAgenda.hpp" or
// "core/agenda/ReminderNotifications.hpp" instead.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "core/model/CardReminder.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo::agenda_internal {

/// What the agenda and the notification plans read of one reminder, read once. A reminder with
/// no stored id draws a new one at every read; reading once keeps the order consistent and the
/// plan's identifier the one the sort saw.
struct ReminderReading {
  const CardReminder* reminder;
  UUID id;
  Date fireAt;
  bool isDone;
};

inline ReminderReading read(const CardReminder& reminder) {
  return {&reminder, reminder.id(), reminder.fireAt(), reminder.isDone()};
}

/// Agenda order: earlier fire time first, then the smaller identifier text (the byte order of
/// an identifier is the order of its canonical text).
inline bool isOrderedBefore(const ReminderReading& a, const ReminderReading& b) {
  if (a.fireAt != b.fireAt) return a.fireAt < b.fireAt;
  return a.id < b.id;
}

}  // namespace kelvo::agenda_internal
