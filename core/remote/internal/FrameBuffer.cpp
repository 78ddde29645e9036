#include "core/remote/internal/FrameBuffer.hpp"

#include "core/remote/Framer.hpp"

namespace kelvo::Remote::internal {
namespace {

// Beyond this an emptied buffer gives its memory back rather than keep it for the connection.
constexpr std::size_t retainedCapacity = 1 << 20;
// The most reserved on a header's word alone (a message frame's ceiling); a payload framer with
// a larger limit grows its buffer as the bytes actually arrive.
constexpr std::size_t largestReservation = Framer::maximumFrameByteCount + 4;

}  // namespace

Bytes frame(std::span<const std::uint8_t> payload) {
  const auto length = static_cast<std::uint32_t>(payload.size());
  Bytes out;
  out.reserve(payload.size() + 4);
  out.push_back(static_cast<std::uint8_t>(length >> 24));
  out.push_back(static_cast<std::uint8_t>(length >> 16));
  out.push_back(static_cast<std::uint8_t>(length >> 8));
  out.push_back(static_cast<std::uint8_t>(length));
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

void FrameBuffer::append(std::span<const std::uint8_t> bytes) {
  compact();
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

FrameBuffer::Next FrameBuffer::next(std::int64_t limit) {
  if (pendingByteCount() < 4) return {State::incomplete, 0, {}};
  const std::uint8_t* header = bytes_.data() + readOffset_;
  const std::uint64_t length = (std::uint64_t{header[0]} << 24) | (std::uint64_t{header[1]} << 16) |
                               (std::uint64_t{header[2]} << 8) | std::uint64_t{header[3]};
  if (limit < 0 || length > static_cast<std::uint64_t>(limit)) {
    bytes_.clear();
    readOffset_ = 0;
    return {State::tooLarge, length, {}};
  }
  if (pendingByteCount() - 4 < length) {
    makeRoom(static_cast<std::size_t>(length) + 4);
    return {State::incomplete, length, {}};
  }
  const std::span<const std::uint8_t> payload(header + 4, static_cast<std::size_t>(length));
  readOffset_ += 4 + static_cast<std::size_t>(length);
  return {State::complete, length, payload};
}

void FrameBuffer::makeRoom(std::size_t frameByteCount) {
  if (frameByteCount > largestReservation || bytes_.capacity() - readOffset_ >= frameByteCount) {
    return;
  }
  // The header has passed the limit: room for the whole frame now saves regrowing the buffer
  // (and copying it) as the body trickles in.
  bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(readOffset_));
  readOffset_ = 0;
  bytes_.reserve(frameByteCount);
}

void FrameBuffer::compact() {
  if (readOffset_ == 0) return;
  if (readOffset_ == bytes_.size()) {
    if (bytes_.capacity() > retainedCapacity) {
      Bytes().swap(bytes_);
    } else {
      bytes_.clear();
    }
    readOffset_ = 0;
  } else if (readOffset_ >= pendingByteCount()) {
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(readOffset_));
    readOffset_ = 0;
  }
}

}  // namespace kelvo::Remote::internal
