#include <gtest/gtest.h>

#include <algorithm>

#include "core/design/AppearancePreference.hpp"
#include "core/design/CaptureAttachOption.hpp"
#include "core/design/KelvoButtonCopy.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/UserDefaults.hpp"
#include "tests/support/GermanCatalogue.hpp"

namespace kelvo {
namespace {

using Preference = AppearancePreference;

TEST(AppearancePreferenceTest, AnythingButAStoredRawValueReadsAsDark) {
  EXPECT_EQ(allCases<Preference>(),
            (std::array{Preference::dark, Preference::light, Preference::system}));
  EXPECT_EQ(title(Preference::system), "Match system");
  EXPECT_EQ(appearancePreference("light"), Preference::light);
  for (const char* stored : {"Light", "", " light"}) {
    EXPECT_EQ(appearancePreference(stored), Preference::dark) << stored;
  }
  EXPECT_EQ(appearancePreference(std::nullopt), Preference::dark);

  // A UI-test launch takes the requested preference, system when none is; others the stored one.
  EXPECT_EQ(resolvedAppearancePreference("light", true, std::nullopt), Preference::system);
  EXPECT_EQ(resolvedAppearancePreference("light", true, Preference::dark), Preference::dark);
  EXPECT_EQ(resolvedAppearancePreference("light", false, Preference::dark), Preference::light);
  EXPECT_EQ(resolvedAppearancePreference(std::nullopt, false, Preference::light), Preference::dark);

  UserDefaults defaults;
  EXPECT_EQ(storedAppearancePreference(defaults), Preference::dark);
  defaults.set("kelvo.appearance", std::string("system"));
  EXPECT_EQ(storedAppearancePreference(defaults), Preference::system);
  defaults.set("kelvo.appearance", 1);  // not a text
  EXPECT_EQ(storedAppearancePreference(defaults), Preference::dark);
}

using Option = CaptureAttachOption;

TEST(CaptureAttachOptionTest, Rows) {
  EXPECT_EQ(allCases<Option>(), (std::array{Option::photoLibrary, Option::file}));
  EXPECT_EQ(fromRawValue<Option>("photoLibrary"), Option::photoLibrary);
  EXPECT_FALSE(fromRawValue<Option>("photo-library"));
  EXPECT_EQ(title(Option::file), "Choose file");
  EXPECT_EQ(icon(Option::file), KelvoIcon::browseFiles);
  EXPECT_EQ(accessibilityHint(Option::photoLibrary),
            "Opens your photos. What you pick is kept as a card.");
  EXPECT_EQ(accessibilityIdentifier(Option::photoLibrary), "capture-attach-photo-library");

  const auto& rows = captureAttachOptionObsidianRows;
  EXPECT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2], "Choose File");
  EXPECT_EQ(captureAttachOptionUnsupportedObsidianRow(), "Take Photo or Video");
}

TEST(CaptureAttachOptionTest, TitlesAndHintsAreLocalisedIdentifiersAreNot) {
  testing::GermanCatalogue german({{"Photo library", "Fotomediathek"},
                                   {"Opens Files. What you pick is kept as a card.", "Dateien"},
                                   {"Take Photo or Video", "Foto oder Video aufnehmen"},
                                   {"Photo Library", "Fotos"}});
  if (!german.installed()) GTEST_SKIP() << "no C.UTF-8 locale";
  EXPECT_EQ(title(Option::photoLibrary), "Fotomediathek");
  EXPECT_EQ(title(Option::file), "Choose file");  // no entry: the English
  EXPECT_EQ(accessibilityHint(Option::file), "Dateien");
  EXPECT_EQ(captureAttachOptionUnsupportedObsidianRow(), "Foto oder Video aufnehmen");
  EXPECT_EQ(captureAttachOptionObsidianRows[0], "Photo Library");
  EXPECT_EQ(accessibilityIdentifier(Option::photoLibrary), "capture-attach-photo-library");
}

TEST(KelvoButtonCopyTest, TitlesFitOnOneLine) {
  EXPECT_EQ(KelvoButtonCopy::keepClipboard(), "Keep what's copied");
  const auto& all = KelvoButtonCopy::all();
  ASSERT_EQ(all.size(), 5u);
  EXPECT_EQ(all.back(), "Add a card");
  std::size_t longest = 0;
  for (const std::string& title : all) {
    const std::size_t count = text::characterCount(title);
    EXPECT_LE(count, static_cast<std::size_t>(KelvoButtonCopy::singleLineBudget)) << title;
    longest = std::max(longest, count);
  }
  EXPECT_EQ(longest, 21u);
}

TEST(KelvoButtonCopyTest, TitlesAreLookedUpEachTimeButAllKeepsTheFirst) {
  const std::vector<std::string> first = KelvoButtonCopy::all();
  testing::GermanCatalogue german(
      {{"Keep what's copied", "Kopiertes behalten"}, {"Add a card", "Karte hinzuf\u00FCgen"}});
  if (!german.installed()) GTEST_SKIP() << "no C.UTF-8 locale";
  EXPECT_EQ(KelvoButtonCopy::keepClipboard(), "Kopiertes behalten");
  EXPECT_EQ(KelvoButtonCopy::addCard, "Add a card");
  EXPECT_EQ(KelvoButtonCopy::all(), first);
}

}  // namespace
}  // namespace kelvo
