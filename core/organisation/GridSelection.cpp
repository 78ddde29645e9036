#include "core/organisation/GridSelection.hpp"

#include <algorithm>
#include <utility>

namespace kelvo {
namespace {

std::optional<std::size_t> indexOf(const UUID& id, std::span<const UUID> order) {
  const auto found = std::find(order.begin(), order.end(), id);
  if (found == order.end()) return std::nullopt;
  return static_cast<std::size_t>(found - order.begin());
}

}  // namespace

GridSelection::GridSelection(std::set<UUID> selected)
    : selected_(std::move(selected)), anchor_(firstSelected()) {}

std::optional<UUID> GridSelection::firstSelected() const {
  if (selected_.empty()) return std::nullopt;
  return *selected_.begin();
}

void GridSelection::clear() {
  selected_.clear();
  anchor_.reset();
}

void GridSelection::replace(const UUID& id) {
  selected_ = {id};
  anchor_ = id;
}

void GridSelection::toggle(const UUID& id) {
  if (selected_.erase(id) == 0) {
    selected_.insert(id);
    anchor_ = id;
  } else if (anchor_ == id) {
    anchor_ = firstSelected();
  }
}

void GridSelection::extend(const UUID& id, std::span<const UUID> order) {
  const auto from = anchor_ ? indexOf(*anchor_, order) : std::nullopt;
  const auto to = indexOf(id, order);
  if (!from || !to) {
    replace(id);
    return;
  }
  const auto [lo, hi] = std::minmax(*from, *to);
  selected_ = std::set<UUID>(order.begin() + static_cast<std::ptrdiff_t>(lo),
                             order.begin() + static_cast<std::ptrdiff_t>(hi) + 1);
}

void GridSelection::selectAll(std::span<const UUID> order) {
  selected_ = std::set<UUID>(order.begin(), order.end());
  anchor_ = order.empty() ? std::nullopt : std::optional<UUID>(order.front());
}

void GridSelection::prune(const std::set<UUID>& keeping) {
  std::erase_if(selected_, [&](const UUID& id) { return !keeping.contains(id); });
  if (!anchor_ || !keeping.contains(*anchor_)) anchor_ = firstSelected();
}

std::optional<UUID> GridSelection::moved(MoveDirection direction, std::span<const UUID> order,
                                         int columns) const {
  const std::size_t n = order.size();
  if (n == 0) return std::nullopt;
  const auto c = static_cast<std::size_t>(std::max(columns, 1));
  const auto at = anchor_ ? indexOf(*anchor_, order) : std::nullopt;
  if (!at) {
    const bool backwards = direction == MoveDirection::left || direction == MoveDirection::up;
    return backwards ? order.back() : order.front();
  }
  const std::size_t i = *at;
  std::size_t result = i;
  switch (direction) {
    case MoveDirection::left:
      result = i == 0 ? 0 : i - 1;
      break;
    case MoveDirection::right:
      result = i + 1 < n ? i + 1 : i;
      break;
    case MoveDirection::up:
      result = i >= c ? i - c : 0;
      break;
    case MoveDirection::down:
      // Compared against what is left, so a huge column count cannot overflow.
      result = c < n - i ? i + c : n - 1;
      break;
  }
  return order[result];
}

}  // namespace kelvo
