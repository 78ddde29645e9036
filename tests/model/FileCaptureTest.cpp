#include "core/model/FileCapture.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "core/model/Card.hpp"
#include "core/model/FileNames.hpp"
#include "core/model/PayloadRepair.hpp"
#include "platform/data/StoreError.hpp"
#include "platform/foundation/Bytes.hpp"
#include "tests/model/Library.hpp"

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

TEST(FileNamesTest, PartsOfAName) {
  EXPECT_EQ(FileNames::lastPathComponent("a/b/c.txt"), "c.txt");
  EXPECT_EQ(FileNames::lastPathComponent("a//b//"), "b");
  EXPECT_EQ(FileNames::lastPathComponent("///"), "");
  EXPECT_EQ(FileNames::lastPathComponent(""), "");

  EXPECT_EQ(FileNames::pathExtension("report.final.PDF"), "PDF");
  EXPECT_EQ(FileNames::pathExtension("folder.d/README"), "");
  EXPECT_EQ(FileNames::pathExtension("dir/x.txt/"), "txt");
  EXPECT_EQ(FileNames::pathExtension("trailing."), "");
  EXPECT_EQ(FileNames::pathExtension(".profile"), "profile");

  EXPECT_EQ(FileNames::deletingPathExtension("a/b.txt"), "a/b");
  EXPECT_EQ(FileNames::deletingPathExtension("dir/x.txt/"), "dir/x");
  EXPECT_EQ(FileNames::deletingPathExtension("README"), "README");
  EXPECT_EQ(FileNames::deletingPathExtension("trailing."), "trailing.");
}

using Failure = PayloadRepair::Failure;

const Bytes pdf = [] {
  Bytes bytes = toBytes("%PDF-1.7\n");
  bytes.resize(1'536, 'x');
  return bytes;
}();

// An image, file or document card whose bytes are flagged as not arrived, saved.
std::shared_ptr<Card> waitingCard(testing::Library& library, CardType type) {
  auto card = Card::make({.id = UUID::random(),
                          .type = type,
                          .title = "Lost",
                          .payload = "old.bin",
                          .previewText = "old preview",
                          .isPayloadAvailable = false,
                          .thumbnailData = Bytes{9},
                          .filename = "old.bin",
                          .byteCount = 7,
                          .shelf = library.shelf("Inbox")});
  library.context().save();
  return card;
}

std::vector<std::optional<data::Value>> repairedAttributes(const Card& card) {
  std::vector<std::optional<data::Value>> values;
  for (const std::string_view key : PayloadRepair::attributes) values.push_back(card.value(key));
  return values;
}

TEST(PayloadRepairTest, CardsThatCannotChangeAreLeftAlone) {
  testing::Library library;
  auto locked = waitingCard(library, CardType::document);
  locked->setIsLocked(true);
  auto trashed = waitingCard(library, CardType::document);
  trashed->setDeletedAt(testing::day(1));
  library.context().save();
  auto loose = Card::make({.id = UUID::random(), .type = CardType::document});
  for (const auto& card : {locked, trashed, loose}) {
    const auto before = repairedAttributes(*card);
    EXPECT_EQ(PayloadRepair::attach(pdf, "report.pdf", *card), Failure::unavailable());
    EXPECT_EQ(repairedAttributes(*card), before);
  }
  EXPECT_FALSE(library.context().hasChanges());
  // A card on its way out is not mended only to vanish with the save.
  auto leaving = waitingCard(library, CardType::document);
  library.context().deleteObject(*leaving);
  EXPECT_EQ(PayloadRepair::attach(pdf, "report.pdf", *leaving), Failure::unavailable());
  EXPECT_EQ(leaving->payloadData(), std::nullopt);
  EXPECT_EQ(Failure::unavailable().errorDescription(),
            "This card cannot be changed. Open it again and try again.");
}

TEST(PayloadRepairTest, OnlyMissingBytesOfTheRightKindAndSize) {
  testing::Library library;
  auto present = waitingCard(library, CardType::image);
  present->setIsPayloadAvailable(true);
  present->setPayloadData(Bytes{1});
  library.context().save();
  EXPECT_EQ(PayloadRepair::attach(toBytes("GIF89a"), "cat.gif", *present),
            Failure::alreadyPresent());

  auto image = waitingCard(library, CardType::image);
  EXPECT_EQ(PayloadRepair::attach(pdf, "report.pdf", *image), Failure::wrongType());
  EXPECT_EQ(Failure::wrongType().errorDescription(),
            "Choose an original file of the same kind as this card.");
  // An unknown stored type is a file.
  auto unknown = waitingCard(library, CardType::file);
  unknown->setTypeRaw("video");
  library.context().save();
  EXPECT_EQ(PayloadRepair::attach(pdf, "report.pdf", *unknown), Failure::wrongType());

  auto document = waitingCard(library, CardType::document);
  const auto empty = PayloadRepair::attach(Bytes{}, "report.pdf", *document);
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->errorDescription(), "That file is empty, so there is nothing to keep.");
  const auto tooLarge = PayloadRepair::attach(Bytes(52'428'801), "report.pdf", *document);
  EXPECT_EQ(tooLarge, Failure::invalidFile(FileCapture::validate(52'428'801)->message()));
  EXPECT_FALSE(library.context().hasChanges());
}

TEST(PayloadRepairTest, PutsTheBytesBackAndSaves) {
  testing::Library library;
  // Bytes that are flagged unavailable are not safe to hand out, so they can be replaced.
  auto document = waitingCard(library, CardType::document);
  document->setPayloadData(Bytes{1, 2, 3});
  library.context().save();

  EXPECT_EQ(PayloadRepair::attach(pdf, "Report Q3.pdf", *document), std::nullopt);
  EXPECT_FALSE(library.context().hasChanges());
  EXPECT_EQ(document->payloadData(), pdf);
  EXPECT_EQ(document->filename(), "Report Q3.pdf");
  EXPECT_EQ(document->payload(), "Report Q3.pdf");
  EXPECT_EQ(document->byteCount(), 1'536);
  EXPECT_TRUE(document->isPayloadAvailable());
  EXPECT_EQ(document->contentHash(), FileCapture::contentHash(CardType::document, pdf));
  EXPECT_EQ(document->previewText(), "PDF · 1.5 KB");
  EXPECT_EQ(document->title(), "Lost");
  EXPECT_EQ(document->thumbnailData(), Bytes{9});
}

TEST(PayloadRepairTest, AFailedSaveRestoresTheCard) {
  testing::Library library;
  auto image = waitingCard(library, CardType::image);
  image->setValue("payloadData", std::nullopt);
  image->setValue("filename", std::nullopt);
  // An unsaved change of the caller's that the store will refuse.
  library.card("Broken")->setValue("payload", std::nullopt);
  const auto before = repairedAttributes(*image);
  ASSERT_EQ(before.size(), 7u);

  EXPECT_THROW(PayloadRepair::attach(toBytes("GIF89a"), "cat.gif", *image), data::StoreError);
  EXPECT_EQ(repairedAttributes(*image), before);
  // Nothing was rolled back: the restored values are still the caller's to save.
  EXPECT_TRUE(library.context().hasChanges());
}

}  // namespace
}  // namespace kelvo
