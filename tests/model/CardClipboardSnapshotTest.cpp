#include "core/model/CardClipboardSnapshot.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/model/Card.hpp"
#include "core/model/Shelf.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

const Date now = testing::day(9'000);

// The coded form carries every field, so equal records mean equal content.
void expectSameContent(const CardClipboardSnapshot& a, const CardClipboardSnapshot& b) {
  EXPECT_EQ(a.encoded(), b.encoded());
}

TEST(CardClipboardSnapshotTest, CarriesContentButNoIdentityOrHistory) {
  testing::Library library;
  auto work = library.shelf("Work");
  auto card = Card::make({.id = UUID::random(),
                          .type = CardType::fact,
                          .title = "Home",
                          .payload = "1 Main Street",
                          .autoTags = {"home", "address"},
                          .createdAt = testing::day(1),
                          .lastUsedAt = testing::day(2),
                          .useCount = 5,
                          .isPinned = true,
                          .isLocked = true,
                          .factKind = FactKind::address,
                          .factLabel = "Home",
                          .syncState = CardSyncState::synced,
                          .isPayloadAvailable = false,
                          .shelf = work});
  card->setDeletedAt(testing::day(3));
  card->setContentHash("not-recomputed");
  library.context().save();

  const CardClipboardSnapshot snapshot(*card);
  auto other = library.shelf("Other");
  auto copy = snapshot.makeCard(other, now);
  EXPECT_NE(copy->id(), card->id());
  EXPECT_EQ(copy->id(), copy->id());  // stored, not made up at each read
  EXPECT_EQ(copy->useCount(), 0);
  EXPECT_EQ(copy->lastUsedAt(), std::nullopt);
  EXPECT_FALSE(copy->isTrashed());
  EXPECT_EQ(copy->createdAt(), now);
  EXPECT_FALSE(copy->isPinned());
  EXPECT_FALSE(copy->isLocked());
  EXPECT_TRUE(copy->isPayloadAvailable());
  EXPECT_EQ(copy->syncStateRaw(), "localOnly");
  EXPECT_EQ(copy->contentHash(), "not-recomputed");
  EXPECT_EQ(other->cards(), (std::vector<std::shared_ptr<Card>>{copy}));
  expectSameContent(CardClipboardSnapshot(*copy), snapshot);
  library.context().save();
}

TEST(CardClipboardSnapshotTest, UnknownStoredKindsAndMissingValues) {
  testing::Library library;
  auto video = library.card("Clip");
  video->setTypeRaw("video");
  video->setFactKindRaw("pin");
  video->setContentHash("");
  const CardClipboardSnapshot snapshot(*video);
  EXPECT_EQ(snapshot.type, CardType::file);
  EXPECT_EQ(snapshot.factKind, std::nullopt);
  EXPECT_EQ(snapshot.payloadData, std::nullopt);

  // Without a shelf the card is in no context and on no shelf.
  auto loose = snapshot.makeCard(nullptr, now);
  EXPECT_EQ(loose->context(), nullptr);
  EXPECT_EQ(loose->typeRaw(), "file");

  // Bytes are taken as stored, even from a card whose bytes are flagged unavailable.
  auto image = library.card("Cat");
  image->setType(CardType::image);
  image->setPayloadData(Bytes{1, 2, 3});
  image->setIsPayloadAvailable(false);
  EXPECT_EQ(CardClipboardSnapshot(*image).payloadData, (Bytes{1, 2, 3}));
}

TEST(CardClipboardSnapshotCodingTest, OptionalKeysAreLeftOutAndRoundTrip) {
  CardClipboardSnapshot text;
  text.type = CardType::text;
  text.title = "Greeting";
  text.payload = "Hi {name}/";
  text.autoTags = {"mail"};
  text.byteCount = 0;
  text.contentHash = "abc";
  const std::string encoded = text.encoded();
  EXPECT_EQ(encoded,
            R"({"autoTags":["mail"],"byteCount":0,"contentHash":"abc","extractedText":"",)"
            R"("generatedTitle":"","payload":"Hi {name}\/","previewText":"","title":"Greeting",)"
            R"("type":"text"})");
  expectSameContent(CardClipboardSnapshot::decoded(encoded), text);

  CardClipboardSnapshot full = text;
  full.type = CardType::document;
  full.sourceApp = "Mail";
  full.factKind = FactKind::idNumber;
  full.factLabel = "Passport";
  full.pageCount = 3;
  full.payloadData = Bytes{0x25, 0x50, 0x44, 0x46, 0x00, 0xFF};
  full.thumbnailData = Bytes{};
  full.filename = "scan.pdf";
  full.byteCount = 6;
  Json json;
  full.encode(json);
  EXPECT_EQ(json.size(), 16u);
  EXPECT_EQ(json["payloadData"], "JVBERgD/");
  EXPECT_EQ(json["thumbnailData"], "");
  expectSameContent(CardClipboardSnapshot::decode(JSONReader(json)), full);

  // Nulls read as absent; keys that are not ours are ignored.
  json["filename"] = nullptr;
  json["pageCount"] = nullptr;
  json["isPinned"] = true;
  const auto decoded = CardClipboardSnapshot::decode(JSONReader(json));
  EXPECT_EQ(decoded.filename, std::nullopt);
  EXPECT_EQ(decoded.pageCount, std::nullopt);
}

TEST(CardClipboardSnapshotCodingTest, BadRecordsAreRefused) {
  CardClipboardSnapshot snapshot;
  snapshot.type = CardType::fact;
  Json valid;
  snapshot.encode(valid);
  const auto failure = [&](const Json& json) {
    try {
      CardClipboardSnapshot::decode(JSONReader(json));
    } catch (const DecodingError& error) {
      return std::optional(error);
    }
    return std::optional<DecodingError>();
  };

  Json withoutHash = valid;
  withoutHash.erase("contentHash");
  ASSERT_TRUE(failure(withoutHash));
  EXPECT_EQ(failure(withoutHash)->kind(), DecodingError::Kind::keyNotFound);

  for (const auto& [key, value] : {std::pair<std::string, Json>{"type", "video"},
                                   {"factKind", "pin"},
                                   {"payloadData", "not base64!"}}) {
    Json json = valid;
    json[key] = value;
    const auto error = failure(json);
    ASSERT_TRUE(error) << key;
    EXPECT_EQ(error->kind(), DecodingError::Kind::dataCorrupted) << key;
    EXPECT_EQ(error->codingPathText(), key);
  }
  for (const auto& [key, value] : {std::pair<std::string, Json>{"byteCount", "12"},
                                   {"autoTags", "tag"},
                                   {"pageCount", 1.5},
                                   {"title", 7}}) {
    Json json = valid;
    json[key] = value;
    EXPECT_TRUE(failure(json)) << key;
  }
  Json nullTitle = valid;
  nullTitle["title"] = nullptr;
  EXPECT_EQ(failure(nullTitle)->kind(), DecodingError::Kind::valueNotFound);
  EXPECT_THROW(CardClipboardSnapshot::decoded("[]"), DecodingError);
  EXPECT_THROW(CardClipboardSnapshot::decoded("{"), DecodingError);
}

}  // namespace
}  // namespace kelvo
