#include "core/organisation/CardMenuCapabilities.hpp"

#include <algorithm>
#include <iterator>

#include "core/model/Card.hpp"

namespace kelvo::CardMenuCapabilities {

CardVerbs verbs(const Card& card) {
  CardVerbs verbs{CardVerb::use,         CardVerb::show,      CardVerb::share,  CardVerb::beam,
                  CardVerb::moveToShelf, CardVerb::duplicate, CardVerb::select, CardVerb::delete_};
  verbs.insert(card.isPinned() ? CardVerb::unpin : CardVerb::pin);
  const auto parsed = card.variableTemplate();
  verbs.insert(parsed && parsed->hasVariables() ? CardVerb::fillAndCopy : CardVerb::copy);
  if (carriesBytes(card.type())) verbs.insert(CardVerb::open);
  return verbs;
}

CardVerbs sharedVerbs(std::span<const std::shared_ptr<Card>> cards) {
  if (cards.empty()) return {};
  CardVerbs shared = verbs(*cards.front());
  for (const auto& card : cards.subspan(1)) {
    const CardVerbs more = verbs(*card);
    CardVerbs both;
    std::set_intersection(shared.begin(), shared.end(), more.begin(), more.end(),
                          std::inserter(both, both.end()));
    shared = std::move(both);
  }
  return shared;
}

std::vector<UUID> targetIDs(const UUID& rightClicked, const GridSelection& selection,
                            std::span<const UUID> visibleOrder) {
  if (selection.count() < 2 || !selection.contains(rightClicked)) return {rightClicked};
  std::vector<UUID> targets;
  std::copy_if(visibleOrder.begin(), visibleOrder.end(), std::back_inserter(targets),
               [&](const UUID& id) { return selection.contains(id); });
  if (targets.empty()) return {rightClicked};
  return targets;
}

}  // namespace kelvo::CardMenuCapabilities
