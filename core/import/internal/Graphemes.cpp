#include "core/import/internal/Graphemes.hpp"

#include <unicode/uchar.h>

#include "platform/foundation/Utf.hpp"

namespace kelvo::import_internal {
namespace {

int clusterBreak(char32_t scalar) {
  return u_getIntPropertyValue(static_cast<UChar32>(scalar), UCHAR_GRAPHEME_CLUSTER_BREAK);
}

bool joinsPrevious(std::string_view text, std::size_t offset) {
  if (offset >= text.size() || static_cast<unsigned char>(text[offset]) < 0x80) return false;
  const int kind = clusterBreak(nextScalar(text, offset));
  return kind == U_GCB_EXTEND || kind == U_GCB_ZWJ || kind == U_GCB_SPACING_MARK;
}

bool joinsNext(std::string_view text, std::size_t end) {
  if (end == 0 || static_cast<unsigned char>(text[end - 1]) < 0x80) return false;
  // Step back over continuation bytes to the scalar that ends right here, if one does.
  std::size_t start = end - 1;
  while (start > 0 && end - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) {
    --start;
  }
  std::size_t offset = start;
  const char32_t scalar = nextScalar(text, offset);
  return offset == end && clusterBreak(scalar) == U_GCB_PREPEND;
}

// Nothing joins a control character, a tab or a line break, from either side.
bool isControl(std::string_view text, std::size_t offset) {
  const auto byte = static_cast<unsigned char>(text[offset]);
  if (byte < 0x80) return byte < 0x20 || byte == 0x7F;
  const int kind = clusterBreak(nextScalar(text, offset));
  return kind == U_GCB_CONTROL || kind == U_GCB_CR || kind == U_GCB_LF;
}

}  // namespace

bool standsAlone(std::string_view text, std::size_t offset, std::size_t length) {
  if (isControl(text, offset)) return true;
  return !joinsNext(text, offset) && !joinsPrevious(text, offset + length);
}

}  // namespace kelvo::import_internal
