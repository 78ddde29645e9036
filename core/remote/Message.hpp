#pragma once

// The one value that travels in a frame, written in the single-key form; a command the controller
// sends, for one:
//
//   const Remote::Message asked = Remote::Message::command({Remote::Command::Library{40}});
//   const std::string json = asked.encoded();  // {"command":{"_0":{"library":{"offset":40}}}}
//   const Remote::Message read = Remote::Message::decoded(json);  // DecodingError when not one

#include <array>
#include <string>
#include <string_view>
#include <variant>

#include "core/remote/Command.hpp"
#include "core/remote/CommandResult.hpp"
#include "core/remote/DeviceInfo.hpp"
#include "core/remote/RefusalReason.hpp"
#include "platform/foundation/JSON.hpp"

namespace kelvo::Remote {

/// The one value that travels in a frame, in the single-key form:
/// {"command":{"_0":{"library":{"offset":40}}}}. Which side sends what, and when, is the host
/// application's conversation; `pair`, `resume` and `paired` carry secrets.
struct Message {
  struct Hello {
    DeviceInfo device;
    friend bool operator==(const Hello&, const Hello&) = default;
  };
  struct Pair {
    std::string code;
    DeviceInfo from;
    friend bool operator==(const Pair& a, const Pair& b);
  };
  struct Resume {
    std::string token;
    DeviceInfo from;
    friend bool operator==(const Resume& a, const Resume& b);
  };
  struct Paired {
    std::string token;
    DeviceInfo host;
    friend bool operator==(const Paired& a, const Paired& b);
  };
  struct Refused {
    RefusalReason reason;
    friend bool operator==(const Refused&, const Refused&) = default;
  };
  struct CommandMessage {
    Command command;
    friend bool operator==(const CommandMessage&, const CommandMessage&) = default;
  };
  struct ResultMessage {
    CommandResult result;
    friend bool operator==(const ResultMessage&, const ResultMessage&) = default;
  };
  struct Ping {
    friend bool operator==(const Ping&, const Ping&) = default;
  };
  struct Pong {
    friend bool operator==(const Pong&, const Pong&) = default;
  };

  using Value =
      std::variant<Hello, Pair, Resume, Paired, Refused, CommandMessage, ResultMessage, Ping, Pong>;
  Value value;

  static const std::array<std::string_view, 9> caseNames;

  static Message hello(DeviceInfo device) { return {Hello{std::move(device)}}; }
  static Message pair(std::string code, DeviceInfo from) {
    return {Pair{std::move(code), std::move(from)}};
  }
  static Message resume(std::string token, DeviceInfo from) {
    return {Resume{std::move(token), std::move(from)}};
  }
  static Message paired(std::string token, DeviceInfo host) {
    return {Paired{std::move(token), std::move(host)}};
  }
  static Message refused(RefusalReason reason) { return {Refused{reason}}; }
  static Message command(Command command) { return {CommandMessage{std::move(command)}}; }
  static Message result(CommandResult result) { return {ResultMessage{std::move(result)}}; }
  static Message ping() { return {Ping{}}; }
  static Message pong() { return {Pong{}}; }

  void encode(OrderedJson& json) const;
  /// Throws `DecodingError`; none or several case keys is a type mismatch for "Remote.Message"
  /// described "Invalid number of keys found, expected one.".
  static Message decode(const JSONReader& reader);

  /// Compact JSON, members in their written order, "/" as "\/".
  std::string encoded() const;
  /// Reads received JSON, dropping members the protocol does not know as they are read and
  /// refusing a document denser in values than any real message. Throws `DecodingError`.
  static Message decoded(std::string_view json);

  /// Ordinary equality: codes and tokens compare as text, never as an authentication check.
  friend bool operator==(const Message&, const Message&) = default;
};

}  // namespace kelvo::Remote
