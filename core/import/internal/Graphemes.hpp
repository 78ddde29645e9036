// Internal to core/import: include "core/import/CSVReader.hpp" instead.
#pragma once

#include <cstddef>
#include <string_view>

// The few grapheme-cluster rules a byte scanner needs to tell a lone ASCII character from one
// that a neighbour joins into a larger character.
namespace kelvo::import_internal {

/// Whether the `length` bytes at `offset` (one scalar) form a character of their own: a
/// control character always does; anything else when no Prepend scalar stands right before it
/// and no Extend, ZWJ or SpacingMark scalar right after.
bool standsAlone(std::string_view text, std::size_t offset, std::size_t length);

/// The length in bytes of the line break at `offset` (LF, VT, FF, CR, CR LF, NEL, U+2028,
/// U+2029), or 0. Line breaks never join their neighbours.
inline std::size_t lineBreakLength(std::string_view text, std::size_t offset) {
  const auto byte = static_cast<unsigned char>(text[offset]);
  if (byte >= 0x0A && byte <= 0x0D) {
    return byte == 0x0D && offset + 1 < text.size() && text[offset + 1] == '\n' ? 2 : 1;
  }
  if (byte == 0xC2) {
    return offset + 1 < text.size() && static_cast<unsigned char>(text[offset + 1]) == 0x85 ? 2 : 0;
  }
  if (byte == 0xE2 && offset + 2 < text.size() &&
      static_cast<unsigned char>(text[offset + 1]) == 0x80) {
    const auto last = static_cast<unsigned char>(text[offset + 2]);
    return last == 0xA8 || last == 0xA9 ? 3 : 0;
  }
  return 0;
}

}  // namespace kelvo::import_internal
