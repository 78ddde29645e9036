#include "core/design/CaptureAttachOption.hpp"

#include <gtest/gtest.h>

#include "tests/support/GermanCatalogue.hpp"

namespace kelvo {
namespace {

using Option = CaptureAttachOption;

TEST(CaptureAttachOptionTest, Rows) {
  EXPECT_EQ(allCases<Option>(), (std::array{Option::photoLibrary, Option::file}));
  EXPECT_EQ(fromRawValue<Option>("photoLibrary"), Option::photoLibrary);
  EXPECT_FALSE(fromRawValue<Option>("photo-library"));
  EXPECT_EQ(title(Option::file), "Choose file");
  EXPECT_EQ(icon(Option::photoLibrary), KelvoIcon::photos);
  EXPECT_EQ(icon(Option::file), KelvoIcon::browseFiles);
  EXPECT_EQ(accessibilityHint(Option::photoLibrary),
            "Opens your photos. What you pick is kept as a card.");
  EXPECT_EQ(accessibilityIdentifier(Option::photoLibrary), "capture-attach-photo-library");
  EXPECT_EQ(accessibilityIdentifier(Option::file), "capture-attach-file");

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

}  // namespace
}  // namespace kelvo
