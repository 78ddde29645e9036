#include "core/model/FileCapture.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "platform/foundation/Bytes.hpp"

namespace kelvo {
namespace {

TEST(FileCaptureTest, SizeLimitRejectionsAndWording) {
  EXPECT_EQ(FileCapture::validate(0), FileCapture::Rejection::empty());
  EXPECT_EQ(FileCapture::validate(-1), FileCapture::Rejection::empty());
  EXPECT_EQ(FileCapture::validate(1), std::nullopt);
  EXPECT_EQ(FileCapture::validate(52'428'800), std::nullopt);
  const auto tooLarge = FileCapture::validate(52'428'801);
  ASSERT_TRUE(tooLarge);
  EXPECT_EQ(*tooLarge, FileCapture::Rejection::tooLarge(52'428'801, 52'428'800));
  // One space on each side of the dash, with no blanks doubled.
  EXPECT_EQ(tooLarge->message(),
            "That file is 50 MB — Kelvo keeps files up to 50 MB so they can sync to your other "
            "devices.");
  EXPECT_EQ(FileCapture::Rejection::empty().message(),
            "That file is empty, so there is nothing to keep.");

  EXPECT_EQ(FileCapture::formattedSize(1), "1 bytes");
  EXPECT_EQ(FileCapture::formattedSize(-5), "-5 bytes");
  EXPECT_EQ(FileCapture::formattedSize(1'023), "1023 bytes");
  EXPECT_EQ(FileCapture::formattedSize(1'024), "1.0 KB");
  EXPECT_EQ(FileCapture::formattedSize(10'199), "10.0 KB");
  EXPECT_EQ(FileCapture::formattedSize(10'240), "10 KB");
  EXPECT_EQ(FileCapture::formattedSize(1'073'741'823), "1024 MB");
  EXPECT_EQ(FileCapture::formattedSize(1'073'741'824), "1.0 GB");
  EXPECT_EQ(FileCapture::formattedSize(std::numeric_limits<std::int64_t>::max()), "8589934592 GB");
}

TEST(FileCaptureTest, WhatANameAndBytesImply) {
  EXPECT_EQ(FileCapture::kind("Photo.JPG"), CardType::image);
  EXPECT_EQ(FileCapture::kind("README"), CardType::file);
  EXPECT_EQ(FileCapture::kind("png"), CardType::file);

  EXPECT_EQ(FileCapture::title("quarterly_report-final.pdf"), "Quarterly report final");
  EXPECT_EQ(FileCapture::title("  spaced   out .md"), "Spaced out");
  EXPECT_EQ(FileCapture::title("_.txt"), "_.txt");
  EXPECT_EQ(FileCapture::title("ß.txt"), "SS");
  EXPECT_EQ(FileCapture::title("élan vital"), "Élan vital");
  EXPECT_EQ(FileCapture::title("archive.tar.gz"), "Archive.tar");
  EXPECT_EQ(FileCapture::title(""), "");

  EXPECT_EQ(FileCapture::previewText("scan.pdf", 1'536), "PDF · 1.5 KB");
  EXPECT_EQ(FileCapture::previewText("README", 0), "0 bytes");
  EXPECT_EQ(FileCapture::extensionBadge("notes.markdown"), "MARK");
  EXPECT_EQ(FileCapture::extensionBadge(std::nullopt), "FILE");
  EXPECT_EQ(FileCapture::extensionBadge("README"), "FILE");

  // The same construction as the card content hash of a text card holding "abc".
  EXPECT_EQ(FileCapture::contentHash(CardType::text, toBytes("abc")),
            "925bb70375861465ab46da072bf31810cca2824653ded152895f344258ddef6d");
  EXPECT_NE(FileCapture::contentHash(CardType::image, Bytes{0x00, 0xFF}),
            FileCapture::contentHash(CardType::file, Bytes{0x00, 0xFF}));
}

}  // namespace
}  // namespace kelvo
