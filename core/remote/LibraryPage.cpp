#include "core/remote/LibraryPage.hpp"

#include <nlohmann/json.hpp>

#include "core/remote/internal/Coding.hpp"
#include "platform/foundation/JSONReader.hpp"

namespace kelvo::Remote {

void LibraryCard::encode(OrderedJson& json) const {
  json = OrderedJson::object();
  json["id"] = id;
  json["title"] = title;
  json["type"] = rawValue(type);
  json["text"] = text;
  if (shelfID) json["shelfID"] = *shelfID;
  json["isReadOnly"] = isReadOnly;
}

LibraryCard LibraryCard::decode(const JSONReader& reader) {
  LibraryCard card;
  card.id = reader["id"].uuid();
  card.title = reader["title"].string();
  card.type = reader["type"].rawValue(RawValues<CardType>::table, "CardType");
  card.text = reader["text"].string();
  card.shelfID = remote_internal::optionalUUID(reader, "shelfID");
  card.isReadOnly = reader["isReadOnly"].boolean();
  return card;
}

bool operator==(const LibraryCard& a, const LibraryCard& b) {
  return a.id == b.id && remote_internal::sameText(a.title, b.title) && a.type == b.type &&
         remote_internal::sameText(a.text, b.text) && a.shelfID == b.shelfID &&
         a.isReadOnly == b.isReadOnly;
}

void LibraryShelf::encode(OrderedJson& json) const {
  json = OrderedJson::object();
  json["id"] = id;
  json["name"] = name;
}

LibraryShelf LibraryShelf::decode(const JSONReader& reader) {
  return {reader["id"].uuid(), reader["name"].string()};
}

bool operator==(const LibraryShelf& a, const LibraryShelf& b) {
  return a.id == b.id && remote_internal::sameText(a.name, b.name);
}

void LibraryPage::encode(OrderedJson& json) const {
  json = OrderedJson::object();
  OrderedJson& cardRows = json["cards"] = OrderedJson::array();
  for (const LibraryCard& card : cards) card.encode(cardRows.emplace_back());
  OrderedJson& shelfRows = json["shelves"] = OrderedJson::array();
  for (const LibraryShelf& shelf : shelves) shelf.encode(shelfRows.emplace_back());
  if (nextOffset) json["nextOffset"] = *nextOffset;
}

LibraryPage LibraryPage::decode(const JSONReader& reader) {
  LibraryPage page;
  page.cards = reader["cards"].map(&LibraryCard::decode);
  page.shelves = reader["shelves"].map(&LibraryShelf::decode);
  if (const auto offset = reader.optional("nextOffset")) page.nextOffset = offset->integer();
  return page;
}

}  // namespace kelvo::Remote
