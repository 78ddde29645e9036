#include "core/model/SnippetMetrics.hpp"

#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <cstdint>

namespace kelvo::SnippetMetrics {
namespace {

bool isASCIIWhitespace(char byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }

// Counts the runs of non-separators; `forEachCharacter` reports whether each character separates.
template <class Characters>
std::size_t countRuns(Characters&& forEachCharacter) {
  std::size_t count = 0;
  bool inWord = false;
  forEachCharacter([&](bool isSeparator) {
    if (!isSeparator && !inWord) ++count;
    inWord = !isSeparator;
  });
  return count;
}

std::size_t asciiWordCount(std::string_view text) {
  return countRuns([&](auto&& visit) {
    for (char byte : text) visit(isASCIIWhitespace(byte));
  });
}

bool startsWithWhitespace(std::string_view text, std::int64_t begin, std::int64_t end) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  UChar32 c;
  U8_NEXT(bytes, begin, end, c);
  return c >= 0 && u_isUWhiteSpace(c);
}

// Scalars as characters: only for texts beyond ICU's 32-bit offsets, or without ICU data.
std::size_t scalarWordCount(std::string_view text) {
  const auto length = static_cast<std::int64_t>(text.size());
  return countRuns([&](auto&& visit) {
    std::int64_t i = 0;
    while (i < length) {
      const std::int64_t begin = i;
      UChar32 c;
      U8_NEXT(reinterpret_cast<const std::uint8_t*>(text.data()), i, length, c);
      visit(startsWithWhitespace(text, begin, i));
    }
  });
}

std::size_t clusterWordCount(std::string_view text) {
  UErrorCode status = U_ZERO_ERROR;
  UText* utext =
      utext_openUTF8(nullptr, text.data(), static_cast<std::int64_t>(text.size()), &status);
  UBreakIterator* iterator = ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status);
  if (U_SUCCESS(status)) ubrk_setUText(iterator, utext, &status);
  std::size_t count = 0;
  if (U_SUCCESS(status)) {
    count = countRuns([&](auto&& visit) {
      std::int32_t begin = ubrk_first(iterator);
      for (std::int32_t end = ubrk_next(iterator); end != UBRK_DONE;
           begin = end, end = ubrk_next(iterator)) {
        visit(startsWithWhitespace(text, begin, end));
      }
    });
  } else {
    count = scalarWordCount(text);
  }
  if (iterator != nullptr) ubrk_close(iterator);
  if (utext != nullptr) utext_close(utext);
  return count;
}

}  // namespace

std::size_t wordCount(std::string_view text) {
  bool ascii = true;
  for (char byte : text) {
    if (static_cast<unsigned char>(byte) >= 0x80) {
      ascii = false;
      break;
    }
  }
  if (ascii) return asciiWordCount(text);
  if (text.size() >= static_cast<std::size_t>(INT32_MAX)) return scalarWordCount(text);
  return clusterWordCount(text);
}

std::optional<std::string> lengthLabel(std::string_view text) {
  const std::size_t count = wordCount(text);
  if (count <= shortSnippetWordCount) return std::nullopt;
  return std::to_string(count) + " words";
}

}  // namespace kelvo::SnippetMetrics
