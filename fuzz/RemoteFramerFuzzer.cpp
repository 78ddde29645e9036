// Feeds bytes to a message framer in chunks whose sizes the first byte chooses. Only framing
// errors may come out, and every message handed out must frame and read back to itself.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/remote/Framer.hpp"

namespace {

void check(const std::vector<kelvo::Remote::Message>& messages) {
  for (const auto& message : messages) {
    kelvo::Remote::Framer framer;
    if (framer.append(kelvo::Remote::Framer::encode(message)) !=
        std::vector<kelvo::Remote::Message>{message}) {
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t step = data[0] % 64 + 1;
  const std::span<const std::uint8_t> input(data + 1, size - 1);
  kelvo::Remote::Framer framer;
  for (std::size_t at = 0; at <= input.size(); at += step) {
    try {
      check(framer.append(input.subspan(at, std::min(step, input.size() - at))));
    } catch (const kelvo::Remote::Framer::FramingError& error) {
      check(error.completedBefore());
      if (error.kind() == kelvo::Remote::Framer::FramingError::Kind::frameTooLarge &&
          framer.pendingByteCount() != 0) {
        std::abort();
      }
    }
    if (at == input.size()) break;
  }
  return 0;
}
