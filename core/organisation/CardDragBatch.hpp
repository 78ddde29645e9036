#pragma once

#include <set>
#include <span>
#include <vector>

#include "platform/foundation/UUID.hpp"

/// Which cards a drag from the library grid carries.
///
///   const auto batch = CardDragBatch::ids(dragged, selection.selected(), visibleOrder);
namespace kelvo::CardDragBatch {

/// The selected cards in visible order (each once) when the dragged card is one of two or more
/// selected, with the dragged card last if it is not visible; otherwise the dragged card alone.
std::vector<UUID> ids(const UUID& dragging, const std::set<UUID>& selected,
                      std::span<const UUID> visibleOrder);

}  // namespace kelvo::CardDragBatch
