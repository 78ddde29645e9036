#include "core/remote/Command.hpp"

#include <nlohmann/json.hpp>

#include "core/remote/internal/Coding.hpp"
#include "platform/foundation/Base64.hpp"
#include "platform/foundation/JSONReader.hpp"

namespace kelvo::Remote {
namespace {

using internal::sameText;

void write(OrderedJson& json, const Command::Library& c) { json["offset"] = c.offset; }
void write(OrderedJson& json, const Command::ReadFile& c) { json["id"] = c.id; }
void write(OrderedJson& json, const Command::CreateCard& c) {
  json["title"] = c.title;
  json["text"] = c.text;
  if (c.shelfID) json["shelfID"] = *c.shelfID;
}
void write(OrderedJson& json, const Command::UpdateCard& c) {
  json["id"] = c.id;
  json["title"] = c.title;
  json["text"] = c.text;
  if (c.shelfID) json["shelfID"] = *c.shelfID;
  if (c.expected) c.expected->encode(json["expected"]);
}
void write(OrderedJson& json, const Command::TrashCard& c) { json["id"] = c.id; }
void write(OrderedJson& json, const Command::RestoreCard& c) { json["id"] = c.id; }
void write(OrderedJson& json, const Command::CreateShelf& c) { json["name"] = c.name; }
void write(OrderedJson& json, const Command::CopyToClipboard& c) { c.card.encode(json["card"]); }
void write(OrderedJson& json, const Command::PasteIntoFrontmostApp& c) {
  c.card.encode(json["card"]);
}
void write(OrderedJson& json, const Command::KeepText& c) { json["_0"] = c.text; }
void write(OrderedJson& json, const Command::KeepFile& c) {
  json["filename"] = c.filename;
  json["data"] = base64Encoded(c.data);
}
void write(OrderedJson& json, const Command::ShowCard& c) { c.card.encode(json["card"]); }

Command::Value read(std::size_t index, const JSONReader& p) {
  switch (index) {
    case 0:
      return Command::Library{p["offset"].integer()};
    case 1:
      return Command::ReadFile{p["id"].uuid()};
    case 2:
      return Command::CreateCard{p["title"].string(), p["text"].string(),
                                 internal::optionalUUID(p, "shelfID")};
    case 3: {
      Command::UpdateCard update{p["id"].uuid(), p["title"].string(), p["text"].string(),
                                 internal::optionalUUID(p, "shelfID"), std::nullopt};
      if (const auto expected = p.optional("expected")) {
        update.expected = LibraryCard::decode(*expected);
      }
      return update;
    }
    case 4:
      return Command::TrashCard{p["id"].uuid()};
    case 5:
      return Command::RestoreCard{p["id"].uuid()};
    case 6:
      return Command::CreateShelf{p["name"].string()};
    case 7:
      return Command::CopyToClipboard{CardEnvelope::decode(p["card"])};
    case 8:
      return Command::PasteIntoFrontmostApp{CardEnvelope::decode(p["card"])};
    case 9:
      return Command::KeepText{p["_0"].string()};
    case 10:
      return Command::KeepFile{p["filename"].string(), p["data"].bytes()};
    default:
      return Command::ShowCard{CardEnvelope::decode(p["card"])};
  }
}

}  // namespace

const std::array<std::string_view, 12> Command::caseNames{
    "library",     "readFile",        "createCard",
    "updateCard",  "trashCard",       "restoreCard",
    "createShelf", "copyToClipboard", "pasteIntoFrontmostApp",
    "keepText",    "keepFile",        "showCard",
};

bool operator==(const Command::CreateCard& a, const Command::CreateCard& b) {
  return sameText(a.title, b.title) && sameText(a.text, b.text) && a.shelfID == b.shelfID;
}

bool operator==(const Command::UpdateCard& a, const Command::UpdateCard& b) {
  return a.id == b.id && sameText(a.title, b.title) && sameText(a.text, b.text) &&
         a.shelfID == b.shelfID && a.expected == b.expected;
}

bool operator==(const Command::CreateShelf& a, const Command::CreateShelf& b) {
  return sameText(a.name, b.name);
}

bool operator==(const Command::KeepText& a, const Command::KeepText& b) {
  return sameText(a.text, b.text);
}

bool operator==(const Command::KeepFile& a, const Command::KeepFile& b) {
  return sameText(a.filename, b.filename) && a.data == b.data;
}

std::string Command::hostDescription() const {
  switch (value.index()) {
    case 0:
      return "Library opened from your iPhone";
    case 1:
      return "File opened from your iPhone";
    case 2:
      return "Card created from your iPhone";
    case 3:
      return "Card updated from your iPhone";
    case 4:
      return "Card moved to Trash from your iPhone";
    case 5:
      return "Card restored from your iPhone";
    case 6:
      return "Shelf created from your iPhone";
    case 7:
      return "Copied from your iPhone";
    case 8:
      return "Pasted from your iPhone";
    case 9:
      return "Kept text from your iPhone";
    case 10:
      return "Kept \u201C" + std::get<KeepFile>(value).filename + "\u201D from your iPhone";
    default:
      return "Showing a card from your iPhone";
  }
}

bool Command::requiresMac() const { return std::holds_alternative<PasteIntoFrontmostApp>(value); }

void Command::encode(OrderedJson& json) const {
  json = OrderedJson::object();
  OrderedJson& payload = json[std::string(caseNames[value.index()])] = OrderedJson::object();
  std::visit([&payload](const auto& c) { write(payload, c); }, value);
}

Command Command::decode(const JSONReader& reader) {
  const JSONCase chosen = reader.singleKeyCase(caseNames, "Remote.Command");
  return {read(internal::caseIndex(caseNames, chosen.name), chosen.payload)};
}

}  // namespace kelvo::Remote
