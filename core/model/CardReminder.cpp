#include "core/model/CardReminder.hpp"

#include <algorithm>

#include "core/model/ReminderSchedule.hpp"

namespace kelvo {

std::shared_ptr<CardReminder> CardReminder::make(const Fields& fields) {
  auto reminder =
      ManagedObject::make<CardReminder>(KelvoModel::entity(KelvoModel::Entities::cardReminder));
  reminder->setID(fields.id);
  reminder->setCardID(fields.cardID);
  reminder->setFireAt(fields.fireAt);
  reminder->setRepeatRule(fields.repeatRule);
  reminder->setIsDone(fields.isDone);
  reminder->setCompletedAt(fields.completedAt);
  reminder->setCreatedAt(fields.createdAt);
  reminder->setNote(fields.note);
  return reminder;
}

void CardReminder::setCardID(std::optional<UUID> id) {
  setValue("cardID", id ? std::optional<data::Value>(data::Value(*id)) : std::nullopt);
}

void CardReminder::setCompletedAt(std::optional<Date> date) {
  setValue("completedAt", date ? std::optional<data::Value>(data::Value(*date)) : std::nullopt);
}

ReminderRepeat CardReminder::repeatRule() const {
  return fromRawValue<ReminderRepeat>(repeatRuleRaw()).value_or(ReminderRepeat::none);
}

std::string CardReminder::notificationIdentifier(const UUID& id) {
  return std::string(notificationPrefix) + id.uuidString();
}

bool CardReminder::isOverdue(Date now) const {
  return ReminderSchedule::isOverdue(fireAt(), isDone(), now);
}

ReminderBucket CardReminder::bucket(Date now, const Calendar& calendar) const {
  return ReminderSchedule::bucket(fireAt(), now, calendar);
}

std::string CardReminder::dueDescription(Date now, const Calendar& calendar) const {
  if (isDone()) return "Done";
  return ReminderSchedule::dueDescription(fireAt(), now, calendar);
}

std::string CardReminder::summary(Date now, const Calendar& calendar) const {
  std::string text = dueDescription(now, calendar);
  const std::string repeat = repeatDescription();
  if (!repeat.empty()) text += " · " + repeat;
  return text;
}

std::optional<Date> CardReminder::nextOccurrence(Date after, const Calendar& calendar) const {
  return ReminderSchedule::nextOccurrence(after, fireAt(), repeatRule(), calendar);
}

std::optional<Date> CardReminder::occurrenceAfterCompleting(Date now,
                                                            const Calendar& calendar) const {
  const Date fire = fireAt();
  return ReminderSchedule::nextOccurrence(std::max(fire, now), fire, repeatRule(), calendar);
}

}  // namespace kelvo
