#pragma once

// The selected cards of the library grid: clicks, command-clicks, shift-click runs and arrow
// moves over the grid's visible order, left to right and top to bottom.
//
//   const UUID a = UUID::random(), b = UUID::random(), c = UUID::random(), d = UUID::random();
//   const std::vector<UUID> visibleOrder{a, b, c, d};  // two columns: a b, then c d
//   GridSelection selection;
//   selection.replace(b);  // a click
//   selection.extend(d, visibleOrder);  // a shift-click: b, c and d
//   const auto below = selection.moved(MoveDirection::down, visibleOrder, 2);  // d, below b

#include <cstddef>
#include <optional>
#include <set>
#include <span>

#include "core/organisation/MoveDirection.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// The selected cards of the library grid, and the anchor from which shift-click ranges and
/// arrow moves start. `order` arguments are the grid's visible order, left to right and top to
/// bottom. The anchor is present exactly when something is selected, and is then selected.
/// Where a member must be picked, it is the smallest identifier.
class GridSelection {
 public:
  GridSelection() = default;
  explicit GridSelection(std::set<UUID> selected);

  const std::set<UUID>& selected() const { return selected_; }
  std::size_t count() const { return selected_.size(); }
  bool isEmpty() const { return selected_.empty(); }
  bool contains(const UUID& id) const { return selected_.contains(id); }

  void clear();
  /// A plain click: just this card, which becomes the anchor.
  void replace(const UUID& id);
  /// A command-click: selects the card as the anchor, or deselects it.
  void toggle(const UUID& id);
  /// A shift-click: the run of `order` from the anchor to the card replaces the selection; the
  /// anchor stays. Without an anchor in `order`, or with the card not in it, a plain click.
  void extend(const UUID& id, std::span<const UUID> order);
  /// Every card of `order`, anchored at the first.
  void selectAll(std::span<const UUID> order);
  /// Drops the selected cards not in `keeping`.
  void prune(const std::set<UUID>& keeping);

  /// Where an arrow key moves the selection in a grid of `columns` columns (1 when fewer);
  /// none for an empty order. Left and right walk the order; up and down stop at its ends.
  std::optional<UUID> moved(MoveDirection direction, std::span<const UUID> order,
                            int columns) const;

  // The anchor takes no part.
  friend bool operator==(const GridSelection& a, const GridSelection& b) {
    return a.selected_ == b.selected_;
  }

 private:
  std::optional<UUID> firstSelected() const;

  std::set<UUID> selected_;
  std::optional<UUID> anchor_;
};

}  // namespace kelvo
