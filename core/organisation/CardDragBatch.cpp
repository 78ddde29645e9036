#include "core/organisation/CardDragBatch.hpp"

namespace kelvo::CardDragBatch {

std::vector<UUID> ids(const UUID& dragging, const std::set<UUID>& selected,
                      std::span<const UUID> visibleOrder) {
  if (selected.size() < 2 || !selected.contains(dragging)) return {dragging};
  std::vector<UUID> batch;
  std::set<UUID> taken;
  for (const UUID& id : visibleOrder) {
    if (selected.contains(id) && taken.insert(id).second) batch.push_back(id);
  }
  if (!taken.contains(dragging)) batch.push_back(dragging);
  return batch;
}

}  // namespace kelvo::CardDragBatch
