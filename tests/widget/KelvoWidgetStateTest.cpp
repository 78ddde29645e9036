#include "core/widget/KelvoWidgetState.hpp"

#include <gtest/gtest.h>

#include "core/design/KelvoIcon.hpp"

namespace kelvo {
namespace {

TEST(KelvoWidgetStateTest, EveryStateHasItsWordsIconAndCards) {
  const KelvoWidgetSnapshot shown({{UUID::random(), "Passport", CardType::fact}}, 1, Date(50));
  struct Expected {
    KelvoWidgetState state;
    std::string headline, detail;
    KelvoIcon icon;
  };
  const Expected all[] = {
      {KelvoWidgetState::outdated(Date(7)), "Out of date",
       "Kelvo hasn't run in a while. Open it to bring this up to date.", KelvoIcon::outdated},
      {KelvoWidgetState::cards(shown), "Ready", "The cards you reach for most.",
       KelvoIcon::readyRow},
      {KelvoWidgetState::unavailable(), "Not switched on",
       "This build can't read your library from a widget. The Kelvo actions widget still works.",
       KelvoIcon::unavailable},
      {KelvoWidgetState::waiting(), "Nothing here yet",
       "Open Kelvo once, and the cards you reach for most appear here.", KelvoIcon::waiting},
      {KelvoWidgetState::empty(), "Nothing kept yet",
       "Keep a snippet, an image or a document in Kelvo, and it shows up here.", KelvoIcon::empty},
  };
  for (const Expected& expected : all) {
    EXPECT_EQ(expected.state.headline(), expected.headline);
    EXPECT_EQ(expected.state.detail(), expected.detail);
    EXPECT_EQ(expected.state.accessibilityLabel(), expected.headline + ". " + expected.detail);
    EXPECT_EQ(expected.state.icon(), expected.icon);
    EXPECT_EQ(expected.state.cards().size(), &expected == &all[1] ? 1u : 0u);
  }
  EXPECT_NE(KelvoWidgetState::outdated(Date(7)), KelvoWidgetState::outdated(Date(8)));
}

}  // namespace
}  // namespace kelvo
