// Reads stored bytes as the string-list transformer does; whatever it reads must be a list it
// accepts and writes, and the written bytes must read back as the same list. It reads exactly
// what the JSON parser reads as an array of strings, but refuses bytes with a NUL in them,
// which the parser takes for the end of its input; and it writes what the JSON writer writes:
// its direct reading and writing of the common form must agree with them.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/data/ValueTransformer.hpp"
#include "platform/foundation/JSON.hpp"

namespace {

std::optional<std::vector<std::string>> parsedList(const std::uint8_t* data, std::size_t size) {
  if (std::find(data, data + size, std::uint8_t{0}) != data + size) return std::nullopt;
  const auto json = nlohmann::json::parse(data, data + size, nullptr, false);
  if (json.is_discarded() || !json.is_array()) return std::nullopt;
  std::vector<std::string> list;
  for (const auto& element : json) {
    if (!element.is_string()) return std::nullopt;
    list.push_back(element.get<std::string>());
  }
  return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using kelvo::data::ValueTransformer;
  const auto* transformer = ValueTransformer::named(ValueTransformer::secureUnarchiveFromDataName);
  const auto value = transformer->decode({data, size});
  const auto expected = parsedList(data, size);
  if (value.has_value() != expected.has_value()) std::abort();
  if (!value) return 0;
  if (value->stringList() == nullptr || *value->stringList() != *expected) std::abort();
  if (!transformer->accepts(*value)) std::abort();
  const auto encoded = transformer->encode(*value);
  if (!encoded || *encoded != kelvo::json::write(kelvo::Json(*expected))) std::abort();
  const auto again = transformer->decode(
      {reinterpret_cast<const std::uint8_t*>(encoded->data()), encoded->size()});
  if (!again || !(*again == *value)) std::abort();
  return 0;
}
