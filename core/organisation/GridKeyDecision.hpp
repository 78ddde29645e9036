#pragma once

// What a key press means to the card grid: open, move the selection, delete, select the first
// card, or pass the key on to the focused control.
//
//   const std::vector<UUID> selected{UUID::random()};
//   const std::optional<GridKey> key = gridKey(125);  // the down arrow's key code
//   const GridKeyAction action = GridKeyDecision::decide(*key, FocusOwner::grid, selected,
//                                                        /*hasVisibleCards=*/true,
//                                                        /*isEditingText=*/false);  // move down

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <variant>

#include "core/organisation/GridKey.hpp"
#include "core/organisation/MoveDirection.hpp"
#include "platform/foundation/RawValues.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// Who holds the keyboard focus while the grid is on screen. It has no coded form.
enum class FocusOwner : std::uint8_t { grid, sidebar, search, sheet, other };

template <>
struct RawValues<FocusOwner> {
  static constexpr std::array<std::pair<FocusOwner, std::string_view>, 5> table{{
      {FocusOwner::grid, "grid"},
      {FocusOwner::sidebar, "sidebar"},
      {FocusOwner::search, "search"},
      {FocusOwner::sheet, "sheet"},
      {FocusOwner::other, "other"},
  }};
};

/// What the host does with a key press.
struct GridKeyAction {
  /// Open that card.
  struct Open {
    UUID card;
    friend bool operator==(const Open&, const Open&) = default;
  };
  /// Move the selection one step.
  struct Move {
    MoveDirection direction;
    friend bool operator==(const Move&, const Move&) = default;
  };
  /// Delete the selected cards.
  struct DeleteSelected {
    friend bool operator==(const DeleteSelected&, const DeleteSelected&) = default;
  };
  /// Select the first visible card.
  struct SelectFirst {
    friend bool operator==(const SelectFirst&, const SelectFirst&) = default;
  };
  /// Not the grid's key: let it go on to the focused control.
  struct Pass {
    friend bool operator==(const Pass&, const Pass&) = default;
  };

  std::variant<Open, Move, DeleteSelected, SelectFirst, Pass> value;

  friend bool operator==(const GridKeyAction&, const GridKeyAction&) = default;
};

/// What a key press means to the card grid, from the key, the focus, the selection, whether a
/// card is visible and whether text is being edited.
namespace GridKeyDecision {

GridKeyAction decide(GridKey key, FocusOwner focus, std::span<const UUID> selected,
                     bool hasVisibleCards, bool isEditingText);

}  // namespace GridKeyDecision
}  // namespace kelvo
