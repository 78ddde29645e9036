#include "core/model/PayloadRepair.hpp"

#include <gtest/gtest.h>

#include "core/model/Card.hpp"
#include "core/model/FileCapture.hpp"
#include "platform/data/StoreError.hpp"
#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

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
  EXPECT_EQ(Failure::alreadyPresent().errorDescription(),
            "The file has arrived. Close and reopen the card to see it.");

  auto image = waitingCard(library, CardType::image);
  EXPECT_EQ(PayloadRepair::attach(pdf, "report.pdf", *image), Failure::wrongType());
  EXPECT_EQ(Failure::wrongType().errorDescription(),
            "Choose an original file of the same kind as this card.");
  auto text = library.card("Note");
  library.context().save();
  EXPECT_EQ(PayloadRepair::attach(pdf, "note.txt", *text), Failure::wrongType());
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
  ASSERT_TRUE(tooLarge);
  EXPECT_EQ(*tooLarge, Failure::invalidFile(
                           "That file is 50 MB — Kelvo keeps files up to 50 MB so they can sync "
                           "to your other devices."));
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
