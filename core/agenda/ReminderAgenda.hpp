#pragma once

// The agenda of open card reminders: sections by bucket (overdue, today, this week, later) and the
// headline above them. Takes reminders as a fetch gives them; done reminders are in no section:
//
//   const Date now(700'000'000);
//   const Calendar calendar = Calendar::current();
//   const std::vector<std::shared_ptr<CardReminder>> due{
//       CardReminder::make({.id = UUID::random(), .fireAt = now - 60}),
//       CardReminder::make({.id = UUID::random(), .fireAt = now + 60})};
//   const auto sections = ReminderAgenda::sections(due, now, calendar);  // overdue, today
//   const auto title = ReminderAgenda::headline(due, now, calendar);  // "1 overdue, 1 due today"

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/model/CardReminder.hpp"
#include "core/model/ReminderBucket.hpp"
#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// The agenda of open card reminders: sections by bucket and the headline above them. Takes
/// reminders as a fetch gives them and leaves them unchanged; done reminders are in no section.
struct ReminderAgenda {
  /// One bucket's reminders, soonest first and by identifier text at one moment.
  struct Section {
    ReminderBucket bucket;
    std::vector<UUID> reminderIDs;

    /// The bucket's raw word.
    std::string_view id() const { return rawValue(bucket); }
    bool isEmpty() const { return reminderIDs.empty(); }
    friend bool operator==(const Section&, const Section&) = default;
  };

  /// Non-empty sections in bucket order: overdue, today, this week, later.
  static std::vector<Section> sections(std::span<const std::shared_ptr<CardReminder>> reminders,
                                       Date now, const Calendar& calendar);
  /// "Nothing due" without open reminders, else the overdue and due-today counts: "Nothing
  /// overdue", "2 due today", "1 overdue, 3 due today".
  static std::string headline(std::span<const std::shared_ptr<CardReminder>> reminders, Date now,
                              const Calendar& calendar);
};

}  // namespace kelvo
