// Internal to core/import: include "core/import/SnippetImporter.hpp" instead.
#pragma once

#include <string>
#include <string_view>

#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

// Trimming as `text::trimmed` does it, looking only at the ends: bodies run to megabytes and
// are trimmed row by row, so the middle of a text is never read.
namespace kelvo::import_internal {

inline bool isLineBreak(char32_t scalar) {
  return (scalar >= 0x0A && scalar <= 0x0D) || scalar == 0x85 || scalar == 0x2028 ||
         scalar == 0x2029;
}

inline bool inClass(char32_t scalar, text::CharacterClass characterClass) {
  if (scalar >= 0x80) return text::isMember(scalar, characterClass);
  const bool space = scalar == ' ' || scalar == '\t';
  switch (characterClass) {
    case text::CharacterClass::whitespace:
      return space;
    case text::CharacterClass::newline:
      return isLineBreak(scalar);
    case text::CharacterClass::whitespaceAndNewline:
      return space || isLineBreak(scalar);
    default:
      return text::isMember(scalar, characterClass);
  }
}

inline std::string_view trimmedView(
    std::string_view text,
    text::CharacterClass characterClass = text::CharacterClass::whitespaceAndNewline) {
  std::size_t first = 0;
  while (first < text.size()) {
    const auto byte = static_cast<unsigned char>(text[first]);
    std::size_t next = first + 1;
    // An ASCII byte is its own scalar; only the rest needs decoding.
    if (!inClass(byte < 0x80 ? byte : nextScalar(text, next = first), characterClass)) break;
    first = next;
  }
  std::size_t last = text.size();
  while (last > first) {
    const auto byte = static_cast<unsigned char>(text[last - 1]);
    if (byte < 0x80) {
      if (!inClass(byte, characterClass)) break;
      --last;
      continue;
    }
    std::size_t start = last - 1;
    while (start > first && last - start < 4 &&
           (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) {
      --start;
    }
    std::size_t end = start;
    const char32_t scalar = nextScalar(text, end);
    // An ill-formed tail reads as U+FFFD, which is no space.
    if (end != last || !inClass(scalar, characterClass)) break;
    last = start;
  }
  return text.substr(first, last - first);
}

inline std::string trimmed(std::string_view text, text::CharacterClass characterClass =
                                                      text::CharacterClass::whitespaceAndNewline) {
  return std::string(trimmedView(text, characterClass));
}

}  // namespace kelvo::import_internal
