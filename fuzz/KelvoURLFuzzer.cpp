// Reads arbitrary text as a kelvo link; whatever it understands must survive being built into a
// link and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/widget/KelvoURL.hpp"
#include "fuzz/FuzzInput.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kelvo::fuzz::text(data, size);
  const auto link = kelvo::KelvoURL::parse(text);
  if (!link) return 0;
  const auto url = link->url();
  if (!url) std::abort();
  if (kelvo::KelvoURL::parse(*url) != link) std::abort();
  return 0;
}
