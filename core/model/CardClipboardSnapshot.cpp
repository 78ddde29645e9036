#include "core/model/CardClipboardSnapshot.hpp"

#include <nlohmann/json.hpp>

#include "core/model/Card.hpp"
#include "core/model/KelvoModel.hpp"
#include "core/model/ManagedObjectValues.hpp"
#include "core/model/Shelf.hpp"
#include "platform/foundation/Base64.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {
namespace {

template <class T>
std::optional<data::Value> stored(const std::optional<T>& value) {
  if (!value) return std::nullopt;
  return data::Value(*value);
}

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
    : type(fromRawValue<CardType>(stringValue(card, "typeRaw", "")).value_or(CardType::file)),
      title(stringValue(card, "title", "")),
      generatedTitle(stringValue(card, "generatedTitle", "")),
      payload(stringValue(card, "payload", "")),
      previewText(stringValue(card, "previewText", "")),
      extractedText(stringValue(card, "extractedText", "")),
      autoTags(value<std::vector<std::string>>(card, "autoTags", {})),
      sourceApp(optionalStringValue(card, "sourceApp")),
      factLabel(optionalStringValue(card, "factLabel")),
      pageCount(optionalValue<std::int64_t>(card, "pageCount")),
      payloadData(optionalDataValue(card, "payloadData")),
      thumbnailData(optionalDataValue(card, "thumbnailData")),
      filename(optionalStringValue(card, "filename")),
      byteCount(intValue(card, "byteCount", 0)),
      contentHash(stringValue(card, "contentHash", "")) {
  if (const auto raw = optionalStringValue(card, "factKindRaw")) {
    factKind = fromRawValue<FactKind>(*raw);
  }
}

std::shared_ptr<Card> CardClipboardSnapshot::makeCard(const std::shared_ptr<Shelf>& shelf,
                                                      Date now) const {
  const auto& entity = KelvoModel::entity(KelvoModel::Entities::card);
  auto card = data::ManagedObject::make<Card>(entity, shelf ? shelf->context() : nullptr);
  card->setValue("id", data::Value(UUID::random()));
  card->setValue("typeRaw", data::Value(rawValue(type)));
  card->setValue("title", data::Value(title));
  card->setValue("generatedTitle", data::Value(generatedTitle));
  card->setValue("payload", data::Value(payload));
  card->setValue("previewText", data::Value(previewText));
  card->setValue("extractedText", data::Value(extractedText));
  card->setValue("autoTags", data::Value(autoTags));
  card->setValue("createdAt", data::Value(now));
  card->setValue("lastUsedAt", std::nullopt);
  card->setValue("useCount", data::Value(0));
  card->setValue("isPinned", data::Value(false));
  card->setValue("isLocked", data::Value(false));
  card->setValue("sourceApp", stored(sourceApp));
  card->setValue("factKindRaw",
                 factKind ? std::optional(data::Value(rawValue(*factKind))) : std::nullopt);
  card->setValue("factLabel", stored(factLabel));
  card->setValue("syncStateRaw", data::Value("localOnly"));
  card->setValue("isPayloadAvailable", data::Value(true));
  card->setValue("pageCount", stored(pageCount));
  card->setValue("payloadData", stored(payloadData));
  card->setValue("thumbnailData", stored(thumbnailData));
  card->setValue("filename", stored(filename));
  card->setValue("byteCount", data::Value(byteCount));
  if (shelf) card->setValue("shelf", data::Value(shelf));
  // Carried as it was, not recomputed from the type and payload.
  card->setValue("contentHash", data::Value(contentHash));
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
