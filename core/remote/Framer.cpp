#include "core/remote/Framer.hpp"

#include <string>
#include <string_view>

#include <new>
#include <nlohmann/json.hpp>

#include "core/remote/internal/WireParser.hpp"
#include "platform/foundation/DecodingError.hpp"
#include "platform/foundation/JSONReader.hpp"

namespace kelvo::Remote {
namespace {

std::string describe(Framer::FramingError::Kind kind, std::int64_t byteCount) {
  if (kind == Framer::FramingError::Kind::malformed) {
    return "A frame did not hold a remote-control message.";
  }
  return "The frame of " + std::to_string(byteCount) + " bytes is larger than allowed.";
}

}  // namespace

Framer::FramingError::FramingError(Kind kind, std::int64_t byteCount,
                                   std::vector<Message> completedBefore)
    : Error(describe(kind, byteCount)),
      kind_(kind),
      byteCount_(byteCount),
      completedBefore_(std::move(completedBefore)) {}

Framer::FramingError Framer::FramingError::frameTooLarge(std::int64_t byteCount,
                                                         std::vector<Message> completedBefore) {
  return FramingError(Kind::frameTooLarge, byteCount, std::move(completedBefore));
}

Framer::FramingError Framer::FramingError::malformed(std::vector<Message> completedBefore) {
  return FramingError(Kind::malformed, 0, std::move(completedBefore));
}

Bytes Framer::encode(const Message& message) {
  const std::string json = message.encoded();
  if (json.size() > static_cast<std::size_t>(maximumFrameByteCount)) {
    throw FramingError::frameTooLarge(static_cast<std::int64_t>(json.size()));
  }
  return FrameBuffer::frame(asBytes(json));
}

std::vector<Message> Framer::append(std::span<const std::uint8_t> bytes) {
  std::vector<Message> messages;
  // The frame an allocation failure is reported for.
  std::uint64_t reading =
      buffer_.announcedLength().value_or(buffer_.pendingByteCount() + bytes.size());
  try {
    buffer_.append(bytes);
    while (true) {
      const auto next = buffer_.next(maximumFrameByteCount);
      if (next.state == FrameBuffer::State::incomplete) break;
      if (next.state == FrameBuffer::State::tooLarge) {
        throw FramingError::frameTooLarge(static_cast<std::int64_t>(next.length),
                                          std::move(messages));
      }
      reading = next.length;
      try {
        messages.push_back(decodeFrame(next.payload));
      } catch (const DecodingError&) {
        buffer_.compact();
        throw FramingError::malformed(std::move(messages));
      }
    }
    buffer_.compact();
  } catch (const std::bad_alloc&) {
    buffer_.clear();
    throw FramingError::frameTooLarge(static_cast<std::int64_t>(reading), std::move(messages));
  }
  return messages;
}

Message Framer::decodeFrame(std::span<const std::uint8_t> payload) {
  const Json json = remote_internal::parseWire(
      std::string_view(reinterpret_cast<const char*>(payload.data()), payload.size()),
      remote_internal::messageKeys());
  // The frame's text is read: a large one goes before the message copies out of the tree.
  buffer_.compact();
  return Message::decode(JSONReader(json));
}

}  // namespace kelvo::Remote
