#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/foundation/Bytes.hpp"

namespace kelvo::Remote::internal {

/// The largest length the 4-byte header can hold.
inline constexpr std::uint64_t largestFrameLength = 0xFFFF'FFFF;

/// One frame for `payload`: its length as 4 bytes big-endian, then the payload, built in one
/// allocation. The caller has checked the length against its limit.
Bytes frame(std::span<const std::uint8_t> payload);

/// The bytes a framer has received and not yet consumed. Frames are consumed by moving a read
/// offset; the consumed front is dropped only now and then, so a chunk holding many frames costs
/// one pass, not one shift per frame.
class FrameBuffer {
 public:
  enum class State { incomplete, tooLarge, complete };
  struct Next {
    State state;
    /// The announced length (for `tooLarge` and `complete`).
    std::uint64_t length = 0;
    /// The payload of a complete frame: valid until the next `append` or `compact`.
    std::span<const std::uint8_t> payload;
  };

  void append(std::span<const std::uint8_t> bytes);
  /// The next frame of at most `limit` bytes (none for a negative limit), consumed; for
  /// `tooLarge` everything pending is dropped.
  Next next(std::int64_t limit);
  /// Drops the consumed front when it is at least as long as what is pending.
  void compact();
  std::size_t pendingByteCount() const { return bytes_.size() - readOffset_; }

 private:
  void makeRoom(std::size_t frameByteCount);

  Bytes bytes_;
  std::size_t readOffset_ = 0;
};

}  // namespace kelvo::Remote::internal
