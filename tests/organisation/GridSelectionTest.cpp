#include "core/organisation/GridSelection.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

using testing::uuid;
using Set = std::set<UUID>;

TEST(GridSelectionTest, ClicksAndAnchor) {
  const std::vector<UUID> order{uuid(1), uuid(2), uuid(3), uuid(4), uuid(5), uuid(6)};
  // The anchor shows as the card after it: an arrow move starts from the anchor.
  auto anchored = [&](const GridSelection& selection) {
    return selection.moved(MoveDirection::right, order, 1);
  };

  EXPECT_TRUE(GridSelection(Set{}).isEmpty());
  EXPECT_EQ(GridSelection(Set{}).moved(MoveDirection::right, order, 1), uuid(1));
  EXPECT_EQ(anchored(GridSelection(Set{uuid(3)})), uuid(4));
  EXPECT_EQ(anchored(GridSelection(Set{uuid(4), uuid(2)})), uuid(3));  // the smallest

  GridSelection selection;
  selection.replace(uuid(2));
  selection.toggle(uuid(4));  // a new member becomes the anchor
  EXPECT_EQ(selection.selected(), (Set{uuid(2), uuid(4)}));
  EXPECT_EQ(anchored(selection), uuid(5));
  selection.toggle(uuid(5));
  selection.toggle(uuid(4));  // not the anchor: it stays
  EXPECT_EQ(anchored(selection), uuid(6));
  selection.toggle(uuid(5));  // the anchor: the smallest remaining member takes over
  EXPECT_EQ(anchored(selection), uuid(3));
  selection.toggle(uuid(2));
  EXPECT_TRUE(selection.isEmpty());
  EXPECT_EQ(selection.moved(MoveDirection::left, order, 1), uuid(6));

  // Ranges replace the selection and measure from the same anchor.
  selection.replace(uuid(3));
  selection.extend(uuid(5), order);
  EXPECT_EQ(selection.selected(), (Set{uuid(3), uuid(4), uuid(5)}));
  selection.extend(uuid(1), order);
  EXPECT_EQ(selection.selected(), (Set{uuid(1), uuid(2), uuid(3)}));
  selection.extend(uuid(3), order);
  EXPECT_EQ(selection.selected(), (Set{uuid(3)}));
  const std::vector<UUID> without3{uuid(1), uuid(2), uuid(4)};
  selection.extend(uuid(4), without3);  // the anchor left: a plain click
  EXPECT_EQ(selection.selected(), (Set{uuid(4)}));
  EXPECT_EQ(anchored(selection), uuid(5));

  selection.selectAll(order);
  EXPECT_EQ(selection.count(), 6u);
  EXPECT_EQ(anchored(selection), uuid(2));
  selection.selectAll({});
  EXPECT_TRUE(selection.isEmpty());

  selection.selectAll(order);
  selection.prune({uuid(1), uuid(4), uuid(9)});
  EXPECT_EQ(selection.selected(), (Set{uuid(1), uuid(4)}));
  EXPECT_EQ(anchored(selection), uuid(2));
  selection.toggle(uuid(4));
  selection.toggle(uuid(4));
  selection.prune({uuid(1)});  // the anchor went
  EXPECT_EQ(anchored(selection), uuid(2));
  selection.prune({uuid(9)});
  EXPECT_TRUE(selection.isEmpty());
  EXPECT_EQ(selection.moved(MoveDirection::down, order, 1), uuid(1));

  // Equality ignores the anchor.
  GridSelection a, b;
  a.selectAll(order);
  b.selectAll(std::vector<UUID>(order.rbegin(), order.rend()));
  EXPECT_EQ(a, b);
  EXPECT_FALSE(a.contains(uuid(9)));
}

TEST(GridSelectionTest, ArrowMoves) {
  std::vector<UUID> order;
  for (int n = 0; n < 10; ++n) order.push_back(uuid(n));  // three columns: rows of 3, 3, 3, 1
  struct Case {
    int anchor;
    MoveDirection direction;
    int columns, expected;
  };
  const Case cases[] = {
      {0, MoveDirection::left, 3, 0},
      {3, MoveDirection::left, 3, 2},
      {2, MoveDirection::right, 3, 3},
      {9, MoveDirection::right, 3, 9},
      {1, MoveDirection::up, 3, 0},
      {4, MoveDirection::up, 3, 1},
      {4, MoveDirection::down, 3, 7},
      {8, MoveDirection::down, 3, 9},
      {4, MoveDirection::down, 0, 5},
      {4, MoveDirection::up, -3, 3},
      {4, MoveDirection::down, std::numeric_limits<int>::max(), 9},
      {4, MoveDirection::up, std::numeric_limits<int>::max(), 0},
  };
  for (const Case& c : cases) {
    GridSelection selection;
    selection.replace(uuid(c.anchor));
    EXPECT_EQ(selection.moved(c.direction, order, c.columns), uuid(c.expected))
        << c.anchor << " " << rawValue(c.direction) << " " << c.columns;
  }
  GridSelection selection;
  selection.replace(uuid(4));
  EXPECT_EQ(selection.moved(MoveDirection::down, {}, 3), std::nullopt);
  selection.replace(uuid(42));  // not visible
  EXPECT_EQ(selection.moved(MoveDirection::up, order, 3), uuid(9));
  EXPECT_EQ(selection.moved(MoveDirection::right, order, 3), uuid(0));
}

}  // namespace
}  // namespace kelvo
