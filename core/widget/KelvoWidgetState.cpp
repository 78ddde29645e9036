#include "core/widget/KelvoWidgetState.hpp"

#include "core/design/KelvoIcon.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Overloaded.hpp"

namespace kelvo {
std::string KelvoWidgetState::headline() const {
  return std::visit(Overloaded{
                        [](const Outdated&) { return localized("Out of date"); },
                        [](const Cards&) { return localized("Ready"); },
                        [](const Unavailable&) { return localized("Not switched on"); },
                        [](const Waiting&) { return localized("Nothing here yet"); },
                        [](const Empty&) { return localized("Nothing kept yet"); },
                    },
                    value_);
}

std::string KelvoWidgetState::detail() const {
  return std::visit(
      Overloaded{
          [](const Outdated&) {
            return localized("Kelvo hasn't run in a while. Open it to bring this up to date.");
          },
          [](const Cards&) { return localized("The cards you reach for most."); },
          [](const Unavailable&) {
            return localized(
                "This build can't read your library from a widget. The Kelvo actions widget "
                "still works.");
          },
          [](const Waiting&) {
            return localized("Open Kelvo once, and the cards you reach for most appear here.");
          },
          [](const Empty&) {
            return localized(
                "Keep a snippet, an image or a document in Kelvo, and it shows up here.");
          },
      },
      value_);
}

std::string KelvoWidgetState::accessibilityLabel() const { return headline() + ". " + detail(); }

KelvoIcon KelvoWidgetState::icon() const {
  return std::visit(Overloaded{
                        [](const Outdated&) { return KelvoIcon::outdated; },
                        [](const Cards&) { return KelvoIcon::readyRow; },
                        [](const Unavailable&) { return KelvoIcon::unavailable; },
                        [](const Waiting&) { return KelvoIcon::waiting; },
                        [](const Empty&) { return KelvoIcon::empty; },
                    },
                    value_);
}

std::vector<KelvoWidgetCard> KelvoWidgetState::cards() const {
  if (const Cards* state = as<Cards>()) return state->snapshot.cards();
  return {};
}

}  // namespace kelvo
