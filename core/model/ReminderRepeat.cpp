#include "core/model/ReminderRepeat.hpp"

#include <nlohmann/json.hpp>

#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/Localized.hpp"

namespace kelvo {

std::string displayName(ReminderRepeat rule) {
  switch (rule) {
    case ReminderRepeat::none:
      return localized("Once");
    case ReminderRepeat::weekly:
      return localized("Every week");
    case ReminderRepeat::monthly:
      return localized("Every month");
    case ReminderRepeat::quarterly:
      return localized("Every quarter");
    case ReminderRepeat::yearly:
      return localized("Every year");
  }
  return localized("Once");
}

std::string recurrenceDescription(ReminderRepeat rule) {
  return rule == ReminderRepeat::none ? std::string() : displayName(rule);
}

std::optional<ReminderStep> calendarStep(ReminderRepeat rule) {
  using Component = Calendar::Component;
  switch (rule) {
    case ReminderRepeat::none:
      return std::nullopt;
    case ReminderRepeat::weekly:
      return ReminderStep{Component::weekOfYear, 1};
    case ReminderRepeat::monthly:
      return ReminderStep{Component::month, 1};
    case ReminderRepeat::quarterly:
      return ReminderStep{Component::month, 3};
    case ReminderRepeat::yearly:
      return ReminderStep{Component::year, 1};
  }
  return std::nullopt;
}

void to_json(Json& json, ReminderRepeat rule) { json = std::string(rawValue(rule)); }

ReminderRepeat readReminderRepeat(const JSONReader& reader) {
  return reader.rawValue(RawValues<ReminderRepeat>::table, "ReminderRepeat");
}

}  // namespace kelvo
