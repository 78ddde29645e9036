#include "core/remote/Message.hpp"

#include <nlohmann/json.hpp>

#include "core/remote/internal/Coding.hpp"
#include "core/remote/internal/WireParser.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/Overloaded.hpp"

namespace kelvo::Remote {
namespace {

using internal::sameText;

void writeTokenAndDevice(OrderedJson& payload, const char* textKey, const std::string& text,
                         const char* deviceKey, const DeviceInfo& device) {
  payload[textKey] = text;
  device.encode(payload[deviceKey]);
}

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
  const JSONReader& p = chosen.payload;
  switch (internal::caseIndex(caseNames, chosen.name)) {
    case 0:
      return hello(DeviceInfo::decode(p["_0"]));
    case 1:
      // Braces read the members in order, as a function's arguments would not.
      return {Pair{p["code"].string(), DeviceInfo::decode(p["from"])}};
    case 2:
      return {Resume{p["token"].string(), DeviceInfo::decode(p["from"])}};
    case 3:
      return {Paired{p["token"].string(), DeviceInfo::decode(p["host"])}};
    case 4:
      return refused(p["_0"].rawValue(RawValues<RefusalReason>::table, "Remote.RefusalReason"));
    case 5:
      return command(Command::decode(p["_0"]));
    case 6:
      return result(CommandResult::decode(p["_0"]));
    case 7:
      return ping();
    default:
      return pong();
  }
}

std::string Message::encoded() const {
  OrderedJson json;
  encode(json);
  return json::write(json);
}

Message Message::decoded(std::string_view text) {
  const Json json = internal::parseWire(text, internal::messageKeys());
  return decode(JSONReader(json));
}

}  // namespace kelvo::Remote
