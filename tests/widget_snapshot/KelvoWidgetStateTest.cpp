#include "core/design/KelvoWidgetState.hpp"

#include <gtest/gtest.h>

#include "core/design/KelvoIcon.hpp"
#include "tests/design/GermanCatalogue.hpp"

namespace kelvo {
namespace {

KelvoWidgetSnapshot snapshot() {
  return KelvoWidgetSnapshot({{UUID::random(), "Passport", CardType::fact}}, 1, Date(50));
}

TEST(KelvoWidgetStateTest, EveryStateHasItsWordsAndIcon) {
  struct Expected {
    KelvoWidgetState state;
    const char* headline;
    const char* detail;
    KelvoIcon icon;
  };
  const Expected all[] = {
      {KelvoWidgetState::outdated(Date(7)), "Out of date",
       "Kelvo hasn't run in a while. Open it to bring this up to date.", KelvoIcon::outdated},
      {KelvoWidgetState::cards(snapshot()), "Ready", "The cards you reach for most.",
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
    EXPECT_EQ(expected.state.accessibilityLabel(),
              std::string(expected.headline) + ". " + expected.detail);
    EXPECT_EQ(expected.state.icon(), expected.icon);
  }
  EXPECT_EQ(KelvoWidgetState::cards(snapshot()).accessibilityLabel(),
            "Ready. The cards you reach for most.");
}

TEST(KelvoWidgetStateTest, OnlyTheCardsStateCarriesCards) {
  const KelvoWidgetSnapshot shown = snapshot();
  EXPECT_EQ(KelvoWidgetState::cards(shown).cards(), shown.cards());
  EXPECT_TRUE(KelvoWidgetState::cards(KelvoWidgetSnapshot({}, 2, Date())).cards().empty());
  EXPECT_TRUE(KelvoWidgetState::outdated(Date(7)).cards().empty());
  EXPECT_TRUE(KelvoWidgetState::waiting().cards().empty());

  EXPECT_EQ(KelvoWidgetState::outdated(Date(7)), KelvoWidgetState::outdated(Date(7)));
  EXPECT_NE(KelvoWidgetState::outdated(Date(7)), KelvoWidgetState::outdated(Date(8)));
  EXPECT_NE(KelvoWidgetState::waiting(), KelvoWidgetState::empty());
  EXPECT_EQ(KelvoWidgetState::outdated(Date(7)).as<KelvoWidgetState::Outdated>()->capturedAt,
            Date(7));
}

TEST(KelvoWidgetStateTest, WordsAreLocalisedWhenAskedFor) {
  testing::GermanCatalogue german({{"Ready", "Bereit"}});
  if (!german.installed()) GTEST_SKIP() << "no C.UTF-8 locale";
  EXPECT_EQ(KelvoWidgetState::cards(snapshot()).accessibilityLabel(),
            "Bereit. The cards you reach for most.");
}

}  // namespace
}  // namespace kelvo
