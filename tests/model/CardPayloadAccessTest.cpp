// The payload members of a card, over a real in-memory store.
#include <gtest/gtest.h>

#include "core/model/Card.hpp"
#include "core/model/CloudMirroring.hpp"
#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

using CardPayload::Content;
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
  return Card::make({.id = UUID::random(),
                     .type = type,
                     .title = title,
                     .payload = filename.value_or(title),
                     .payloadData = std::move(data),
                     .filename = std::move(filename),
                     .shelf = library.shelf("Inbox")});
}

TEST(CardPayloadAccessTest, SnapshotsReadTheCardAsItIsNow) {
  testing::Library library;
  auto invoice = byteCard(library, CardType::file, "Invoice", pdfBytes, "invoice.png");
  const auto snapshot = invoice->payloadSnapshot();
  EXPECT_EQ(snapshot.filename, "invoice.png");
  EXPECT_EQ(snapshot.data, pdfBytes);
  EXPECT_FALSE(snapshot.canReceiveFromCloud);
  {
    const Mirroring mirroring;
    EXPECT_TRUE(invoice->payloadSnapshot().canReceiveFromCloud);
  }
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
  EXPECT_EQ(flagged->payloadSnapshot().data, std::nullopt);

  auto absent = byteCard(library, CardType::image, "Photo", std::nullopt, "photo.gif");
  EXPECT_EQ(absent->copyAction().confirmation("Photo"),
            "Couldn't copy Photo — its contents aren't on this device");
  const Mirroring mirroring;
  EXPECT_EQ(absent->shareAction(), Share{Share::Unavailable{Unavailability::notDownloaded()}});
}

}  // namespace
}  // namespace kelvo
