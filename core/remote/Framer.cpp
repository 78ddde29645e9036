#include "core/remote/Framer.hpp"

#include <string>
#include <string_view>

#include "platform/foundation/DecodingError.hpp"

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
  return internal::frame(asBytes(json));
}

std::vector<Message> Framer::append(std::span<const std::uint8_t> bytes) {
  buffer_.append(bytes);
  std::vector<Message> messages;
  while (true) {
    const auto next = buffer_.next(maximumFrameByteCount);
    if (next.state == internal::FrameBuffer::State::incomplete) break;
    if (next.state == internal::FrameBuffer::State::tooLarge) {
      throw FramingError::frameTooLarge(static_cast<std::int64_t>(next.length),
                                        std::move(messages));
    }
    try {
      messages.push_back(Message::decoded(std::string_view(
          reinterpret_cast<const char*>(next.payload.data()), next.payload.size())));
    } catch (const DecodingError&) {
      buffer_.compact();
      throw FramingError::malformed(std::move(messages));
    }
  }
  buffer_.compact();
  return messages;
}

}  // namespace kelvo::Remote
