#pragma once

// Frames of opaque payloads (the sealed boxes of a session) under the limit the framer is made
// with: a 4-byte big-endian length, then the payload:
//
//   const Bytes frame = Remote::ByteFramer::encode(toBytes("sealed box"), 1 << 20);  // 14 bytes
//   Remote::ByteFramer receiving(1 << 20);  // the largest payload it takes
//   const std::vector<Bytes> payloads = receiving.append(frame);  // "sealed box"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/remote/FrameBuffer.hpp"
#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/Error.hpp"

namespace kelvo::Remote {

/// Frames of opaque payloads: a 4-byte big-endian length, then the payload. A copyable value;
/// each connection owns its receiving framer and feeds it whatever arrives.
class ByteFramer {
 public:
  /// A header announcing more than the limit. Thrown as soon as the header is complete, with
  /// everything pending dropped; the stream cannot find its next frame again, so the owner
  /// should close the connection. Also thrown, the same way, when receiving a frame needs more
  /// memory than can be had, carrying the frame's length (or, before its header is in, the
  /// bytes pending with those that arrived).
  class FramingError : public Error {
   public:
    enum class Kind { frameTooLarge };

    static FramingError frameTooLarge(std::int64_t byteCount,
                                      std::vector<Bytes> completedBefore = {});

    Kind kind() const { return kind_; }
    std::int64_t byteCount() const { return byteCount_; }
    /// The payloads that the failing call completed before the bad header, in stream order.
    const std::vector<Bytes>& completedBefore() const { return completedBefore_; }

    /// Same case and count; what was completed before is not compared.
    friend bool operator==(const FramingError& a, const FramingError& b) {
      return a.kind_ == b.kind_ && a.byteCount_ == b.byteCount_;
    }

   private:
    FramingError(Kind kind, std::int64_t byteCount, std::vector<Bytes> completedBefore);

    Kind kind_;
    std::int64_t byteCount_;
    std::vector<Bytes> completedBefore_;
  };

  /// The largest payload accepted, inclusive; above 4,294,967,295 the header could not say it,
  /// so that is the most any limit allows. A negative limit accepts nothing.
  explicit ByteFramer(std::int64_t limit) : limit_(limit) {}

  /// One frame, built in one allocation. Throws `FramingError` for a payload over the limit
  /// (or over 4,294,967,295 whatever the limit) without reading it.
  static Bytes encode(std::span<const std::uint8_t> payload, std::int64_t limit);

  /// The payloads completed so far, in stream order, each with storage of its own. Throws
  /// `FramingError` for an oversized header or an allocation failure, carrying what this call
  /// completed before it. Memory is taken as bytes arrive, never on a header alone; a payload
  /// that ends what arrived is handed over in the framer's own storage.
  std::vector<Bytes> append(std::span<const std::uint8_t> bytes);

  std::int64_t limit() const { return limit_; }
  std::size_t pendingByteCount() const { return buffer_.pendingByteCount(); }

 private:
  std::int64_t limit_;
  FrameBuffer buffer_;
};

}  // namespace kelvo::Remote
