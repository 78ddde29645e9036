#include "core/model/CardClipboardSnapshot.hpp"

#include <nlohmann/json.hpp>

#include "core/model/Card.hpp"
#include "core/model/KelvoModel.hpp"
#include "core/model/Shelf.hpp"
#include "platform/foundation/Base64.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {
namespace {

std::optional<std::string> optionalString(const JSONReader& reader, std::string_view key) {
  const auto member = reader.optional(key);
  return member ? std::optional(member->string()) : std::nullopt;
}

std::optional<Bytes> optionalBytes(const JSONReader& reader, std::string_view key) {
  const auto member = reader.optional(key);
  return member ? std::optional(member->bytes()) : std::nullopt;
}

}  // namespace

CardClipboardSnapshot::CardClipboardSnapshot(const Card& card)
    : type(card.type()),
      title(card.title()),
      generatedTitle(card.generatedTitle()),
      payload(card.payload()),
      previewText(card.previewText()),
      extractedText(card.extractedText()),
      autoTags(card.autoTags()),
      sourceApp(card.sourceApp()),
      factKind(card.factKind()),
      factLabel(card.factLabel()),
      pageCount(card.pageCount()),
      // As stored: the bytes travel even when this device may not hand them out.
      payloadData(card.payloadData()),
      thumbnailData(card.thumbnailData()),
      filename(card.filename()),
      byteCount(card.byteCount()),
      contentHash(card.contentHash()) {}

std::shared_ptr<Card> CardClipboardSnapshot::makeCard(const std::shared_ptr<Shelf>& shelf,
                                                      Date now) const {
  const auto& entity = KelvoModel::entity(KelvoModel::Entities::card);
  auto card = data::ManagedObject::make<Card>(entity, shelf ? shelf->context() : nullptr);
  card->setID(UUID::random());
  card->setType(type);
  card->setTitle(title);
  card->setGeneratedTitle(generatedTitle);
  card->setPayload(payload);
  card->setPreviewText(previewText);
  card->setExtractedText(extractedText);
  card->setAutoTags(autoTags);
  card->setCreatedAt(now);
  card->setLastUsedAt(std::nullopt);
  card->setUseCount(0);
  card->setIsPinned(false);
  card->setIsLocked(false);
  card->setSourceApp(sourceApp);
  card->setFactKind(factKind);
  card->setFactLabel(factLabel);
  card->setSyncState(CardSyncState::localOnly);
  card->setIsPayloadAvailable(true);
  card->setPageCount(pageCount);
  card->setPayloadData(payloadData);
  card->setThumbnailData(thumbnailData);
  card->setFilename(filename);
  card->setByteCount(byteCount);
  card->setShelf(shelf);
  // Carried as it was, not recomputed from the type and payload.
  card->setContentHash(contentHash);
  return card;
}

void CardClipboardSnapshot::encode(Json& json) const {
  json = Json::object();
  json["type"] = rawValue(type);
  json["title"] = title;
  json["generatedTitle"] = generatedTitle;
  json["payload"] = payload;
  json["previewText"] = previewText;
  json["extractedText"] = extractedText;
  json["autoTags"] = autoTags;
  if (sourceApp) json["sourceApp"] = *sourceApp;
  if (factKind) json["factKind"] = rawValue(*factKind);
  if (factLabel) json["factLabel"] = *factLabel;
  if (pageCount) json["pageCount"] = *pageCount;
  if (payloadData) json["payloadData"] = base64Encoded(*payloadData);
  if (thumbnailData) json["thumbnailData"] = base64Encoded(*thumbnailData);
  if (filename) json["filename"] = *filename;
  json["byteCount"] = byteCount;
  json["contentHash"] = contentHash;
}

CardClipboardSnapshot CardClipboardSnapshot::decode(const JSONReader& reader) {
  CardClipboardSnapshot snapshot;
  snapshot.type = reader["type"].rawValue(RawValues<CardType>::table, "CardType");
  snapshot.title = reader["title"].string();
  snapshot.generatedTitle = reader["generatedTitle"].string();
  snapshot.payload = reader["payload"].string();
  snapshot.previewText = reader["previewText"].string();
  snapshot.extractedText = reader["extractedText"].string();
  snapshot.autoTags = reader["autoTags"].map([](const JSONReader& tag) { return tag.string(); });
  snapshot.sourceApp = optionalString(reader, "sourceApp");
  if (const auto kind = reader.optional("factKind")) {
    snapshot.factKind = kind->rawValue(RawValues<FactKind>::table, "FactKind");
  }
  snapshot.factLabel = optionalString(reader, "factLabel");
  if (const auto pages = reader.optional("pageCount")) snapshot.pageCount = pages->integer();
  snapshot.payloadData = optionalBytes(reader, "payloadData");
  snapshot.thumbnailData = optionalBytes(reader, "thumbnailData");
  snapshot.filename = optionalString(reader, "filename");
  snapshot.byteCount = reader["byteCount"].integer();
  snapshot.contentHash = reader["contentHash"].string();
  return snapshot;
}

std::string CardClipboardSnapshot::encoded() const {
  Json json;
  encode(json);
  return json::write(json);
}

CardClipboardSnapshot CardClipboardSnapshot::decoded(std::string_view text) {
  const Json json = json::parse(text);
  return decode(JSONReader(json));
}

}  // namespace kelvo
