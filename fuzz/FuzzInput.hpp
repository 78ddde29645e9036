#pragma once

// What every fuzz target does with its input: read it as text, split it into parts, and stop
// the run when a property fails (an abort is what libFuzzer reports as a finding).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>
#include <utility>

namespace kelvo::fuzz {

inline void require(bool condition) {
  if (!condition) std::abort();
}

inline std::string_view text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

/// The input as a short text and the bytes after it: the first byte gives the text's length,
/// cut to what there is. An empty input gives two empty parts.
inline std::pair<std::string_view, std::span<const std::uint8_t>> lengthPrefixedSplit(
    const std::uint8_t* data, std::size_t size) {
  if (size == 0) return {};
  const std::size_t length = std::min<std::size_t>(data[0], size - 1);
  return {text(data + 1, length), {data + 1 + length, size - 1 - length}};
}

}  // namespace kelvo::fuzz
