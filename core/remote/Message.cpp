#include "core/remote/Message.hpp"

#include <nlohmann/json.hpp>

#include "core/remote/internal/Coding.hpp"
#include "core/remote/internal/WireParser.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/Overloaded.hpp"

namespace kelvo::Remote {
namespace {

using remote_internal::sameText;

void writeTokenAndDevice(OrderedJson& payload, const char* textKey, const std::string& text,
                         const char* deviceKey, const DeviceInfo& device) {
  payload[textKey] = text;
  device.encode(payload[deviceKey]);
}

// One reader per case of the message; braces read the members in order, as a function's
// arguments would not.
Message::Hello read(std::type_identity<Message::Hello>, const JSONReader& p) {
  return {DeviceInfo::decode(p["_0"])};
}
Message::Pair read(std::type_identity<Message::Pair>, const JSONReader& p) {
  return {p["code"].string(), DeviceInfo::decode(p["from"])};
}
Message::Resume read(std::type_identity<Message::Resume>, const JSONReader& p) {
  return {p["token"].string(), DeviceInfo::decode(p["from"])};
}
Message::Paired read(std::type_identity<Message::Paired>, const JSONReader& p) {
  return {p["token"].string(), DeviceInfo::decode(p["host"])};
}
Message::Refused read(std::type_identity<Message::Refused>, const JSONReader& p) {
  return {p["_0"].rawValue(RawValues<RefusalReason>::table, "Remote.RefusalReason")};
}
Message::CommandMessage read(std::type_identity<Message::CommandMessage>, const JSONReader& p) {
  return {Command::decode(p["_0"])};
}
Message::ResultMessage read(std::type_identity<Message::ResultMessage>, const JSONReader& p) {
  return {CommandResult::decode(p["_0"])};
}
Message::Ping read(std::type_identity<Message::Ping>, const JSONReader&) { return {}; }
Message::Pong read(std::type_identity<Message::Pong>, const JSONReader&) { return {}; }

}  // namespace

const std::array<std::string_view, 9> Message::caseNames{
    "hello", "pair", "resume", "paired", "refused", "command", "result", "ping", "pong"};

bool operator==(const Message::Pair& a, const Message::Pair& b) {
  return sameText(a.code, b.code) && a.from == b.from;
}

bool operator==(const Message::Resume& a, const Message::Resume& b) {
  return sameText(a.token, b.token) && a.from == b.from;
}

bool operator==(const Message::Paired& a, const Message::Paired& b) {
  return sameText(a.token, b.token) && a.host == b.host;
}

void Message::encode(OrderedJson& json) const {
  json = OrderedJson::object();
  OrderedJson& p = json[std::string(caseNames[value.index()])] = OrderedJson::object();
  std::visit(
      Overloaded{
          [&p](const Hello& m) { m.device.encode(p["_0"]); },
          [&p](const Pair& m) { writeTokenAndDevice(p, "code", m.code, "from", m.from); },
          [&p](const Resume& m) { writeTokenAndDevice(p, "token", m.token, "from", m.from); },
          [&p](const Paired& m) { writeTokenAndDevice(p, "token", m.token, "host", m.host); },
          [&p](const Refused& m) { p["_0"] = rawValue(m.reason); },
          [&p](const CommandMessage& m) { m.command.encode(p["_0"]); },
          [&p](const ResultMessage& m) { m.result.encode(p["_0"]); },
          [](const Ping&) {},
          [](const Pong&) {},
      },
      value);
}

Message Message::decode(const JSONReader& reader) {
  const JSONCase chosen = reader.singleKeyCase(caseNames, "Remote.Message");
  const std::size_t index = remote_internal::caseIndex(caseNames, chosen.name);
  return {variantAt<Value>(index, [&p = chosen.payload](auto type) { return read(type, p); })};
}

std::string Message::encoded() const {
  OrderedJson json;
  encode(json);
  return json::write(json);
}

Message Message::decoded(std::string_view text) {
  const Json json = remote_internal::parseWire(text, remote_internal::messageKeys());
  return decode(JSONReader(json));
}

}  // namespace kelvo::Remote
