// The payload members of a card, over a real in-memory store.
#include <gtest/gtest.h>

#include "core/model/Card.hpp"
#include "core/model/CloudMirroring.hpp"
#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

using CardPayload::Content;
using CardPayload::Copy;
using CardPayload::Format;
using CardPayload::Share;
using CardPayload::Unavailability;

const Bytes pdfBytes = toBytes("%PDF-1.7\n");

// Turns cloud mirroring on for one scope, and off again after it.
struct Mirroring {
  Mirroring() { CloudMirroring::setConfigured(true); }
  ~Mirroring() { CloudMirroring::setConfigured(false); }
};

std::shared_ptr<Card> byteCard(testing::Library& library, CardType type, std::string title,
                               std::optional<Bytes> data, std::optional<std::string> filename) {
  auto card = Card::make({.id = UUID::random(),
                          .type = type,
                          .title = title,
                          .payload = filename.value_or(title),
                          .payloadData = std::move(data),
                          .filename = std::move(filename),
                          .shelf = library.shelf("Inbox")});
  return card;
}

TEST(CardPayloadAccessTest, SnapshotsReadTheCardAsItIsNow) {
  testing::Library library;
  auto invoice = byteCard(library, CardType::file, "Invoice", pdfBytes, "invoice.png");
  const auto snapshot = invoice->payloadSnapshot();
  EXPECT_EQ(snapshot.type, CardType::file);
  EXPECT_EQ(snapshot.payload, "invoice.png");
  EXPECT_EQ(snapshot.filename, "invoice.png");
  EXPECT_TRUE(snapshot.isPayloadAvailable);
  EXPECT_FALSE(snapshot.canReceiveFromCloud);
  EXPECT_EQ(snapshot.data, pdfBytes);
  {
    const Mirroring mirroring;
    EXPECT_TRUE(invoice->payloadSnapshot().canReceiveFromCloud);
  }

  // A file card holding PDF bytes presents, copies and shares them as a PDF file.
  const Content content = invoice->payloadContent();
  ASSERT_TRUE(std::holds_alternative<Content::PDF>(content.value));
  EXPECT_EQ(content.bytes()->filename, "invoice.png.pdf");
  EXPECT_EQ(invoice->copyAction().confirmation(invoice->title()), "Copied Invoice as a PDF file");
  EXPECT_TRUE(std::holds_alternative<Share::File>(invoice->shareAction().value));

  // A stored type that is no card type is judged as a file, by its bytes.
  invoice->setTypeRaw("video");
  EXPECT_EQ(invoice->payloadSnapshot().type, CardType::file);
  EXPECT_TRUE(std::holds_alternative<Content::PDF>(invoice->payloadContent().value));

  // The bytes of a trashed card, or one the store no longer holds, are never read.
  invoice->setDeletedAt(testing::day(1));
  EXPECT_EQ(invoice->payloadSnapshot().data, std::nullopt);
  EXPECT_EQ(invoice->payloadContent(), Content{Content::Unavailable{Unavailability::missing()}});
  auto loose = Card::make({.id = UUID::random(), .type = CardType::image, .payloadData = pdfBytes});
  EXPECT_EQ(loose->payloadSnapshot().data, std::nullopt);
}

TEST(CardPayloadAccessTest, MissingBytesAreExplained) {
  testing::Library library;
  auto flagged = byteCard(library, CardType::image, "Photo", toBytes("GIF89a"), "photo.gif");
  flagged->setIsPayloadAvailable(false);
  library.context().save();
  EXPECT_EQ(flagged->payloadContent(),
            Content{Content::Unavailable{Unavailability::notDownloaded()}});
  EXPECT_EQ(flagged->payloadSnapshot().data, std::nullopt);

  auto absent = byteCard(library, CardType::image, "Photo", std::nullopt, "photo.gif");
  EXPECT_EQ(absent->copyAction(), Copy{Copy::Refused{Unavailability::missing()}});
  EXPECT_EQ(absent->copyAction().confirmation("Photo"),
            "Couldn't copy Photo — its contents aren't on this device");
  {
    const Mirroring mirroring;
    EXPECT_EQ(absent->shareAction(), Share{Share::Unavailable{Unavailability::notDownloaded()}});
  }

  auto empty = byteCard(library, CardType::image, "Photo", Bytes{}, "photo.gif");
  EXPECT_EQ(empty->copyAction().confirmation(empty->title()),
            "Couldn't copy Photo — there's nothing in the file");

  // Bytes that no pattern knows take the name's format.
  auto named = byteCard(library, CardType::image, "Photo", toBytes("????"), "photo.webp");
  const Content content = named->payloadContent();
  ASSERT_TRUE(std::holds_alternative<Content::Image>(content.value));
  EXPECT_EQ(content.bytes()->format, Format::webp());
}

TEST(CardPayloadAccessTest, TextCardsWithBlanksWaitToBeFilled) {
  testing::Library library;
  auto letter = library.card("Letter");
  letter->setPayload("Dear {name}");
  EXPECT_EQ(letter->copyAction(), Copy{Copy::NeedsFill{}});
  EXPECT_EQ(letter->copyAction().confirmation(letter->title()), "Fill in Letter before copying it");
  EXPECT_EQ(letter->shareAction(), Share{Share::Text{"Dear {name}"}});

  letter->setType(CardType::fact);
  EXPECT_EQ(letter->copyAction(), Copy{Copy::Text{"Dear {name}"}});
  EXPECT_EQ(letter->copyAction().confirmation("Letter"), "Copied Letter");
}

}  // namespace
}  // namespace kelvo
