// Reads bytes with the remote wire reader and with the platform's reader. They must agree on
// what is JSON and, once members with names the wire reader does not know are dropped, on its
// value; the wire reader may refuse more only for its own bounds (density, number length). The
// platform's reader takes a NUL byte for the end of the text, so text holding one, which is
// never JSON, must be refused by the wire reader and is not compared.
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "core/remote/internal/WireParser.hpp"
#include "fuzz/FuzzInput.hpp"
#include "platform/foundation/DecodingError.hpp"

namespace {

constexpr std::array<std::string_view, 6> keys{"", "_0", "a", "b", "id", "name"};

bool isKnown(const std::string& name) { return std::binary_search(keys.begin(), keys.end(), name); }

// `value` without the members whose names are not known, at any depth.
kelvo::Json known(const kelvo::Json& value) {
  if (value.is_array()) {
    kelvo::Json out = kelvo::Json::array();
    for (const auto& element : value) out.push_back(known(element));
    return out;
  }
  if (!value.is_object()) return value;
  kelvo::Json out = kelvo::Json::object();
  for (auto it = value.begin(); it != value.end(); ++it) {
    if (isKnown(it.key())) out[it.key()] = known(it.value());
  }
  return out;
}

bool isOwnBound(const std::string& description) {
  return description.find("more values than") != std::string::npos ||
         description.find("number is longer than") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kelvo::fuzz::text(data, size);
  std::optional<kelvo::Json> platform;
  try {
    if (text.find('\0') == std::string_view::npos) platform = kelvo::json::parse(text, true);
  } catch (const kelvo::DecodingError&) {
  }
  try {
    const kelvo::Json wire = kelvo::remote_internal::parseWire(text, keys);
    kelvo::fuzz::require(platform && wire == known(*platform));
  } catch (const kelvo::DecodingError& error) {
    kelvo::fuzz::require(!platform || isOwnBound(error.description()));
  }
  return 0;
}
