#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/remote/DeviceInfo.hpp"
#include "platform/foundation/DecodingError.hpp"
#include "platform/foundation/JSONReader.hpp"

#include <nlohmann/json.hpp>

namespace kelvo::Remote::testing {

inline UUID uuid(std::string_view text) { return *UUID::parse(text); }

inline DeviceInfo iPad() {
  return {uuid("6F1C2B9E-0A4D-4E8B-9C3F-2D7A1B5E8F40"), "Studio iPad", DeviceKind::iPad, 2};
}

/// The record's compact JSON, members in their written order.
template <class Record>
std::string written(const Record& record) {
  OrderedJson json;
  record.encode(json);
  return json::write(json);
}

/// The record read back from JSON text.
template <class Record>
Record readBack(std::string_view text) {
  const Json json = json::parse(text);
  return Record::decode(JSONReader(json));
}

/// The kind of failure decoding `json` with `decode` gives, or none when it decodes.
template <class Decode>
std::optional<DecodingError::Kind> failure(std::string_view json, Decode decode,
                                           std::string* description = nullptr) {
  try {
    const Json value = json::parse(json, true);
    decode(JSONReader(value));
  } catch (const DecodingError& error) {
    if (description) *description = error.description();
    return error.kind();
  }
  return std::nullopt;
}

}  // namespace kelvo::Remote::testing
