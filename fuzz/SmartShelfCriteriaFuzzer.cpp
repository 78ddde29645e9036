// Reads bytes as a smart shelf's criteria document: whatever decodes must encode, decode equal,
// and encode again to the same text.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/search/SmartShelfCriteria.hpp"
#include "fuzz/FuzzInput.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kelvo::SmartShelfCriteria;
  const std::string_view input = kelvo::fuzz::text(data, size);
  const auto criteria = SmartShelfCriteria::decode(input);
  if (!criteria) return 0;
  const auto text = criteria->encoded();
  if (!text) std::abort();
  const auto again = SmartShelfCriteria::decode(*text);
  if (!again || !(*again == *criteria) || again->encoded() != text) std::abort();
  (void)criteria->icon();
  return 0;
}
