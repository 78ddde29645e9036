#include "core/guidance/TutorialCatalogue.hpp"

#include <gtest/gtest.h>
#include <fstream>
#include "core/guidance/TutorialLibrary.hpp"
#include "tests/support/TestSupport.hpp"

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
  EXPECT_EQ(TutorialCatalogue::feature("mac-agenda")->clipFilename(), "mac-agenda.mp4");
  EXPECT_EQ(fromRawValue<TutorialStoryboardID>("KelvoBar"), std::nullopt);
  EXPECT_EQ(fromRawValue<TutorialStoryboardID>("kelvo-bar"), std::nullopt);
  EXPECT_EQ(fromRawValue<TutorialPlatform>("Mac"), std::nullopt);
}

TEST(TutorialCatalogueTest, RowsAreExact) {
  const auto all = TutorialCatalogue::all();
  EXPECT_EQ(all.front().title, "Keep and reuse");
  EXPECT_EQ(all[10].title, "Open Kelvo from anywhere (\u2318\u21E7A)");
  EXPECT_EQ(all[15].title, "Keyboard on the Mac (Return, \u232B, arrows, \u2318F, \u2318/)");
  EXPECT_EQ(all.back().title, "Import, Automations, Bridge, Remote control");

  const auto mac = TutorialCatalogue::listed(TutorialPlatform::mac);
  EXPECT_EQ(mac[8].purpose,
            "For working without reaching for the mouse \u2014 arrows move the selection, Return "
            "opens a card, \u232B moves it to Recently Deleted.");
  const auto touch = TutorialCatalogue::touch();
  EXPECT_EQ(touch[0].purpose,
            "For the paragraph you retype every week \u2014 keep it once, then send it again with "
            "the names and dates filled in.");
}

const std::string unreadable(TutorialLibrary::unreadableReason);
const std::string empty(TutorialLibrary::emptyReason);

TEST(TutorialLibraryTest, ClipsFromRealFiles) {
  const testing::TemporaryDirectory root;
  const auto folder = root.path() / std::string(TutorialCatalogue::bundleSubdirectory);
  std::filesystem::create_directories(folder / "beam.mp4");
  std::ofstream(folder / "keep-and-reuse.mp4") << "mp4 bytes";
  std::ofstream(folder / "ready-row.mp4");
  std::ofstream(folder / "documents.mp4") << "x";
  std::ofstream(folder / "mac-keep.mp4") << "x";
  std::ofstream(folder / "reminders.mp4") << "x";

  std::vector<std::string> asked;
  const TutorialLibrary library([&](std::string_view name) -> std::optional<URL> {
    asked.emplace_back(name);
    const auto path = folder / std::string(name);
    if (!std::filesystem::exists(path)) return std::nullopt;
    // Gone between being located and being measured.
    if (name == "reminders.mp4") std::filesystem::remove(path);
    return URL::fileURL(path);
  });
  const auto feature = [](const char* slug) { return *TutorialCatalogue::feature(slug); };

  EXPECT_EQ(library.clip(feature("keep-and-reuse")),
            TutorialClip::ready(URL::fileURL(folder / "keep-and-reuse.mp4")));
  EXPECT_EQ(library.clip(feature("ready-row")), TutorialClip::unplayable(empty));
  EXPECT_EQ(library.clip(feature("beam")), TutorialClip::unplayable(unreadable));
  EXPECT_EQ(library.clip(feature("reminders")), TutorialClip::unplayable(unreadable));
  EXPECT_EQ(library.clip(feature("fill-a-form")), TutorialClip::missing());
  EXPECT_TRUE(library.clip(feature("mac-keep")).isPlayable());

  asked.clear();
  std::vector<std::string> playable;
  for (const auto& with : library.featuresWithClips()) playable.push_back(with.slug);
  EXPECT_EQ(playable, (std::vector<std::string>{"keep-and-reuse", "documents"}));
  EXPECT_EQ(asked, (std::vector<std::string>{"keep-and-reuse.mp4", "fill-a-form.mp4",
                                             "ready-row.mp4", "reminders.mp4", "documents.mp4",
                                             "beam.mp4", "keyboard-shortcuts.mp4"}));
  EXPECT_FALSE(library.isEmpty());
}

TEST(TutorialLibraryTest, MeasuringRules) {
  int measured = 0;
  const TutorialLibrary nowhere([](std::string_view) { return std::optional<URL>(); },
                                [&](const URL&) {
                                  ++measured;
                                  return std::optional<std::int64_t>(5);
                                });
  EXPECT_TRUE(nowhere.isEmpty());
  EXPECT_EQ(measured, 0);

  const URL web = *URL::parse("https://example.com/clips/beam.mp4");
  const TutorialLibrary online([&](std::string_view) { return std::optional(web); });
  EXPECT_EQ(online.clip(*TutorialCatalogue::feature("beam")), TutorialClip::ready(web));
  EXPECT_EQ(TutorialLibrary::byteCount(URL::fileURL("/nonexistent/clip.mp4")), std::nullopt);

  const TutorialLibrary negative([&](std::string_view) { return std::optional(web); },
                                 [](const URL&) { return std::optional<std::int64_t>(-1); });
  EXPECT_EQ(negative.clip(*TutorialCatalogue::feature("beam")), TutorialClip::unplayable(empty));
  EXPECT_NE(TutorialClip::unplayable(empty), TutorialClip::unplayable(unreadable));
  EXPECT_EQ(TutorialClip::missing().url(), std::nullopt);
}

}  // namespace
}  // namespace kelvo
