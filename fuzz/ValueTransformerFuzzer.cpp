// Reads stored bytes as the string-list transformer does; whatever it reads must be a list it
// accepts and writes, and the written bytes must read back as the same list.
#include <cstdint>
#include <cstdlib>

#include "platform/data/ValueTransformer.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kelvo::data::ValueTransformer;
  const auto* transformer = ValueTransformer::named(ValueTransformer::secureUnarchiveFromDataName);
  const auto value = transformer->decode({data, size});
  if (!value) return 0;
  if (value->stringList() == nullptr || !transformer->accepts(*value)) std::abort();
  const auto encoded = transformer->encode(*value);
  if (!encoded) std::abort();
  const auto again = transformer->decode(
      {reinterpret_cast<const std::uint8_t*>(encoded->data()), encoded->size()});
  if (!again || !(*again == *value)) std::abort();
  return 0;
}
