#pragma once

// The bytes a framer has received and not yet consumed, and the frame rule both framers share: a
// 4-byte big-endian length, then that many bytes. Storage grows with the bytes that arrive, never
// on a header alone:
//
//   Remote::FrameBuffer buffer;
//   buffer.append(Remote::FrameBuffer::frame(toBytes("one")));  // what arrived
//   std::vector<Bytes> payloads;  // "one"
//   auto next = buffer.next(1024);  // at most 1024 bytes a frame
//   while (next.state == Remote::FrameBuffer::State::complete) {
//     payloads.push_back(buffer.take(next));
//     next = buffer.next(1024);
//   }

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/foundation/Bytes.hpp"

namespace kelvo::Remote {

/// The bytes a framer has received and not yet consumed, and the frame rule both framers share:
/// a 4-byte big-endian length, then that many bytes. Storage grows with the bytes that arrive,
/// never on a header alone and never past the end of the frame being received, so a connection
/// that announces a large frame and goes silent costs what it sent. Frames are consumed by
/// moving a read offset and the consumed front is dropped only now and then, so a chunk of many
/// frames costs one pass. A copyable value; `Framer` and `ByteFramer` each hold one.
class FrameBuffer {
 public:
  /// The largest length the 4-byte header can hold.
  static constexpr std::uint64_t largestFrameLength = 0xFFFF'FFFF;

  enum class State { incomplete, tooLarge, complete };
  struct Next {
    State state;
    /// The announced length (for `tooLarge` and `complete`).
    std::uint64_t length = 0;
    /// The payload of a complete frame: valid until the buffer next changes.
    std::span<const std::uint8_t> payload;
  };

  /// One frame for `payload`: its length as 4 bytes big-endian, then the payload, built in one
  /// allocation. The caller has checked the length against its limit.
  static Bytes frame(std::span<const std::uint8_t> payload);

  /// Keeps `bytes` after what is pending. Throws `std::bad_alloc` when the storage cannot grow;
  /// nothing is added then.
  void append(std::span<const std::uint8_t> bytes);
  /// The next frame of at most `limit` bytes (none for a negative limit), consumed; for
  /// `tooLarge` everything pending is dropped.
  Next next(std::int64_t limit);
  /// The payload of `complete`, just returned by `next`, with storage of its own: the buffer's
  /// own storage when that frame ends what was received and fills most of it, otherwise a copy.
  Bytes take(const Next& complete);
  /// Drops the consumed front when it is at least as long as what is pending, and moves what is
  /// pending into storage of its size once a large storage is mostly spent.
  void compact();
  /// Drops everything pending and gives the storage back.
  void clear();

  std::size_t pendingByteCount() const { return bytes_.size() - readOffset_; }
  /// The length the pending header announces, once its 4 bytes are in.
  std::optional<std::uint64_t> announcedLength() const;

 private:
  std::size_t grownCapacity(std::size_t needed) const;

  Bytes bytes_;
  std::size_t readOffset_ = 0;
};

}  // namespace kelvo::Remote
