#pragma once

// Contextual tips: which tip a screen may carry, the action it teaches and the conditions on the
// library under which it applies. The host describes the library and the screen in a HintState:
//
//   const HintState state{.cardCount = 5, .availableActions = {HintAction::pinFromCardMenu}};
//   const Hint* pin = HintCatalogue::hint(HintID::pinToReadyRow);
//   const bool applies = pin->isEligible(state);  // true: nothing is pinned yet
//   const std::string_view stored = rawValue(pin->id);  // "pin-to-ready-row"

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/RawValues.hpp"

namespace kelvo {

/// Which tip. Coded in JSON as its raw value.
enum class HintID : std::uint8_t {
  pinToReadyRow,
  blanksInACard,
  searchLooksInsideFiles,
  remindersLiveBehindTheBell,
  groupOnAShelf,
  fillAFormFromYourFacts,
  doneKeepsTheCard,
  fillKeepsYourPlace,
};

template <>
struct RawValues<HintID> {
  static constexpr std::array<std::pair<HintID, std::string_view>, 8> table{{
      {HintID::pinToReadyRow, "pin-to-ready-row"},
      {HintID::blanksInACard, "blanks-in-a-card"},
      {HintID::searchLooksInsideFiles, "search-looks-inside-files"},
      {HintID::remindersLiveBehindTheBell, "reminders-live-behind-the-bell"},
      {HintID::groupOnAShelf, "group-on-a-shelf"},
      {HintID::fillAFormFromYourFacts, "fill-a-form-from-your-facts"},
      {HintID::doneKeepsTheCard, "done-keeps-the-card"},
      {HintID::fillKeepsYourPlace, "fill-keeps-your-place"},
  }};
};

void to_json(Json& json, HintID id);
/// The identifier whose raw value the reader holds; any other string is data corrupted.
HintID decodeHintID(const JSONReader& reader);

/// The screens that carry tips.
enum class HintScreen : std::uint8_t { home, agenda, fillForm };

template <>
struct RawValues<HintScreen> {
  static constexpr std::array<std::pair<HintScreen, std::string_view>, 3> table{{
      {HintScreen::home, "home"},
      {HintScreen::agenda, "agenda"},
      {HintScreen::fillForm, "fillForm"},
  }};
};

/// The action a tip teaches; the tip applies only while the action is available.
enum class HintAction : std::uint8_t {
  pinFromCardMenu,
  openAgenda,
  markReminderDone,
  openShelves,
  openFillAForm,
  copyFactInFillMode,
  search,
  keepTextCard,
};

template <>
struct RawValues<HintAction> {
  static constexpr std::array<std::pair<HintAction, std::string_view>, 8> table{{
      {HintAction::pinFromCardMenu, "pinFromCardMenu"},
      {HintAction::openAgenda, "openAgenda"},
      {HintAction::markReminderDone, "markReminderDone"},
      {HintAction::openShelves, "openShelves"},
      {HintAction::openFillAForm, "openFillAForm"},
      {HintAction::copyFactInFillMode, "copyFactInFillMode"},
      {HintAction::search, "search"},
      {HintAction::keepTextCard, "keepTextCard"},
  }};
};

/// A snapshot of the library and of the screen, built by the host each time it asks for a tip.
struct HintState {
  std::int64_t cardCount = 0;
  std::int64_t pinnedCount = 0;
  std::int64_t templateCount = 0;
  std::int64_t reminderCount = 0;
  /// The default shelf included.
  std::int64_t shelfCount = 0;
  std::int64_t fileOrImageCardCount = 0;
  std::int64_t factCount = 0;
  std::set<HintAction> availableActions;

  friend bool operator==(const HintState&, const HintState&) = default;
};

/// A condition on a `HintState`.
class HintCondition {
 public:
  struct CardsAtLeast {
    std::int64_t count;
    friend bool operator==(const CardsAtLeast&, const CardsAtLeast&) = default;
  };
  struct NothingPinned {
    friend bool operator==(NothingPinned, NothingPinned) = default;
  };
  struct NoTemplates {
    friend bool operator==(NoTemplates, NoTemplates) = default;
  };
  struct NoReminders {
    friend bool operator==(NoReminders, NoReminders) = default;
  };
  struct HasReminders {
    friend bool operator==(HasReminders, HasReminders) = default;
  };
  struct OnlyTheDefaultShelf {
    friend bool operator==(OnlyTheDefaultShelf, OnlyTheDefaultShelf) = default;
  };
  struct HasFileOrImageCards {
    friend bool operator==(HasFileOrImageCards, HasFileOrImageCards) = default;
  };
  struct HasFacts {
    friend bool operator==(HasFacts, HasFacts) = default;
  };
  using Value = std::variant<CardsAtLeast, NothingPinned, NoTemplates, NoReminders, HasReminders,
                             OnlyTheDefaultShelf, HasFileOrImageCards, HasFacts>;

  HintCondition(Value value) : value_(value) {}
  static HintCondition cardsAtLeast(std::int64_t count) {
    return HintCondition(CardsAtLeast{count});
  }
  static HintCondition nothingPinned() { return HintCondition(NothingPinned{}); }
  static HintCondition noTemplates() { return HintCondition(NoTemplates{}); }
  static HintCondition noReminders() { return HintCondition(NoReminders{}); }
  static HintCondition hasReminders() { return HintCondition(HasReminders{}); }
  static HintCondition onlyTheDefaultShelf() { return HintCondition(OnlyTheDefaultShelf{}); }
  static HintCondition hasFileOrImageCards() { return HintCondition(HasFileOrImageCards{}); }
  static HintCondition hasFacts() { return HintCondition(HasFacts{}); }

  const Value& value() const { return value_; }
  bool matches(const HintState& state) const;

  friend bool operator==(const HintCondition&, const HintCondition&) = default;

 private:
  Value value_;
};

/// One tip of the catalogue. Identified by `id`.
struct Hint {
  HintID id;
  HintScreen screen;
  /// Localised when the catalogue is built.
  std::string message;
  /// The action the tip teaches.
  HintAction requires_;
  /// All must hold; may be empty.
  std::vector<HintCondition> when;
  /// Among one screen's tips the smaller number comes first.
  std::int64_t priority;

  /// Whether the action is available and every condition holds.
  bool isEligible(const HintState& state) const;

  friend bool operator==(const Hint&, const Hint&) = default;
};

}  // namespace kelvo
