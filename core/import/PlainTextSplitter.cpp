#include "core/import/PlainTextSplitter.hpp"

#include <limits>

#include "core/import/internal/Splitting.hpp"
#include "core/import/internal/Trim.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo::PlainTextSplitter {
namespace {

constexpr std::size_t unlimited = std::numeric_limits<std::size_t>::max();

}  // namespace

std::string normalisedNewlines(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t copied = 0;
  for (std::size_t i = text.find('\r'); i != std::string_view::npos; i = text.find('\r', copied)) {
    out.append(text.substr(copied, i - copied));
    out.push_back('\n');
    copied = i + 1 < text.size() && text[i + 1] == '\n' ? i + 2 : i + 1;
  }
  out.append(text.substr(copied));
  return out;
}

bool hasBlankLine(std::string_view text) {
  // Read as `normalisedNewlines` would write it, without the copy: a line break is LF, CR LF
  // or a lone CR, and the first blank line ends the search.
  import_internal::LineBreaks breaks(text);
  for (std::size_t at = breaks.next(0); at < text.size(); at = breaks.next(at)) {
    at = text.find_first_not_of(" \t", at + breaks.length(at));
    if (at == std::string_view::npos) return false;
    if (text[at] == '\n' || text[at] == '\r') return true;
  }
  return false;
}

std::vector<ImportedSnippet> lines(std::string_view text) {
  return *import_internal::lines(text, unlimited);
}

std::vector<ImportedSnippet> paragraphs(std::string_view text) {
  return *import_internal::paragraphs(text, unlimited);
}

}  // namespace kelvo::PlainTextSplitter

namespace kelvo::import_internal {
namespace {

using text::CharacterClass;

ImportedSnippet bodyOnly(std::string body) {
  return {.title = std::nullopt,
          .body = std::move(body),
          .keyword = std::nullopt,
          .folderPath = {},
          .warnings = {}};
}

// Hands `sink` each block between blank lines, trimmed, that holds text. A blank line is what
// "\n[ \t]*\n+" matches once newlines are normalised; matches are taken from the left, and a
// run of line breaks right after one belongs to it.
template <class Sink>
void forEachParagraph(std::string_view text, const Sink& sink) {
  LineBreaks breaks(text);
  std::size_t start = 0;
  const auto piece = [&](std::size_t end) {
    const std::string_view body = trimmedView(text.substr(start, end - start));
    return body.empty() || sink(body);
  };
  const auto isBreak = [&](std::size_t at) {
    return at < text.size() && (text[at] == '\n' || text[at] == '\r');
  };
  for (std::size_t at = breaks.next(0); at < text.size(); at = breaks.next(at)) {
    const std::size_t next = at + breaks.length(at);
    std::size_t end = std::min(text.find_first_not_of(" \t", next), text.size());
    if (!isBreak(end)) {
      at = next;
      continue;
    }
    while (isBreak(end)) end += breaks.length(end);
    if (!piece(at)) return;
    start = at = end;
  }
  piece(text.size());
}

}  // namespace

LimitedSnippets lines(std::string_view text, std::size_t limit) {
  const auto walk = [text](const auto& sink) {
    forEachLine(text, [&](std::string_view line) {
      const std::string_view body = trimmedView(line, CharacterClass::whitespace);
      return body.empty() || sink(body);
    });
  };
  return collect(limit, walk, [](std::string_view body) { return bodyOnly(std::string(body)); });
}

LimitedSnippets paragraphs(std::string_view text, std::size_t limit) {
  const auto walk = [text](const auto& sink) { forEachParagraph(text, sink); };
  return collect(limit, walk, [](std::string_view body) {
    return bodyOnly(PlainTextSplitter::normalisedNewlines(body));
  });
}

}  // namespace kelvo::import_internal
