// Reads bytes as JSON and hands the tree to the Raycast and Alfred readers: a recognised export
// always gives at least one snippet.
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string_view>

#include "core/import/AlfredParser.hpp"
#include "core/import/RaycastParser.hpp"
#include "fuzz/FuzzInput.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kelvo::fuzz::text(data, size);
  kelvo::Json value;
  try {
    value = kelvo::json::parse(text);
  } catch (const kelvo::DecodingError& error) {
    // A bare scalar or a number out of range has no offset; any other failure has one.
    if (error.offset() && *error.offset() > size) std::abort();
    return 0;
  }
  if (kelvo::RaycastParser::looksLikeRaycast(value) && kelvo::RaycastParser::parse(value).empty()) {
    std::abort();
  }
  if (kelvo::AlfredParser::looksLikeAlfred(value) && kelvo::AlfredParser::parse(value).empty()) {
    std::abort();
  }
  return 0;
}
