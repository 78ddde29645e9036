// Feeds bytes to a payload framer whose limit the first byte chooses, in two chunks cut where
// the second byte says. Every payload handed out must frame back to the bytes it came from.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/remote/ByteFramer.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::int64_t limit = static_cast<std::int64_t>(data[0]) - 8;
  const std::span<const std::uint8_t> input(data + 2, size - 2);
  const std::size_t cut = std::min<std::size_t>(data[1], input.size());
  kelvo::Remote::ByteFramer framer(limit);
  std::size_t consumed = 0;
  for (const auto chunk : {input.first(cut), input.subspan(cut)}) {
    std::vector<kelvo::Bytes> payloads;
    try {
      payloads = framer.append(chunk);
    } catch (const kelvo::Remote::ByteFramer::FramingError& error) {
      if (error.byteCount() <= limit || framer.pendingByteCount() != 0) std::abort();
      return 0;
    }
    for (const auto& payload : payloads) {
      const auto frame = kelvo::Remote::ByteFramer::encode(payload, limit);
      if (!std::equal(frame.begin(), frame.end(), input.begin() + consumed)) std::abort();
      consumed += frame.size();
    }
  }
  if (consumed + framer.pendingByteCount() != input.size()) std::abort();
  return 0;
}
