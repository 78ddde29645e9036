// Decodes bytes as Base64; whatever decodes must encode back to the very same text, and the
// input's own encoding must decode back to it.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/Base64.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kelvo::fuzz::text(data, size);
  if (const auto decoded = kelvo::base64Decoded(text)) {
    if (kelvo::base64Encoded(*decoded) != text) std::abort();
  }
  const auto roundTrip = kelvo::base64Decoded(kelvo::base64Encoded({data, size}));
  if (!roundTrip || !std::equal(roundTrip->begin(), roundTrip->end(), data, data + size)) {
    std::abort();
  }
  return 0;
}
