// Internal to core/remote: include "core/remote/Message.hpp" instead.
#pragma once

// Small pieces shared by the records' coding and equality.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo::remote_internal {

inline bool sameText(std::string_view a, std::string_view b) {
  return text::canonicallyEqual(a, b);
}

/// The identifier under `key`, or none when the member is missing or null.
inline std::optional<UUID> optionalUUID(const JSONReader& reader, std::string_view key) {
  const auto member = reader.optional(key);
  return member ? std::optional(member->uuid()) : std::nullopt;
}

/// The position of `name` among the case keys that `JSONReader::singleKeyCase` chose it from.
template <std::size_t N>
std::size_t caseIndex(const std::array<std::string_view, N>& names, std::string_view name) {
  std::size_t index = 0;
  while (index + 1 < N && names[index] != name) ++index;
  return index;
}

}  // namespace kelvo::remote_internal
