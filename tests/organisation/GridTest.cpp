// The library grid: its keys, its selection, and the verbs and drags of the cards in it.
#include "core/organisation/CardDragBatch.hpp"
#include "core/organisation/CardMenuCapabilities.hpp"
#include "core/organisation/GridKeyDecision.hpp"
#include "core/organisation/GridSelection.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <vector>

#include "core/model/Card.hpp"
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

using V = CardVerb;

std::shared_ptr<Card> card(std::string_view typeRaw, bool pinned, std::string payload = "") {
  auto made = Card::make({.id = UUID::random(), .payload = std::move(payload)});
  made->setTypeRaw(std::string(typeRaw));
  made->setIsPinned(pinned);
  return made;
}

TEST(CardMenuCapabilitiesTest, Verbs) {
  using CardMenuCapabilities::sharedVerbs;
  using CardMenuCapabilities::verbs;
  const CardVerbs base{V::use,         V::show,      V::share,  V::beam,
                       V::moveToShelf, V::duplicate, V::select, V::delete_};
  auto with = [&](std::initializer_list<V> more) {
    CardVerbs all = base;
    all.insert(more);
    return all;
  };
  const auto pinnedText = card("text", true, "Hello");
  const auto image = card("image", false);
  const auto pinnedImage = card("image", true);
  const auto fact = card("fact", false, "{name}");
  const auto filled = card("text", false, "Dear {name},");

  EXPECT_EQ(verbs(*pinnedText), with({V::copy, V::unpin}));
  EXPECT_EQ(verbs(*image), with({V::copy, V::pin, V::open}));
  EXPECT_EQ(verbs(*filled), with({V::fillAndCopy, V::pin}));
  EXPECT_EQ(verbs(*fact), with({V::copy, V::pin}));  // blanks count in text cards only
  EXPECT_EQ(verbs(*card("sticker", false)), with({V::copy, V::pin, V::open}));
  EXPECT_EQ(verbs(*card("document", false)), verbs(*image));

  const std::vector<std::shared_ptr<Card>> images{image, pinnedImage};
  const std::vector<std::shared_ptr<Card>> mixed{image, fact};
  const std::vector<std::shared_ptr<Card>> texts{pinnedText, filled};
  EXPECT_TRUE(sharedVerbs({}).empty());
  EXPECT_EQ(sharedVerbs(std::vector{image}), verbs(*image));
  EXPECT_EQ(sharedVerbs(images), with({V::copy, V::open}));
  EXPECT_EQ(sharedVerbs(mixed), with({V::copy, V::pin}));
  EXPECT_EQ(sharedVerbs(texts), base);
}

TEST(CardMenuCapabilitiesTest, RightClickAndDragTargets) {
  using CardDragBatch::ids;
  using CardMenuCapabilities::targetIDs;
  using Ids = std::vector<UUID>;
  const Ids visible{uuid(1), uuid(2), uuid(3), uuid(4), uuid(5)};
  GridSelection three(std::set<UUID>{uuid(4), uuid(2), uuid(3)});

  EXPECT_EQ(targetIDs(uuid(1), three, visible), (Ids{uuid(1)}));
  EXPECT_EQ(targetIDs(uuid(4), three, visible), (Ids{uuid(2), uuid(3), uuid(4)}));
  EXPECT_EQ(targetIDs(uuid(1), GridSelection(std::set<UUID>{uuid(1)}), visible), (Ids{uuid(1)}));
  // Selected but none visible: the clicked card alone.
  EXPECT_EQ(targetIDs(uuid(8), GridSelection(std::set<UUID>{uuid(8), uuid(9)}), visible),
            (Ids{uuid(8)}));

  EXPECT_EQ(ids(uuid(2), {uuid(2)}, visible), (Ids{uuid(2)}));
  EXPECT_EQ(ids(uuid(9), {uuid(9), uuid(3), uuid(7)}, visible), (Ids{uuid(3), uuid(9)}));
  const Ids repeated{uuid(3), uuid(1), uuid(3)};
  EXPECT_EQ(ids(uuid(1), {uuid(1), uuid(3)}, repeated), (Ids{uuid(3), uuid(1)}));
}

}  // namespace
}  // namespace kelvo
