#include "platform/foundation/Utf.hpp"

#include <cstdint>
#include <cstring>

#include "platform/foundation/Error.hpp"

namespace kelvo {
namespace {

constexpr char32_t replacement = 0xFFFD;
constexpr std::string_view utf8Mark = "\xEF\xBB\xBF";

std::string_view asChars(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Reads one scalar; `ok` is false for an ill-formed sequence, in which case `offset` moves past
// its maximal subpart (at least one byte).
char32_t readScalar(std::string_view text, std::size_t& offset, bool& ok) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  std::size_t i = offset;
  const unsigned char lead = p[i++];
  ok = true;
  if (lead < 0x80) {
    offset = i;
    return lead;
  }
  int trailing = 0;
  char32_t scalar = 0;
  // The allowed range of the second byte excludes overlong forms, surrogates and values past
  // U+10FFFF; later bytes are plain continuation bytes.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    trailing = 1;
    scalar = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trailing = 2;
    scalar = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trailing = 3;
    scalar = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    ok = false;
    offset = i;
    return replacement;
  }
  for (int k = 0; k < trailing; ++k) {
    if (i >= size || p[i] < low || p[i] > high) {
      ok = false;
      offset = i;
      return replacement;
    }
    scalar = scalar << 6 | (p[i++] & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  offset = i;
  return scalar;
}

std::string_view withoutUtf8Mark(std::string_view bytes) {
  if (bytes.starts_with(utf8Mark)) bytes.remove_prefix(utf8Mark.size());
  return bytes;
}

// Decodes UTF-16; returns false at the first fault when `lossy` is false.
bool decodeUtf16Into(std::string_view bytes, ByteOrder unmarked, bool lossy, std::string& out) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t size = bytes.size();
  std::size_t i = 0;
  ByteOrder order = unmarked;
  if (size >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
    order = ByteOrder::bigEndian;
    i = 2;
  } else if (size >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
    order = ByteOrder::littleEndian;
    i = 2;
  }
  const bool oddTail = (size - i) % 2 != 0;
  if (oddTail) {
    if (!lossy) return false;
    --size;
  }
  auto unit = [&](std::size_t at) -> char16_t {
    return order == ByteOrder::bigEndian ? static_cast<char16_t>(p[at] << 8 | p[at + 1])
                                         : static_cast<char16_t>(p[at + 1] << 8 | p[at]);
  };
  out.reserve(out.size() + (size - i) / 2 * 3 / 2);
  while (i < size) {
    const char16_t first = unit(i);
    i += 2;
    if (first < 0xD800 || first > 0xDFFF) {
      appendUtf8(out, first);
      continue;
    }
    if (first <= 0xDBFF && i < size) {
      const char16_t second = unit(i);
      if (second >= 0xDC00 && second <= 0xDFFF) {
        i += 2;
        appendUtf8(out, 0x10000 + ((char32_t{first} - 0xD800) << 10) + (second - 0xDC00));
        continue;
      }
    }
    if (!lossy) return false;
    appendUtf8(out, replacement);
  }
  if (oddTail) appendUtf8(out, replacement);
  return true;
}

}  // namespace

std::optional<std::string> decodeUtf8(std::string_view bytes) {
  bytes = withoutUtf8Mark(bytes);
  if (!isValidUtf8(bytes)) return std::nullopt;
  return std::string(bytes);
}

std::optional<std::string> decodeUtf8(std::span<const std::uint8_t> bytes) {
  return decodeUtf8(asChars(bytes));
}

std::string decodeUtf8Lossy(std::string_view bytes) { return repairedUtf8(withoutUtf8Mark(bytes)); }

std::string decodeUtf8Lossy(std::span<const std::uint8_t> bytes) {
  return decodeUtf8Lossy(asChars(bytes));
}

std::optional<std::string> decodeUtf16(std::string_view bytes, ByteOrder unmarked) {
  std::string out;
  if (!decodeUtf16Into(bytes, unmarked, false, out)) return std::nullopt;
  return out;
}

std::optional<std::string> decodeUtf16(std::span<const std::uint8_t> bytes, ByteOrder unmarked) {
  return decodeUtf16(asChars(bytes), unmarked);
}

std::string decodeUtf16Lossy(std::string_view bytes, ByteOrder unmarked) {
  std::string out;
  decodeUtf16Into(bytes, unmarked, true, out);
  return out;
}

std::string decodeUtf16Lossy(std::span<const std::uint8_t> bytes, ByteOrder unmarked) {
  return decodeUtf16Lossy(asChars(bytes), unmarked);
}

std::string repairedUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t offset = 0;
  while (offset < text.size()) {
    const std::size_t start = offset;
    bool ok = true;
    const char32_t scalar = readScalar(text, offset, ok);
    if (ok) {
      out.append(text.substr(start, offset - start));
    } else {
      appendUtf8(out, scalar);
    }
  }
  return out;
}

bool isASCII(std::string_view text) {
  std::size_t offset = 0;
  for (std::uint64_t word = 0; offset + sizeof word <= text.size(); offset += sizeof word) {
    std::memcpy(&word, text.data() + offset, sizeof word);
    if ((word & 0x8080808080808080ULL) != 0) return false;
  }
  for (; offset < text.size(); ++offset) {
    if (static_cast<unsigned char>(text[offset]) >= 0x80) return false;
  }
  return true;
}

bool isValidUtf8(std::string_view text) {
  std::size_t offset = 0;
  while (offset < text.size()) {
    // Runs of ASCII are the common case: eight bytes at a time.
    std::uint64_t word = 0;
    if (offset + sizeof word <= text.size()) {
      std::memcpy(&word, text.data() + offset, sizeof word);
      if ((word & 0x8080808080808080ULL) == 0) {
        offset += sizeof word;
        continue;
      }
    }
    if (static_cast<unsigned char>(text[offset]) < 0x80) {
      ++offset;
      continue;
    }
    bool ok = true;
    readScalar(text, offset, ok);
    if (!ok) return false;
  }
  return true;
}

char32_t nextScalar(std::string_view text, std::size_t& offset) {
  if (offset >= text.size()) fatal("nextScalar: offset past the end of the text");
  bool ok = true;
  return readScalar(text, offset, ok);
}

void appendUtf8(std::string& out, char32_t scalar) {
  if ((scalar >= 0xD800 && scalar <= 0xDFFF) || scalar > 0x10FFFF) scalar = replacement;
  if (scalar < 0x80) {
    out.push_back(static_cast<char>(scalar));
  } else if (scalar < 0x800) {
    out.push_back(static_cast<char>(0xC0 | scalar >> 6));
    out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
  } else if (scalar < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | scalar >> 12));
    out.push_back(static_cast<char>(0x80 | (scalar >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | scalar >> 18));
    out.push_back(static_cast<char>(0x80 | (scalar >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (scalar >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (scalar & 0x3F)));
  }
}

}  // namespace kelvo
