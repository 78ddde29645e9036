#include "core/organisation/MacSettingsTab.hpp"
#include "core/organisation/PushedPaneStack.hpp"

#include <gtest/gtest.h>

#include "core/design/KelvoIcon.hpp"

namespace kelvo {
namespace {

TEST(SettingsPaneTest, SettingsTabs) {
  using enum MacSettingsTab;
  EXPECT_EQ(accessibilityIdentifier(general), "settings-tab-general");
  EXPECT_EQ(sidebarIdentifier(shortcuts), "settings-sidebar-shortcuts");
  EXPECT_EQ(icon(account), KelvoIcon::settingsAccount);
  EXPECT_EQ(fromRawValue<MacSettingsTab>("General"), std::nullopt);
}

TEST(SettingsPaneTest, PushedPanes) {
  EXPECT_EQ(PushedPaneStack::depth(false), 1);
  EXPECT_EQ(PushedPaneStack::depth(true), 2);

  PushedPaneStack stack;
  EXPECT_EQ(stack.topDepth(), std::nullopt);
  EXPECT_FALSE(stack.ownsTheWayBack(1));
  stack.appeared(0);
  stack.appeared(-2);
  stack.disappeared(3);
  EXPECT_EQ(stack, PushedPaneStack());

  stack.appeared(1);
  stack.appeared(2);
  EXPECT_TRUE(stack.ownsTheWayBack(2));
  EXPECT_FALSE(stack.ownsTheWayBack(1));
  stack.disappeared(2);
  EXPECT_EQ(stack.topDepth(), 1);
  EXPECT_TRUE(stack.ownsTheWayBack(1));

  stack.appeared(2);
  stack.appeared(2);
  stack.disappeared(2);
  EXPECT_EQ(stack.topDepth(), 2);
  stack.disappeared(2);
  stack.disappeared(1);
  EXPECT_EQ(stack, PushedPaneStack());
}

}  // namespace
}  // namespace kelvo
