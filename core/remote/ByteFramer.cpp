#include "core/remote/ByteFramer.hpp"

#include <algorithm>
#include <new>
#include <string>

namespace kelvo::Remote {
namespace {

// The limit as the header sees it: never past what four bytes hold.
std::int64_t effectiveLimit(std::int64_t limit) {
  return std::min(limit, static_cast<std::int64_t>(FrameBuffer::largestFrameLength));
}

bool accepts(std::int64_t limit, std::size_t length) {
  return limit >= 0 && length <= static_cast<std::uint64_t>(effectiveLimit(limit));
}

}  // namespace

ByteFramer::FramingError::FramingError(Kind kind, std::int64_t byteCount,
                                       std::vector<Bytes> completedBefore)
    : Error("The frame of " + std::to_string(byteCount) + " bytes is larger than allowed."),
      kind_(kind),
      byteCount_(byteCount),
      completedBefore_(std::move(completedBefore)) {}

ByteFramer::FramingError ByteFramer::FramingError::frameTooLarge(
    std::int64_t byteCount, std::vector<Bytes> completedBefore) {
  return FramingError(Kind::frameTooLarge, byteCount, std::move(completedBefore));
}

Bytes ByteFramer::encode(std::span<const std::uint8_t> payload, std::int64_t limit) {
  if (!accepts(limit, payload.size())) {
    throw FramingError::frameTooLarge(static_cast<std::int64_t>(payload.size()));
  }
  return FrameBuffer::frame(payload);
}

std::vector<Bytes> ByteFramer::append(std::span<const std::uint8_t> bytes) {
  std::vector<Bytes> payloads;
  // The frame an allocation failure is reported for.
  std::uint64_t reading =
      buffer_.announcedLength().value_or(buffer_.pendingByteCount() + bytes.size());
  try {
    buffer_.append(bytes);
    while (true) {
      const auto next = buffer_.next(effectiveLimit(limit_));
      if (next.state == FrameBuffer::State::incomplete) break;
      if (next.state == FrameBuffer::State::tooLarge) {
        throw FramingError::frameTooLarge(static_cast<std::int64_t>(next.length),
                                          std::move(payloads));
      }
      reading = next.length;
      payloads.push_back(buffer_.take(next));
    }
    buffer_.compact();
  } catch (const std::bad_alloc&) {
    buffer_.clear();
    throw FramingError::frameTooLarge(static_cast<std::int64_t>(reading), std::move(payloads));
  }
  return payloads;
}

}  // namespace kelvo::Remote
