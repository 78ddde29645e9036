#include "core/remote/CardEnvelope.hpp"

#include <nlohmann/json.hpp>

#include "core/remote/internal/Coding.hpp"
#include "platform/foundation/JSONReader.hpp"

namespace kelvo::Remote {

void CardEnvelope::encode(OrderedJson& json) const {
  json = OrderedJson::object();
  json["id"] = id;
  json["title"] = title;
  json["type"] = rawValue(type);
  json["text"] = text;
}

CardEnvelope CardEnvelope::decode(const JSONReader& reader) {
  CardEnvelope envelope;
  envelope.id = reader["id"].uuid();
  envelope.title = reader["title"].string();
  envelope.type = reader["type"].rawValue(RawValues<CardType>::table, "CardType");
  envelope.text = reader["text"].string();
  return envelope;
}

bool operator==(const CardEnvelope& a, const CardEnvelope& b) {
  return a.id == b.id && remote_internal::sameText(a.title, b.title) && a.type == b.type &&
         remote_internal::sameText(a.text, b.text);
}

}  // namespace kelvo::Remote
