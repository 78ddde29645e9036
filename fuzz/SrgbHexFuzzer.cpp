// Hex colour parsing: never crashes, and whatever parses prints back and parses to itself.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/design/SRGB.hpp"
#include "fuzz/FuzzInput.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kelvo::fuzz::text(data, size);
  const auto colour = kelvo::SRGB::fromHex(text);
  if (!colour) return 0;
  for (const double component : {colour->red(), colour->green(), colour->blue()}) {
    if (!(component >= 0.0 && component <= 1.0)) std::abort();
  }
  const auto again = kelvo::SRGB::fromHex(colour->hexString());
  if (!again || *again != *colour) std::abort();
  if (colour->contrastRatio(kelvo::SRGB(1, 1, 1)) > 21.0) std::abort();
  return 0;
}
