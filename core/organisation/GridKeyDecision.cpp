#include "core/organisation/GridKeyDecision.hpp"

#include <optional>

namespace kelvo::GridKeyDecision {
namespace {

std::optional<MoveDirection> direction(GridKey key) {
  switch (key) {
    case GridKey::up:
      return MoveDirection::up;
    case GridKey::down:
      return MoveDirection::down;
    case GridKey::left:
      return MoveDirection::left;
    case GridKey::right:
      return MoveDirection::right;
    default:
      return std::nullopt;
  }
}

}  // namespace

GridKeyAction decide(GridKey key, FocusOwner focus, std::span<const UUID> selected,
                     bool hasVisibleCards, bool isEditingText) {
  const GridKeyAction pass{GridKeyAction::Pass{}};
  if (isEditingText) return pass;
  if (focus == FocusOwner::sidebar || focus == FocusOwner::search || focus == FocusOwner::sheet) {
    return pass;
  }
  const bool gridHasFocus = focus == FocusOwner::grid;
  switch (key) {
    case GridKey::returnKey:
      if (gridHasFocus && selected.size() == 1) return {GridKeyAction::Open{selected.front()}};
      return pass;
    case GridKey::deleteKey:
    case GridKey::forwardDeleteKey:
      if (gridHasFocus && !selected.empty()) return {GridKeyAction::DeleteSelected{}};
      return pass;
    case GridKey::space:
      return pass;
    default:
      break;
  }
  const auto move = direction(key);
  if (!move) return pass;
  if (!selected.empty()) return {GridKeyAction::Move{*move}};
  if (key == GridKey::down && hasVisibleCards) return {GridKeyAction::SelectFirst{}};
  return pass;
}

}  // namespace kelvo::GridKeyDecision
