#include "core/import/PlainTextSplitter.hpp"

#include "core/import/internal/Trim.hpp"
#include "platform/foundation/Regex.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo::PlainTextSplitter {
namespace {

using text::CharacterClass;

ImportedSnippet bodyOnly(std::string body) {
  return {.title = std::nullopt,
          .body = std::move(body),
          .keyword = std::nullopt,
          .folderPath = {},
          .warnings = {}};
}

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
  std::size_t lineBreak = text.find_first_of("\r\n");
  while (lineBreak != std::string_view::npos) {
    const bool crLF = text[lineBreak] == '\r' && text.substr(lineBreak + 1, 1) == "\n";
    const std::size_t next = text.find_first_not_of(" \t", lineBreak + (crLF ? 2 : 1));
    if (next == std::string_view::npos) return false;
    if (text[next] == '\n' || text[next] == '\r') return true;
    lineBreak = text.find_first_of("\r\n", next);
  }
  return false;
}

std::vector<ImportedSnippet> lines(std::string_view text) {
  const std::string normalised = normalisedNewlines(text);
  std::vector<ImportedSnippet> snippets;
  std::string_view rest = normalised;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    std::string line = importing::trimmed(rest.substr(0, end), CharacterClass::whitespace);
    if (!line.empty()) snippets.push_back(bodyOnly(std::move(line)));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return snippets;
}

std::vector<ImportedSnippet> paragraphs(std::string_view text) {
  static const Regex blankLines(R"(\n[ \t]*\n+)");
  const std::string normalised = normalisedNewlines(text);
  std::vector<ImportedSnippet> snippets;
  for (const std::string_view piece : blankLines.split(normalised)) {
    std::string body = importing::trimmed(piece);
    if (!body.empty()) snippets.push_back(bodyOnly(std::move(body)));
  }
  return snippets;
}

}  // namespace kelvo::PlainTextSplitter
