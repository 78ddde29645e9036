#include "core/remote/CommandResult.hpp"

#include <nlohmann/json.hpp>

#include "core/remote/internal/Coding.hpp"
#include "platform/foundation/Base64.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Overloaded.hpp"

namespace kelvo::Remote {
namespace {

using remote_internal::sameText;

// One reader per case of the result.
CommandResult::OK read(std::type_identity<CommandResult::OK>, const JSONReader& p) {
  return {p["_0"].string()};
}
CommandResult::Library read(std::type_identity<CommandResult::Library>, const JSONReader& p) {
  return {LibraryPage::decode(p["_0"])};
}
CommandResult::File read(std::type_identity<CommandResult::File>, const JSONReader& p) {
  return {p["filename"].string(), p["data"].bytes()};
}
CommandResult::Failed read(std::type_identity<CommandResult::Failed>, const JSONReader& p) {
  return {p["_0"].string()};
}

}  // namespace

const std::array<std::string_view, 4> CommandResult::caseNames{"ok", "library", "file", "failed"};

bool operator==(const CommandResult::OK& a, const CommandResult::OK& b) {
  return sameText(a.text, b.text);
}

bool operator==(const CommandResult::File& a, const CommandResult::File& b) {
  return sameText(a.filename, b.filename) && a.data == b.data;
}

bool operator==(const CommandResult::Failed& a, const CommandResult::Failed& b) {
  return sameText(a.text, b.text);
}

std::string CommandResult::message() const {
  return std::visit(
      Overloaded{
          [](const OK& ok) { return ok.text; },
          [](const Library&) { return localized("Library refreshed"); },
          [](const File&) { return localized("File received from the connected device"); },
          [](const Failed& failed) { return failed.text; },
      },
      value);
}

void CommandResult::encode(OrderedJson& json) const {
  json = OrderedJson::object();
  OrderedJson& payload = json[std::string(caseNames[value.index()])] = OrderedJson::object();
  std::visit(Overloaded{
                 [&payload](const OK& ok) { payload["_0"] = ok.text; },
                 [&payload](const Library& library) { library.page.encode(payload["_0"]); },
                 [&payload](const File& file) {
                   payload["filename"] = file.filename;
                   payload["data"] = base64Encoded(file.data);
                 },
                 [&payload](const Failed& failed) { payload["_0"] = failed.text; },
             },
             value);
}

CommandResult CommandResult::decode(const JSONReader& reader) {
  const JSONCase chosen = reader.singleKeyCase(caseNames, "Remote.CommandResult");
  const std::size_t index = remote_internal::caseIndex(caseNames, chosen.name);
  return {variantAt<Value>(index, [&p = chosen.payload](auto type) { return read(type, p); })};
}

}  // namespace kelvo::Remote
