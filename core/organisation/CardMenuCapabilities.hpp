#pragma once

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
///
///   const auto targets = CardMenuCapabilities::targetIDs(clicked, selection, visibleOrder);
///   const auto verbs = CardMenuCapabilities::sharedVerbs(cardsFor(targets));
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
