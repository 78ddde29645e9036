#pragma once

// Frames of one Message each, as JSON, under a fixed ceiling. Each connection owns its receiving
// framer, which hands back every message completed so far; after a FramingError the owner closes
// the connection:
//
//   Bytes chunk = Remote::Framer::encode(Remote::Message::ping());
//   const Bytes pong = Remote::Framer::encode(Remote::Message::pong());
//   chunk.insert(chunk.end(), pong.begin(), pong.end());  // two frames arrive together
//   Remote::Framer receiving;
//   const std::vector<Remote::Message> messages = receiving.append(chunk);  // ping, pong

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/remote/FrameBuffer.hpp"
#include "core/remote/Message.hpp"
#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/Error.hpp"

namespace kelvo::Remote {

/// Frames of one `Message` each, as JSON, under a fixed ceiling. A copyable value; each
/// connection owns its receiving framer. After any `FramingError` the owner should close the
/// connection.
class Framer {
 public:
  /// The largest JSON payload accepted, inclusive: 16 MiB and 64 KiB.
  static constexpr std::int64_t maximumFrameByteCount = 0x101'0000;

  class FramingError : public Error {
   public:
    enum class Kind {
      /// A header announced more than the ceiling, or receiving a frame needed more memory
      /// than could be had; everything pending was dropped.
      frameTooLarge,
      /// A complete frame did not hold a message; it was consumed, what followed it kept.
      malformed,
    };

    static FramingError frameTooLarge(std::int64_t byteCount,
                                      std::vector<Message> completedBefore = {});
    static FramingError malformed(std::vector<Message> completedBefore = {});

    Kind kind() const { return kind_; }
    /// For `frameTooLarge` the announced length (after an allocation failure, that of the frame
    /// being read, or before its header is in, the bytes pending with those that arrived); 0
    /// for `malformed`.
    std::int64_t byteCount() const { return byteCount_; }
    /// The messages that the failing call completed before the bad frame, in stream order.
    const std::vector<Message>& completedBefore() const { return completedBefore_; }

    /// Same case and count; what was completed before is not compared.
    friend bool operator==(const FramingError& a, const FramingError& b) {
      return a.kind_ == b.kind_ && a.byteCount_ == b.byteCount_;
    }

   private:
    FramingError(Kind kind, std::int64_t byteCount, std::vector<Message> completedBefore);

    Kind kind_;
    std::int64_t byteCount_;
    std::vector<Message> completedBefore_;
  };

  /// One frame holding the message's JSON. Throws `FramingError` (frameTooLarge) when the JSON
  /// is longer than the ceiling, `EncodingError` if the writer fails.
  static Bytes encode(const Message& message);

  /// The messages completed so far, in stream order. Every decoding failure of a complete frame
  /// becomes `malformed`; both errors carry what this call completed before them. Memory is
  /// taken as bytes arrive and a complete frame is read within about twice its length (the
  /// bounds are in the protocol's documentation); an allocation failure is `frameTooLarge`,
  /// never `std::bad_alloc`.
  std::vector<Message> append(std::span<const std::uint8_t> bytes);

  std::size_t pendingByteCount() const { return buffer_.pendingByteCount(); }

 private:
  Message decodeFrame(std::span<const std::uint8_t> payload);

  FrameBuffer buffer_;
};

}  // namespace kelvo::Remote
