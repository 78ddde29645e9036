#pragma once

#include <memory>
#include <optional>
#include <string>

#include "core/model/KelvoModel.hpp"
#include "core/model/ManagedObjectValues.hpp"
#include "core/model/ReminderBucket.hpp"
#include "core/model/ReminderRepeat.hpp"
#include "platform/data/FetchRequest.hpp"
#include "platform/data/ManagedObject.hpp"
#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// The managed object of a reminder on a card, which it names by "cardID" rather than by a
/// relationship, so a reminder outlives its card. Every property reads and writes an attribute
/// by key; a missing or mistyped value reads as the default each accessor names. The derived
/// values apply `ReminderSchedule`.
///
///     auto reminder = CardReminder::make({.id = UUID::random(), .cardID = card->id(),
///                                         .fireAt = *ReminderSchedule::tomorrowMorning(now,
///                                         calendar), .createdAt = now});
///     context.insert(reminder);
///     reminder->summary(now, calendar);  // "Due tomorrow"
class CardReminder : public data::ManagedObject {
 public:
  using ManagedObject::ManagedObject;

  /// The prefix of every local-notification request of a reminder.
  static constexpr std::string_view notificationPrefix = "kelvo.reminder.";

  /// Everything a reminder is made of, in the order it is written.
  struct Fields {
    UUID id{};
    UUID cardID{};
    Date fireAt{};
    ReminderRepeat repeatRule = ReminderRepeat::none;
    bool isDone = false;
    std::optional<Date> completedAt{};
    Date createdAt{};
    std::string note{};
  };

  /// A reminder in no context, with the eight attributes written in order; the caller inserts it.
  static std::shared_ptr<CardReminder> make(const Fields& fields);
  /// A request for every reminder, unsorted.
  static auto fetchRequest();

  // Attributes, in the model's order.

  /// A fresh identifier at every read when none is stored.
  UUID id() const { return storedIdentifier(*this); }
  void setID(const UUID& id) { storeIdentifier(*this, id); }
  std::optional<UUID> cardID() const { return uuidValue(*this, "cardID"); }
  void setCardID(std::optional<UUID> id);
  /// The distant past when none is stored.
  Date fireAt() const { return dateValue(*this, "fireAt", Date::distantPast()); }
  void setFireAt(Date date) { setValue("fireAt", data::Value(date)); }
  std::string repeatRuleRaw() const { return stringValue(*this, "repeatRuleRaw", "none"); }
  void setRepeatRuleRaw(std::string raw) { setValue("repeatRuleRaw", data::Value(std::move(raw))); }
  bool isDone() const { return boolValue(*this, "isDone", false); }
  void setIsDone(bool done) { setValue("isDone", data::Value(done)); }
  std::optional<Date> completedAt() const { return optionalDateValue(*this, "completedAt"); }
  void setCompletedAt(std::optional<Date> date);
  Date createdAt() const { return dateValue(*this, "createdAt", Date::distantPast()); }
  void setCreatedAt(Date date) { setValue("createdAt", data::Value(date)); }
  std::string note() const { return stringValue(*this, "note", ""); }
  void setNote(std::string note) { setValue("note", data::Value(std::move(note))); }

  /// The stored rule; a word that is no rule ("Weekly", "daily") reads as `none`.
  ReminderRepeat repeatRule() const;
  void setRepeatRule(ReminderRepeat rule) { setRepeatRuleRaw(std::string(rawValue(rule))); }

  // Derived values.

  /// "kelvo.reminder." and the identifier's canonical text, 51 characters.
  std::string notificationIdentifier() const { return notificationIdentifier(id()); }
  static std::string notificationIdentifier(const UUID& id);
  bool isOverdue(Date now) const;
  /// The bucket of the fire time, done or not.
  ReminderBucket bucket(Date now, const Calendar& calendar) const;
  /// "Done", or the due phrase of the fire time.
  std::string dueDescription(Date now, const Calendar& calendar) const;
  /// Empty for a reminder that does not repeat, else the rule's name.
  std::string repeatDescription() const { return recurrenceDescription(repeatRule()); }
  /// The due description, then " · " and the repeat description when there is one.
  std::string summary(Date now, const Calendar& calendar) const;
  /// The first repetition strictly after `after`; the fire time itself when that is later.
  std::optional<Date> nextOccurrence(Date after, const Calendar& calendar) const;
  /// When the reminder falls due again once completed at `now`: the first repetition after
  /// both `now` and the fire time; none for a reminder that does not repeat.
  std::optional<Date> occurrenceAfterCompleting(Date now, const Calendar& calendar) const;
};

// Defined here because the request names the class, which is complete only now.
inline auto CardReminder::fetchRequest() {
  return data::FetchRequest<CardReminder>(std::string(KelvoModel::Entities::cardReminder));
}

}  // namespace kelvo
