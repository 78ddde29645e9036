// Reads bytes as a JSON document, walks it with every typed read, and checks that writing is
// stable: what the writer gives reads back and writes again to the same text.
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string_view>

#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/JSONReader.hpp"

namespace {

void walk(const kelvo::JSONReader& reader, int depth) {
  try {
    (void)reader.string();
    (void)reader.uuid();
    (void)reader.bytes();
  } catch (const kelvo::DecodingError&) {
  }
  try {
    (void)reader.integer();
    (void)reader.number();
    (void)reader.date();
  } catch (const kelvo::DecodingError&) {
  }
  try {
    (void)reader.boolean();
  } catch (const kelvo::DecodingError&) {
  }
  if (depth > 64) return;
  const kelvo::Json& json = reader.json();
  if (json.is_array()) {
    for (const auto& element : reader.elements()) walk(element, depth + 1);
  } else if (json.is_object()) {
    static constexpr std::string_view cases[] = {"a", "b", "_0"};
    try {
      walk(reader.singleKeyCase(cases, "Fuzz").payload, depth + 1);
    } catch (const kelvo::DecodingError&) {
    }
    for (auto it = json.begin(); it != json.end(); ++it) walk(reader[it.key()], depth + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kelvo::fuzz::text(data, size);
  kelvo::Json document;
  try {
    document = kelvo::json::parse(text, size % 2 == 0);
  } catch (const kelvo::DecodingError&) {
    return 0;
  }
  walk(kelvo::JSONReader(document), 0);
  try {
    const std::string once = kelvo::json::write(document);
    const std::string twice = kelvo::json::write(kelvo::json::parse(once, true));
    // A negative zero comes back from "-0" as the integer 0, so stability holds from here.
    if (kelvo::json::write(kelvo::json::parse(twice, true)) != twice) std::abort();
  } catch (const kelvo::EncodingError&) {
    std::abort();  // parsed numbers are always finite
  }
  return 0;
}
