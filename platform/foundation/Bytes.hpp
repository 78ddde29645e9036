#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

/// An owned run of bytes: payloads, keys, digests on the wire.
using Bytes = std::vector<std::uint8_t>;

/// The bytes of a text, without copying.
inline std::span<const std::uint8_t> asBytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

/// The bytes of a text, copied.
inline Bytes toBytes(std::string_view text) {
  const auto view = asBytes(text);
  return Bytes(view.begin(), view.end());
}

/// The bytes as a text (they need not be UTF-8).
inline std::string toString(std::span<const std::uint8_t> bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace kelvo
