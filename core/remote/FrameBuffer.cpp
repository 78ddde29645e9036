#include "core/remote/FrameBuffer.hpp"

#include <algorithm>

namespace kelvo::Remote {
namespace {

// Beyond this a mostly spent buffer moves what is pending into storage of its size rather than
// keep the large one for the connection.
constexpr std::size_t retainedCapacity = 1 << 20;

}  // namespace

Bytes FrameBuffer::frame(std::span<const std::uint8_t> payload) {
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
  const std::size_t needed = bytes_.size() + bytes.size();
  if (needed > bytes_.capacity()) bytes_.reserve(grownCapacity(needed));
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

FrameBuffer::Next FrameBuffer::next(std::int64_t limit) {
  const auto length = announcedLength();
  if (!length) return {State::incomplete, 0, {}};
  if (limit < 0 || *length > static_cast<std::uint64_t>(limit)) {
    bytes_.clear();
    readOffset_ = 0;
    return {State::tooLarge, *length, {}};
  }
  if (pendingByteCount() - 4 < *length) return {State::incomplete, *length, {}};
  const std::span<const std::uint8_t> payload(bytes_.data() + readOffset_ + 4,
                                              static_cast<std::size_t>(*length));
  readOffset_ += 4 + payload.size();
  return {State::complete, *length, payload};
}

Bytes FrameBuffer::take(const Next& complete) {
  const auto start = static_cast<std::size_t>(complete.payload.data() - bytes_.data());
  const bool endsWhatArrived = start + complete.payload.size() == bytes_.size();
  if (!endsWhatArrived || complete.payload.size() < bytes_.capacity() / 2) {
    return Bytes(complete.payload.begin(), complete.payload.end());
  }
  // Handing the storage over saves a copy of the whole payload beside it.
  bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(start));
  Bytes payload = std::move(bytes_);
  bytes_ = Bytes();
  readOffset_ = 0;
  return payload;
}

void FrameBuffer::compact() {
  if (readOffset_ == 0) return;
  const std::size_t pending = pendingByteCount();
  const auto consumed = bytes_.begin() + static_cast<std::ptrdiff_t>(readOffset_);
  if (bytes_.capacity() > retainedCapacity && pending <= bytes_.capacity() / 4) {
    Bytes rest(consumed, bytes_.end());
    bytes_.swap(rest);
  } else if (readOffset_ >= pending) {
    bytes_.erase(bytes_.begin(), consumed);
  } else {
    return;
  }
  readOffset_ = 0;
}

void FrameBuffer::clear() {
  Bytes().swap(bytes_);
  readOffset_ = 0;
}

std::optional<std::uint64_t> FrameBuffer::announcedLength() const {
  if (pendingByteCount() < 4) return std::nullopt;
  const std::uint8_t* header = bytes_.data() + readOffset_;
  return (std::uint64_t{header[0]} << 24) | (std::uint64_t{header[1]} << 16) |
         (std::uint64_t{header[2]} << 8) | std::uint64_t{header[3]};
}

std::size_t FrameBuffer::grownCapacity(std::size_t needed) const {
  const std::size_t doubled = std::max(needed, 2 * bytes_.capacity());
  const auto length = announcedLength();
  if (!length) return doubled;
  const std::size_t frameEnd = readOffset_ + 4 + static_cast<std::size_t>(*length);
  if (needed > frameEnd) return doubled;
  // Room past the end of the frame now arriving would be taken on its header's word alone. Once
  // half of it is due, all of it is: growing by doubling up to just short of the end and then
  // to the end would hold twice the frame while the bytes move.
  return 2 * doubled >= frameEnd ? frameEnd : doubled;
}

}  // namespace kelvo::Remote
