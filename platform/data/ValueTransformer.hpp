#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/data/Value.hpp"

namespace kelvo::data {

/// Stores the value of a transformable attribute as bytes and reads it back.
struct ValueTransformer {
  /// The transformer that keeps a list of strings, and refuses every other value on both ways
  /// (nothing outside that list is ever decoded from a store). Its bytes are a JSON array of
  /// strings.
  static constexpr std::string_view secureUnarchiveFromDataName = "SecureUnarchiveFromData";

  std::string_view name;
  /// Whether `encode` takes the value.
  bool (*accepts)(const Value& value);
  /// The bytes of `value`; nothing when the transformer does not take such a value.
  std::optional<std::string> (*encode)(const Value& value);
  /// The value of `bytes`; nothing when they are not bytes the transformer wrote.
  std::optional<Value> (*decode)(std::span<const std::uint8_t> bytes);

  /// The transformer of that name; null when there is none.
  static const ValueTransformer* named(std::string_view name);
};

}  // namespace kelvo::data
