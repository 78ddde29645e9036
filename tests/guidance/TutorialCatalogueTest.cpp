#include "core/guidance/TutorialCatalogue.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

std::vector<std::string> slugs(const std::vector<TutorialFeature>& features) {
  std::vector<std::string> result;
  for (const auto& feature : features) result.push_back(feature.slug);
  return result;
}

TEST(TutorialCatalogueTest, ListsByPlatform) {
  const std::vector<std::string> touch{"keep-and-reuse",    "fill-a-form", "ready-row",
                                       "reminders",         "documents",   "beam",
                                       "keyboard-shortcuts"};
  EXPECT_EQ(slugs(TutorialCatalogue::listed()), touch);
  const auto mac = TutorialCatalogue::listed(TutorialPlatform::mac);
  ASSERT_EQ(mac.size(), 12u);
  EXPECT_EQ(mac.front().slug, "mac-library");
  EXPECT_EQ(mac.back().slug, "mac-tools");
  const auto all = TutorialCatalogue::all();
  ASSERT_EQ(all.size(), 19u);

  std::size_t storyboard = 0, withDestination = 0;
  for (const auto& feature : all) {
    EXPECT_EQ(feature.purpose.rfind("For ", 0), 0u) << feature.slug;
    EXPECT_EQ(feature.platforms.size(), 1u);
    if (feature.destination) ++withDestination;
    if (feature.platforms.contains(TutorialPlatform::mac)) {
      EXPECT_EQ(feature.storyboard, static_cast<TutorialStoryboardID>(storyboard++));
    } else {
      EXPECT_EQ(feature.storyboard, std::nullopt);
    }
  }
  EXPECT_EQ(withDestination, 4u);
  EXPECT_EQ(TutorialCatalogue::feature("keep-and-reuse")->destination, KelvoURL::keep());
  EXPECT_EQ(TutorialCatalogue::feature("mac-fill-a-form")->destination, KelvoURL::fillForm());
}

TEST(TutorialCatalogueTest, LooksUpBySlugExactly) {
  EXPECT_EQ(TutorialCatalogue::feature("beam")->title, "Beam");
  EXPECT_EQ(TutorialCatalogue::feature("beam-iphone-to-mac")->storyboard,
            TutorialStoryboardID::beamCrossDevice);
  for (const char* miss : {"Beam", " beam", ""}) {
    EXPECT_EQ(TutorialCatalogue::feature(miss), std::nullopt) << miss;
  }
  EXPECT_EQ(TutorialCatalogue::feature("mac-kelvo-bar")->storyboard,
            TutorialStoryboardID::kelvoBar);
  EXPECT_EQ(TutorialCatalogue::feature("mac-agenda")->clipFilename(), "mac-agenda.mp4");
  EXPECT_EQ(fromRawValue<TutorialStoryboardID>("KelvoBar"), std::nullopt);
  EXPECT_EQ(fromRawValue<TutorialStoryboardID>("kelvo-bar"), std::nullopt);
  EXPECT_EQ(fromRawValue<TutorialPlatform>("Mac"), std::nullopt);
}

TEST(TutorialCatalogueTest, RowsAreExact) {
  const char* const titles[] = {
      "Keep and reuse",
      "Fill a form",
      "Ready Row",
      "Reminders and the Agenda",
      "Documents",
      "Beam",
      "Keyboard shortcuts",
      "Your library on the Mac",
      "Keep anything",
      "Find it fast",
      "Open Kelvo from anywhere (\u2318\u21E7A)",
      "Drop files from Finder",
      "Beam from iPhone to Mac",
      "Desk Drop",
      "The Kelvo Bar palette",
      "Keyboard on the Mac (Return, \u232B, arrows, \u2318F, \u2318/)",
      "Fill a form",
      "Agenda and reminders",
      "Import, Automations, Bridge, Remote control",
  };
  const auto all = TutorialCatalogue::all();
  for (std::size_t i = 0; i < all.size(); ++i) EXPECT_EQ(all[i].title, titles[i]) << i;

  const auto mac = TutorialCatalogue::listed(TutorialPlatform::mac);
  EXPECT_EQ(mac[8].purpose,
            "For working without reaching for the mouse \u2014 arrows move the selection, Return "
            "opens a card, \u232B moves it to Recently Deleted.");
  EXPECT_EQ(mac[7].whereToFind,
            "Open Kelvo Bar, from Kelvo's menu-bar icon or the Kelvo menu. Escape closes it.");
  const auto touch = TutorialCatalogue::touch();
  EXPECT_EQ(touch[6].whereToFind,
            "Press Command-slash, or open Settings and choose Keyboard shortcuts.");
  EXPECT_EQ(touch[0].purpose,
            "For the paragraph you retype every week \u2014 keep it once, then send it again with "
            "the names and dates filled in.");
}

}  // namespace
}  // namespace kelvo
