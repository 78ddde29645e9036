#include "core/import/TitleDerivation.hpp"

#include <string_view>

#include "core/import/internal/Trim.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo::TitleDerivation {
namespace {

using text::CharacterClass;

// The scalar at `offset`, moving past it; an ASCII byte is its own scalar, read without decoding.
char32_t scalarAt(std::string_view text, std::size_t& offset) {
  const auto byte = static_cast<unsigned char>(text[offset]);
  if (byte >= 0x80) return nextScalar(text, offset);
  ++offset;
  return byte;
}

// The first line of `body` with text on it, trimmed; empty when there is none.
std::string firstLine(std::string_view body) {
  std::size_t start = 0, offset = 0;
  while (offset <= body.size()) {
    const std::size_t end = offset;
    const bool atEnd = offset == body.size();
    if (atEnd || import_internal::isLineBreak(scalarAt(body, offset))) {
      std::string line = import_internal::trimmed(body.substr(start, end - start));
      if (!line.empty() || atEnd) return line;
      start = offset;
    }
  }
  return {};
}

std::string shortened(const std::string& line) {
  if (text::characterCount(line) <= maximumLength) return line;
  // The line starts with text, so only the end of the cut can lose spaces and tabs.
  return import_internal::trimmed(text::prefix(line, maximumLength - 1),
                                  CharacterClass::whitespace) +
         "\u2026";
}

}  // namespace

std::string title(const ImportedSnippet& snippet, std::size_t index) {
  for (const auto* given : {&snippet.title, &snippet.keyword}) {
    if (*given) {
      std::string trimmed = import_internal::trimmed(**given);
      if (!trimmed.empty()) return trimmed;
    }
  }
  const std::string line = firstLine(snippet.body);
  if (!line.empty()) return shortened(line);
  return "Snippet " + std::to_string(index + 1);
}

}  // namespace kelvo::TitleDerivation
