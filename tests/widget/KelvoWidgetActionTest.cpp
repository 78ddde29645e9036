#include "core/widget/KelvoWidgetAction.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(KelvoWidgetActionTest, ActionsInOrderWithTheirWordsIconsAndLinks) {
  const auto actions = allCases<KelvoWidgetAction>();
  ASSERT_EQ(actions.size(), 3u);
  EXPECT_EQ(actions[0], KelvoWidgetAction::keep);
  EXPECT_EQ(actions[2], KelvoWidgetAction::search);
  EXPECT_EQ(fromRawValue<KelvoWidgetAction>("fill"), KelvoWidgetAction::fill);
  EXPECT_FALSE(fromRawValue<KelvoWidgetAction>("Keep"));

  EXPECT_EQ(title(KelvoWidgetAction::keep), "Keep");
  EXPECT_EQ(detailText(KelvoWidgetAction::keep), "What's on the clipboard");
  EXPECT_EQ(accessibilityLabel(KelvoWidgetAction::keep), "Keep the clipboard in Kelvo");
  EXPECT_EQ(title(KelvoWidgetAction::fill), "Fill a form");
  EXPECT_EQ(detailText(KelvoWidgetAction::fill), "Details into a form");
  EXPECT_EQ(accessibilityLabel(KelvoWidgetAction::fill), "Fill a form with details from Kelvo");
  EXPECT_EQ(title(KelvoWidgetAction::search), "Search");
  EXPECT_EQ(detailText(KelvoWidgetAction::search), "Find a card");
  EXPECT_EQ(accessibilityLabel(KelvoWidgetAction::search), "Search your Kelvo library");
  EXPECT_EQ(icon(KelvoWidgetAction::keep), KelvoIcon::keepInto);
  EXPECT_EQ(icon(KelvoWidgetAction::fill), KelvoIcon::fillAForm);
  EXPECT_EQ(icon(KelvoWidgetAction::search), KelvoIcon::search);
}

TEST(KelvoWidgetActionTest, TilesAreKeepFillSearchWithTheirLinks) {
  const auto& tiles = KelvoWidgetTile::all();
  ASSERT_EQ(tiles.size(), 3u);
  EXPECT_EQ(tiles[0].action, KelvoWidgetAction::keep);
  EXPECT_EQ(tiles[1].action, KelvoWidgetAction::fill);
  EXPECT_EQ(tiles[2].action, KelvoWidgetAction::search);
  EXPECT_EQ(tiles[0].url.absoluteString(), "kelvo://keep");
  EXPECT_EQ(tiles[1].url.absoluteString(), "kelvo://fill");
  EXPECT_EQ(KelvoURL::parse(tiles[2].url), KelvoURL::search("*"));
  EXPECT_EQ(tiles[1].accessibilityLabel(), "Fill a form with details from Kelvo");
  EXPECT_EQ(tiles[2].detail(), "Find a card");
  // Equal only when both the action and the link are.
  EXPECT_NE(tiles[0], (KelvoWidgetTile{KelvoWidgetAction::keep, tiles[1].url}));
  EXPECT_NE(tiles[0], (KelvoWidgetTile{KelvoWidgetAction::fill, tiles[0].url}));
  EXPECT_EQ(tiles[0], (KelvoWidgetTile{KelvoWidgetAction::keep, *URL::parse("kelvo://keep")}));
}

}  // namespace
}  // namespace kelvo
