#include "core/remote/Command.hpp"

#include <nlohmann/json.hpp>

#include "core/remote/internal/Coding.hpp"
#include "platform/foundation/Base64.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/Overloaded.hpp"

namespace kelvo::Remote {
namespace {

using remote_internal::sameText;

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

// One reader per case of the command.
Command::Library read(std::type_identity<Command::Library>, const JSONReader& p) {
  return {p["offset"].integer()};
}
Command::ReadFile read(std::type_identity<Command::ReadFile>, const JSONReader& p) {
  return {p["id"].uuid()};
}
Command::CreateCard read(std::type_identity<Command::CreateCard>, const JSONReader& p) {
  return {p["title"].string(), p["text"].string(), remote_internal::optionalUUID(p, "shelfID")};
}
Command::UpdateCard read(std::type_identity<Command::UpdateCard>, const JSONReader& p) {
  Command::UpdateCard update{p["id"].uuid(), p["title"].string(), p["text"].string(),
                             remote_internal::optionalUUID(p, "shelfID"), std::nullopt};
  if (const auto expected = p.optional("expected")) {
    update.expected = LibraryCard::decode(*expected);
  }
  return update;
}
Command::TrashCard read(std::type_identity<Command::TrashCard>, const JSONReader& p) {
  return {p["id"].uuid()};
}
Command::RestoreCard read(std::type_identity<Command::RestoreCard>, const JSONReader& p) {
  return {p["id"].uuid()};
}
Command::CreateShelf read(std::type_identity<Command::CreateShelf>, const JSONReader& p) {
  return {p["name"].string()};
}
Command::CopyToClipboard read(std::type_identity<Command::CopyToClipboard>, const JSONReader& p) {
  return {CardEnvelope::decode(p["card"])};
}
Command::PasteIntoFrontmostApp read(std::type_identity<Command::PasteIntoFrontmostApp>,
                                    const JSONReader& p) {
  return {CardEnvelope::decode(p["card"])};
}
Command::KeepText read(std::type_identity<Command::KeepText>, const JSONReader& p) {
  return {p["_0"].string()};
}
Command::KeepFile read(std::type_identity<Command::KeepFile>, const JSONReader& p) {
  return {p["filename"].string(), p["data"].bytes()};
}
Command::ShowCard read(std::type_identity<Command::ShowCard>, const JSONReader& p) {
  return {CardEnvelope::decode(p["card"])};
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
  return std::visit(
      Overloaded{
          [](const Library&) -> std::string { return "Library opened from your iPhone"; },
          [](const ReadFile&) -> std::string { return "File opened from your iPhone"; },
          [](const CreateCard&) -> std::string { return "Card created from your iPhone"; },
          [](const UpdateCard&) -> std::string { return "Card updated from your iPhone"; },
          [](const TrashCard&) -> std::string { return "Card moved to Trash from your iPhone"; },
          [](const RestoreCard&) -> std::string { return "Card restored from your iPhone"; },
          [](const CreateShelf&) -> std::string { return "Shelf created from your iPhone"; },
          [](const CopyToClipboard&) -> std::string { return "Copied from your iPhone"; },
          [](const PasteIntoFrontmostApp&) -> std::string { return "Pasted from your iPhone"; },
          [](const KeepText&) -> std::string { return "Kept text from your iPhone"; },
          [](const KeepFile& c) { return "Kept \u201C" + c.filename + "\u201D from your iPhone"; },
          [](const ShowCard&) -> std::string { return "Showing a card from your iPhone"; },
      },
      value);
}

bool Command::requiresMac() const { return std::holds_alternative<PasteIntoFrontmostApp>(value); }

void Command::encode(OrderedJson& json) const {
  json = OrderedJson::object();
  OrderedJson& payload = json[std::string(caseNames[value.index()])] = OrderedJson::object();
  std::visit([&payload](const auto& c) { write(payload, c); }, value);
}

Command Command::decode(const JSONReader& reader) {
  const JSONCase chosen = reader.singleKeyCase(caseNames, "Remote.Command");
  const std::size_t index = remote_internal::caseIndex(caseNames, chosen.name);
  return {variantAt<Value>(index, [&p = chosen.payload](auto type) { return read(type, p); })};
}

}  // namespace kelvo::Remote
