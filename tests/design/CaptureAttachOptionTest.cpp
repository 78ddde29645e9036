#include "core/design/CaptureAttachOption.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/design/GermanCatalogue.hpp"

namespace kelvo {
namespace {

using Option = CaptureAttachOption;

TEST(CaptureAttachOptionTest, Rows) {
  EXPECT_EQ(allCases<Option>(), (std::array{Option::photoLibrary, Option::file}));
  EXPECT_EQ(id(Option::photoLibrary), "photoLibrary");
  EXPECT_EQ(fromRawValue<Option>("file"), Option::file);
  EXPECT_FALSE(fromRawValue<Option>("photo-library"));
  EXPECT_FALSE(fromRawValue<Option>("File"));

  EXPECT_EQ(title(Option::photoLibrary), "Photo library");
  EXPECT_EQ(title(Option::file), "Choose file");
  EXPECT_EQ(icon(Option::photoLibrary), KelvoIcon::photos);
  EXPECT_EQ(icon(Option::file), KelvoIcon::browseFiles);
  EXPECT_EQ(accessibilityHint(Option::photoLibrary),
            "Opens your photos. What you pick is kept as a card.");
  EXPECT_EQ(accessibilityHint(Option::file), "Opens Files. What you pick is kept as a card.");
  EXPECT_EQ(accessibilityIdentifier(Option::photoLibrary), "capture-attach-photo-library");
  EXPECT_EQ(accessibilityIdentifier(Option::file), "capture-attach-file");
  EXPECT_NE(accessibilityIdentifier(Option::photoLibrary), id(Option::photoLibrary));
}

TEST(CaptureAttachOptionTest, TheReferenceSheetHasOneRowMore) {
  const auto& rows = captureAttachOptionObsidianRows;
  EXPECT_EQ(rows.size(), allCases<Option>().size() + 1);
  EXPECT_EQ(rows[0], "Photo Library");
  EXPECT_EQ(rows[2], "Choose File");
  EXPECT_EQ(captureAttachOptionUnsupportedObsidianRow(), "Take Photo or Video");
  EXPECT_NE(std::find(rows.begin(), rows.end(), captureAttachOptionUnsupportedObsidianRow()),
            rows.end());
  EXPECT_EQ(captureAttachOptionUnsupportedObsidianRowReason,
            "Kelvo has no camera capture path, and a row that opens nothing is worse than no row.");
}

TEST(CaptureAttachOptionTest, TitlesAndHintsAreLocalisedIdentifiersAreNot) {
  testing::GermanCatalogue german({{"Photo library", "Fotomediathek"},
                                   {"Opens Files. What you pick is kept as a card.",
                                    "\u00D6ffnet Dateien. Was du w\u00E4hlst, wird eine Karte."},
                                   {"Take Photo or Video", "Foto oder Video aufnehmen"},
                                   {"Photo Library", "Fotos"}});
  if (!german.installed()) GTEST_SKIP() << "no C.UTF-8 locale";
  EXPECT_EQ(title(Option::photoLibrary), "Fotomediathek");
  EXPECT_EQ(title(Option::file), "Choose file");  // no entry: the English
  EXPECT_EQ(accessibilityHint(Option::file),
            "\u00D6ffnet Dateien. Was du w\u00E4hlst, wird eine Karte.");
  EXPECT_EQ(captureAttachOptionUnsupportedObsidianRow(), "Foto oder Video aufnehmen");
  EXPECT_EQ(captureAttachOptionObsidianRows[0], "Photo Library");
  EXPECT_EQ(accessibilityIdentifier(Option::photoLibrary), "capture-attach-photo-library");
}

}  // namespace
}  // namespace kelvo
