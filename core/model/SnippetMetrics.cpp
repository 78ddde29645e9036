#include "core/model/SnippetMetrics.hpp"

#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

namespace kelvo::SnippetMetrics {
namespace {

bool isASCIIWhitespace(char byte) { return byte == ' ' || (byte >= '\t' && byte <= '\r'); }

}  // namespace

std::size_t wordCount(std::string_view text) {
  std::size_t count = 0;
  bool inWord = false;
  const auto visit = [&](bool isSeparator) {
    if (!isSeparator && !inWord) ++count;
    inWord = !isSeparator;
  };
  // In ASCII every byte is a character of its own but CR LF, whose halves both separate.
  if (isASCII(text)) {
    for (char byte : text) visit(isASCIIWhitespace(byte));
    return count;
  }
  for (std::string_view character : text::characters(text)) {
    std::size_t offset = 0;
    const char32_t first = nextScalar(character, offset);
    visit(text::isMember(first, text::CharacterClass::whitespaceAndNewline));
  }
  return count;
}

std::optional<std::string> lengthLabel(std::string_view text) {
  const std::size_t count = wordCount(text);
  if (count <= shortSnippetWordCount) return std::nullopt;
  return std::to_string(count) + " words";
}

}  // namespace kelvo::SnippetMetrics
