#include "core/model/CardClipboardSnapshot.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/model/Card.hpp"
#include "core/model/KelvoModel.hpp"
#include "core/model/KelvoPersistence.hpp"
#include "core/model/ManagedObjectValues.hpp"
#include "core/model/Shelf.hpp"
#include "platform/foundation/JSONReader.hpp"

namespace kelvo {
namespace {

const Date now = Date(800'000'000);

class CardClipboardSnapshotTest : public ::testing::Test {
 protected:
  std::shared_ptr<Shelf> makeShelf(std::string name) {
    auto shelf = data::ManagedObject::make<Shelf>(KelvoModel::entity(KelvoModel::Entities::shelf),
                                                  &context());
    shelf->setValue("id", data::Value(UUID::random()));
    shelf->setValue("name", data::Value(std::move(name)));
    return shelf;
  }

  std::shared_ptr<Card> makeCard(std::string_view type) {
    auto card =
        data::ManagedObject::make<Card>(KelvoModel::entity(KelvoModel::Entities::card), &context());
    card->setID(UUID::random());
    card->setValue("typeRaw", data::Value(type));
    card->setValue("createdAt", data::Value(now.addingTimeInterval(-86'400)));
    card->setValue("syncStateRaw", data::Value("synced"));
    return card;
  }

  data::Context& context() { return container_->viewContext(); }

 private:
  std::unique_ptr<data::Container> container_ = KelvoPersistence::inMemoryContainer("Kelvo");
};

void expectSameContent(const CardClipboardSnapshot& a, const CardClipboardSnapshot& b) {
  EXPECT_EQ(a.type, b.type);
  EXPECT_EQ(a.title, b.title);
  EXPECT_EQ(a.generatedTitle, b.generatedTitle);
  EXPECT_EQ(a.payload, b.payload);
  EXPECT_EQ(a.previewText, b.previewText);
  EXPECT_EQ(a.extractedText, b.extractedText);
  EXPECT_EQ(a.autoTags, b.autoTags);
  EXPECT_EQ(a.sourceApp, b.sourceApp);
  EXPECT_EQ(a.factKind, b.factKind);
  EXPECT_EQ(a.factLabel, b.factLabel);
  EXPECT_EQ(a.pageCount, b.pageCount);
  EXPECT_EQ(a.payloadData, b.payloadData);
  EXPECT_EQ(a.thumbnailData, b.thumbnailData);
  EXPECT_EQ(a.filename, b.filename);
  EXPECT_EQ(a.byteCount, b.byteCount);
  EXPECT_EQ(a.contentHash, b.contentHash);
}

TEST_F(CardClipboardSnapshotTest, CarriesContentButNoIdentityOrHistory) {
  auto shelf = makeShelf("Work");
  auto card = makeCard("fact");
  card->setValue("title", data::Value("Home"));
  card->setValue("payload", data::Value("1 Main Street"));
  card->setValue("autoTags", data::Value(data::Value::StringList{"home", "address"}));
  card->setValue("factKindRaw", data::Value("address"));
  card->setValue("factLabel", data::Value("Home"));
  card->setValue("isPinned", data::Value(true));
  card->setValue("isLocked", data::Value(true));
  card->setValue("useCount", data::Value(5));
  card->setValue("lastUsedAt", data::Value(now.addingTimeInterval(-60)));
  card->setValue("deletedAt", data::Value(now.addingTimeInterval(-10)));
  card->setValue("isPayloadAvailable", data::Value(false));
  card->setValue("contentHash", data::Value("not-recomputed"));
  context().save();

  const CardClipboardSnapshot snapshot(*card);
  EXPECT_EQ(snapshot.type, CardType::fact);
  EXPECT_EQ(snapshot.factKind, FactKind::address);
  EXPECT_EQ(snapshot.autoTags, (std::vector<std::string>{"home", "address"}));

  auto copy = snapshot.makeCard(shelf, now);
  EXPECT_EQ(copy->context(), &context());
  EXPECT_TRUE(copy->isInserted());
  EXPECT_NE(copy->id(), card->id());
  EXPECT_EQ(copy->id(), copy->id());  // stored, not made up at each read
  EXPECT_EQ(intValue(*copy, "useCount", -1), 0);
  EXPECT_EQ(dateValue(*copy, "lastUsedAt"), std::nullopt);
  EXPECT_EQ(dateValue(*copy, "deletedAt"), std::nullopt);
  EXPECT_EQ(dateValue(*copy, "createdAt"), now);
  EXPECT_FALSE(boolValue(*copy, "isPinned", true));
  EXPECT_FALSE(boolValue(*copy, "isLocked", true));
  EXPECT_TRUE(boolValue(*copy, "isPayloadAvailable", false));
  EXPECT_EQ(stringValue(*copy, "syncStateRaw", ""), "localOnly");
  EXPECT_EQ(stringValue(*copy, "factKindRaw", ""), "address");
  EXPECT_EQ(stringValue(*copy, "contentHash", ""), "not-recomputed");
  EXPECT_EQ(copy->value("shelf"), data::Value(shelf));
  EXPECT_TRUE(shelf->mutableSetValue("cardsStorage").contains(*copy));
  expectSameContent(CardClipboardSnapshot(*copy), snapshot);
  context().save();
}

TEST_F(CardClipboardSnapshotTest, UnknownStoredKindsAndMissingValues) {
  auto video = makeCard("video");
  video->setValue("factKindRaw", data::Value("pin"));
  const CardClipboardSnapshot snapshot(*video);
  EXPECT_EQ(snapshot.type, CardType::file);
  EXPECT_EQ(snapshot.factKind, std::nullopt);
  EXPECT_EQ(snapshot.payloadData, std::nullopt);
  EXPECT_EQ(snapshot.contentHash, "");

  // Without a shelf the card is in no context and on no shelf.
  auto loose = snapshot.makeCard(nullptr, now);
  EXPECT_EQ(loose->context(), nullptr);
  EXPECT_EQ(loose->value("shelf"), std::nullopt);
  EXPECT_EQ(stringValue(*loose, "typeRaw", ""), "file");
  EXPECT_EQ(optionalStringValue(*loose, "factKindRaw"), std::nullopt);
  EXPECT_TRUE(boolValue(*loose, "isPayloadAvailable", false));
  EXPECT_EQ(stringValue(*loose, "contentHash", "x"), "");

  // Bytes are taken as stored, even from a card whose bytes are flagged unavailable.
  auto image = makeCard("image");
  image->setValue("payloadData", data::Value(Bytes{1, 2, 3}));
  image->setValue("isPayloadAvailable", data::Value(false));
  image->setValue("pageCount", data::Value(4));
  const CardClipboardSnapshot withBytes(*image);
  EXPECT_EQ(withBytes.payloadData, (Bytes{1, 2, 3}));
  EXPECT_EQ(withBytes.pageCount, 4);
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
  EXPECT_EQ(json["factKind"], "idNumber");
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
