#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/JSON.hpp"
#include "platform/foundation/RawValues.hpp"

/// How a card reminder repeats, stored by its raw word in the reminder's "repeatRuleRaw".
///
///     auto rule = fromRawValue<ReminderRepeat>("weekly").value_or(ReminderRepeat::none);
///     std::string label = displayName(rule);  // "Every week"
namespace kelvo {

class JSONReader;

enum class ReminderRepeat : std::uint8_t { none, weekly, monthly, quarterly, yearly };

template <>
struct RawValues<ReminderRepeat> {
  static constexpr std::array<std::pair<ReminderRepeat, std::string_view>, 5> table{{
      {ReminderRepeat::none, "none"},
      {ReminderRepeat::weekly, "weekly"},
      {ReminderRepeat::monthly, "monthly"},
      {ReminderRepeat::quarterly, "quarterly"},
      {ReminderRepeat::yearly, "yearly"},
  }};
};

/// The rule's name, localised: "Once", "Every week", "Every month", "Every quarter", "Every year".
std::string displayName(ReminderRepeat rule);
/// What summaries and notification bodies append: empty for `none`, else `displayName`.
std::string recurrenceDescription(ReminderRepeat rule);

/// One repetition of a rule: `count` of `unit`.
struct ReminderStep {
  Calendar::Component unit;
  int count;
  friend bool operator==(const ReminderStep&, const ReminderStep&) = default;
};
/// The step a rule advances by; none for `none`.
std::optional<ReminderStep> calendarStep(ReminderRepeat rule);

/// JSON is the raw word; any other word is data corrupted.
void to_json(Json& json, ReminderRepeat rule);
ReminderRepeat readReminderRepeat(const JSONReader& reader);

}  // namespace kelvo
