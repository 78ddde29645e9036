#include "core/organisation/MacSettingsTab.hpp"
#include "core/organisation/PushedPaneStack.hpp"

#include <gtest/gtest.h>

#include "core/design/KelvoIcon.hpp"

namespace kelvo {
namespace {

TEST(SettingsPaneTest, SettingsTabs) {
  const struct {
    MacSettingsTab tab;
    const char* raw;
    const char* title;
    KelvoIcon icon;
  } tabs[] = {
      {MacSettingsTab::general, "general", "General", KelvoIcon::settingsGeneral},
      {MacSettingsTab::appearance, "appearance", "Appearance", KelvoIcon::settingsAppearance},
      {MacSettingsTab::automations, "automations", "Automations", KelvoIcon::settingsAutomations},
      {MacSettingsTab::integrations, "integrations", "Integrations",
       KelvoIcon::settingsIntegrations},
      {MacSettingsTab::account, "account", "Account", KelvoIcon::settingsAccount},
      {MacSettingsTab::shortcuts, "shortcuts", "Shortcuts", KelvoIcon::settingsShortcuts},
  };
  ASSERT_EQ(allCases<MacSettingsTab>().size(), std::size(tabs));
  for (std::size_t index = 0; index < std::size(tabs); ++index) {
    const auto& expected = tabs[index];
    EXPECT_EQ(allCases<MacSettingsTab>()[index], expected.tab);
    EXPECT_EQ(fromRawValue<MacSettingsTab>(expected.raw), expected.tab);
    EXPECT_EQ(title(expected.tab), expected.title);
    EXPECT_EQ(icon(expected.tab), expected.icon);
    EXPECT_EQ(accessibilityIdentifier(expected.tab), std::string("settings-tab-") + expected.raw);
    EXPECT_EQ(sidebarIdentifier(expected.tab), std::string("settings-sidebar-") + expected.raw);
  }
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
