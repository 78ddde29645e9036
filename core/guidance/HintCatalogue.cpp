#include "core/guidance/HintCatalogue.hpp"

#include <algorithm>
#include <array>

#include "platform/foundation/Localized.hpp"

namespace kelvo {
namespace {

using C = HintCondition;

std::vector<Hint> makeCatalogue() {
  return {
      {HintID::blanksInACard,
       HintScreen::home,
       localized("Next time you keep something, type {name} where a name goes \u2014 Kelvo asks "
                 "you for it each time you reuse the card."),
       HintAction::keepTextCard,
       {C::cardsAtLeast(2), C::noTemplates()},
       10},
      {HintID::pinToReadyRow,
       HintScreen::home,
       localized("The card you reach for most can sit in the Ready Row \u2014 pin it from the "
                 "card's own menu."),
       HintAction::pinFromCardMenu,
       {C::cardsAtLeast(4), C::nothingPinned()},
       20},
      {HintID::remindersLiveBehindTheBell,
       HintScreen::home,
       localized("The bell opens your Agenda, where a card can be set to come back when you "
                 "need it."),
       HintAction::openAgenda,
       {C::cardsAtLeast(3), C::noReminders()},
       30},
      {HintID::fillAFormFromYourFacts,
       HintScreen::home,
       localized("Filling something in? Fill a form, in the header, hands you your own details "
                 "one tap at a time."),
       HintAction::openFillAForm,
       {C::cardsAtLeast(3), C::hasFacts()},
       40},
      {HintID::searchLooksInsideFiles,
       HintScreen::home,
       localized("Search reads the words inside your images and documents, not just their "
                 "titles."),
       HintAction::search,
       {C::cardsAtLeast(6), C::hasFileOrImageCards()},
       50},
      {HintID::groupOnAShelf,
       HintScreen::home,
       localized("Shelves keep related cards together \u2014 the stack in the header makes one."),
       HintAction::openShelves,
       {C::cardsAtLeast(10), C::onlyTheDefaultShelf()},
       60},
      {HintID::doneKeepsTheCard,
       HintScreen::agenda,
       localized("Done clears a reminder from today \u2014 the card itself stays in Kelvo."),
       HintAction::markReminderDone,
       {C::hasReminders()},
       10},
      {HintID::fillKeepsYourPlace,
       HintScreen::fillForm,
       localized("Copy a field, switch to the form, come back \u2014 Kelvo keeps your place in "
                 "the list."),
       HintAction::copyFactInFillMode,
       {C::hasFacts()},
       10},
  };
}

struct Tables {
  std::vector<Hint> all = makeCatalogue();
  std::array<std::vector<Hint>, RawValues<HintScreen>::table.size()> byScreen;

  Tables() {
    for (const Hint& hint : all) byScreen[static_cast<std::size_t>(hint.screen)].push_back(hint);
    for (auto& hints : byScreen) {
      std::stable_sort(hints.begin(), hints.end(),
                       [](const Hint& a, const Hint& b) { return a.priority < b.priority; });
    }
  }
};

const Tables& tables() {
  static const Tables built;
  return built;
}

}  // namespace

const std::vector<Hint>& HintCatalogue::all() { return tables().all; }

const std::vector<Hint>& HintCatalogue::hints(HintScreen screen) {
  static const std::vector<Hint> none;
  const auto& byScreen = tables().byScreen;
  const auto index = static_cast<std::size_t>(screen);
  return index < byScreen.size() ? byScreen[index] : none;
}

const Hint* HintCatalogue::hint(HintID id) {
  for (const Hint& hint : all()) {
    if (hint.id == id) return &hint;
  }
  return nullptr;
}

}  // namespace kelvo
