#include "core/guidance/TutorialLibrary.hpp"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

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
