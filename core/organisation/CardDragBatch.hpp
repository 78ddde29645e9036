#pragma once

// Which cards a drag from the library grid carries: the whole selection, in visible order, when
// the dragged card is one of two or more selected; else the dragged card alone.
//
//   const UUID a = UUID::random(), b = UUID::random(), c = UUID::random();
//   const std::vector<UUID> visibleOrder{a, b, c};
//   const std::vector<UUID> batch = CardDragBatch::ids(c, {a, c}, visibleOrder);  // a, c
//   const std::vector<UUID> alone = CardDragBatch::ids(b, {a, c}, visibleOrder);  // b

#include <set>
#include <span>
#include <vector>

#include "platform/foundation/UUID.hpp"

/// Which cards a drag from the library grid carries.
namespace kelvo::CardDragBatch {

/// The selected cards in visible order (each once) when the dragged card is one of two or more
/// selected, with the dragged card last if it is not visible; otherwise the dragged card alone.
std::vector<UUID> ids(const UUID& dragging, const std::set<UUID>& selected,
                      std::span<const UUID> visibleOrder);

}  // namespace kelvo::CardDragBatch
