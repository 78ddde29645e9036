#include "core/organisation/GridKeyDecision.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

using testing::uuid;
using Action = GridKeyAction;

TEST(GridKeyDecisionTest, KeyCodes) {
  EXPECT_EQ(gridKey(36), GridKey::returnKey);
  EXPECT_EQ(gridKey(76), GridKey::returnKey);
  EXPECT_EQ(gridKey(124), GridKey::right);
  for (const int code : {0, 35, 48, 53, 127, -1, 1 << 20}) EXPECT_EQ(gridKey(code), std::nullopt);
}

TEST(GridKeyDecisionTest, DecisionTableInOrder) {
  const std::vector<UUID> none, one{uuid(1)}, two{uuid(1), uuid(2)};
  const Action pass{Action::Pass{}};
  struct Case {
    GridKey key;
    FocusOwner focus;
    const std::vector<UUID>& selected;
    bool visible, editing;
    Action expected;
  };
  const Case cases[] = {
      // 1: editing text passes everything.
      {GridKey::returnKey, FocusOwner::grid, one, true, true, pass},
      {GridKey::down, FocusOwner::grid, none, true, true, pass},
      // 2: the sidebar, the search field and sheets keep their keys.
      {GridKey::returnKey, FocusOwner::sidebar, one, true, false, pass},
      {GridKey::deleteKey, FocusOwner::search, one, true, false, pass},
      {GridKey::up, FocusOwner::sheet, one, true, false, pass},
      // 3 and 4: Return opens one selected card in the focused grid.
      {GridKey::returnKey, FocusOwner::grid, one, true, false, {Action::Open{uuid(1)}}},
      {GridKey::returnKey, FocusOwner::grid, two, true, false, pass},
      {GridKey::returnKey, FocusOwner::other, one, true, false, pass},
      // 5 and 6: the delete keys.
      {GridKey::deleteKey, FocusOwner::grid, two, true, false, {Action::DeleteSelected{}}},
      {GridKey::forwardDeleteKey, FocusOwner::grid, one, true, false, {Action::DeleteSelected{}}},
      {GridKey::deleteKey, FocusOwner::grid, none, true, false, pass},
      {GridKey::forwardDeleteKey, FocusOwner::other, one, true, false, pass},
      // 7: space always passes.
      {GridKey::space, FocusOwner::grid, one, true, false, pass},
      // 8: arrows move a selection, whether the grid or something else has the focus.
      {GridKey::up, FocusOwner::grid, one, true, false, {Action::Move{MoveDirection::up}}},
      {GridKey::down, FocusOwner::other, two, true, false, {Action::Move{MoveDirection::down}}},
      {GridKey::left, FocusOwner::grid, one, true, false, {Action::Move{MoveDirection::left}}},
      {GridKey::right, FocusOwner::grid, one, false, false, {Action::Move{MoveDirection::right}}},
      // 9: only Down starts a selection, and only with a card to select.
      {GridKey::down, FocusOwner::grid, none, true, false, {Action::SelectFirst{}}},
      {GridKey::down, FocusOwner::other, none, true, false, {Action::SelectFirst{}}},
      // 10: every other arrow passes.
      {GridKey::down, FocusOwner::grid, none, false, false, pass},
      {GridKey::up, FocusOwner::grid, none, true, false, pass},
      {GridKey::left, FocusOwner::grid, none, true, false, pass},
      {GridKey::right, FocusOwner::grid, none, true, false, pass},
  };
  for (std::size_t row = 0; row < std::size(cases); ++row) {
    const Case& c = cases[row];
    EXPECT_EQ(GridKeyDecision::decide(c.key, c.focus, c.selected, c.visible, c.editing), c.expected)
        << "case " << row;
  }
}

}  // namespace
}  // namespace kelvo
