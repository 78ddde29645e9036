#pragma once

// Which commands a card's context menu offers, for one card or for every card it acts on, and
// which cards a right-click acts on: the selection when the clicked card is in it.
//
//   const UUID clicked = UUID::random(), other = UUID::random();
//   const GridSelection selection(std::set<UUID>{clicked, other});
//   const std::vector<UUID> visibleOrder{other, clicked};
//   const auto targets = CardMenuCapabilities::targetIDs(clicked, selection, visibleOrder);
//   const auto letter = Card::make({.id = clicked, .payload = "Dear {name},"});
//   const CardVerbs verbs = CardMenuCapabilities::verbs(*letter);  // fillAndCopy, pin, ...

#include <memory>
#include <span>
#include <vector>

#include "core/organisation/CardVerb.hpp"
#include "core/organisation/GridSelection.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

class Card;

/// Which commands a card's context menu offers, for one card or a group, and which cards a
/// right-click acts on.
namespace CardMenuCapabilities {

/// The base verbs, `pin` or `unpin`, `fillAndCopy` for a text with blanks or else `copy`, and
/// `open` for images, files and documents (an unknown type reads as a file).
CardVerbs verbs(const Card& card);
/// The verbs every card of the group offers; none for no cards.
CardVerbs sharedVerbs(std::span<const std::shared_ptr<Card>> cards);
/// The selected cards in visible order when the clicked card is one of two or more selected
/// (and any of them is visible); otherwise the clicked card alone.
std::vector<UUID> targetIDs(const UUID& rightClicked, const GridSelection& selection,
                            std::span<const UUID> visibleOrder);

}  // namespace CardMenuCapabilities
}  // namespace kelvo
