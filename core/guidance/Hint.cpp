#include "core/guidance/Hint.hpp"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "platform/foundation/Overloaded.hpp"

namespace kelvo {

void to_json(Json& json, HintID id) { json = std::string(rawValue(id)); }

HintID decodeHintID(const JSONReader& reader) {
  return reader.rawValue(RawValues<HintID>::table, "HintID");
}

bool HintCondition::matches(const HintState& state) const {
  return std::visit(
      Overloaded{
          [&](const CardsAtLeast& condition) { return state.cardCount >= condition.count; },
          [&](const NothingPinned&) { return state.pinnedCount == 0; },
          [&](const NoTemplates&) { return state.templateCount == 0; },
          [&](const NoReminders&) { return state.reminderCount == 0; },
          [&](const HasReminders&) { return state.reminderCount > 0; },
          [&](const OnlyTheDefaultShelf&) { return state.shelfCount < 2; },
          [&](const HasFileOrImageCards&) { return state.fileOrImageCardCount > 0; },
          [&](const HasFacts&) { return state.factCount > 0; },
      },
      value_);
}

bool Hint::isEligible(const HintState& state) const {
  if (!state.availableActions.contains(requires_)) return false;
  return std::all_of(when.begin(), when.end(),
                     [&](const HintCondition& condition) { return condition.matches(state); });
}

}  // namespace kelvo
