#include "core/organisation/PushedPaneStack.hpp"

namespace kelvo {

void PushedPaneStack::appeared(std::int64_t depth) {
  if (depth <= 0) return;
  ++screensAtDepth_[depth];
}

void PushedPaneStack::disappeared(std::int64_t depth) {
  const auto entry = screensAtDepth_.find(depth);
  if (entry == screensAtDepth_.end()) return;
  if (entry->second <= 1) {
    screensAtDepth_.erase(entry);
  } else {
    --entry->second;
  }
}

std::optional<std::int64_t> PushedPaneStack::topDepth() const {
  if (screensAtDepth_.empty()) return std::nullopt;
  return screensAtDepth_.rbegin()->first;
}

}  // namespace kelvo
