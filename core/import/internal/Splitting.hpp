// Internal to core/import: include "core/import/MarkdownSplitter.hpp" or
// "core/import/PlainTextSplitter.hpp" instead.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "core/import/ImportedSnippet.hpp"

// The text readers with a ceiling on what they give. Each walks the text twice: once counting
// the snippets it would make, stopping past the ceiling, then, when they fit, making exactly
// that many. A refusal holds nothing beyond the text, and a list is never grown by copying.
namespace kelvo::import_internal {

/// A reader's snippets, or none when there would be more than its limit.
using LimitedSnippets = std::optional<std::vector<ImportedSnippet>>;

/// Runs `walk` with a sink that takes each piece a reader finds and says whether to go on;
/// `make` turns a piece into its snippet.
template <class Walk, class Make>
LimitedSnippets collect(std::size_t limit, const Walk& walk, const Make& make) {
  std::size_t count = 0;
  walk([&](const auto&) { return ++count <= limit; });
  if (count > limit) return std::nullopt;
  std::vector<ImportedSnippet> snippets;
  snippets.reserve(count);
  walk([&](const auto& piece) {
    snippets.push_back(make(piece));
    return true;
  });
  return snippets;
}

/// Finds the CRs and LFs of a text from left to right. Each byte is searched for on its own
/// and searched again only once passed, so a text is read at most twice, at `memchr`'s pace
/// (a search for either byte at once tests them one character at a time).
class LineBreaks {
 public:
  explicit LineBreaks(std::string_view text)
      : text_(text), lineFeed_(find('\n', 0)), carriageReturn_(find('\r', 0)) {}

  /// The first CR or LF at or after `from`, or the text's size; `from` never goes back.
  std::size_t next(std::size_t from) {
    if (lineFeed_ < from) lineFeed_ = find('\n', from);
    if (carriageReturn_ < from) carriageReturn_ = find('\r', from);
    return std::min(lineFeed_, carriageReturn_);
  }

  /// The length of the line break at `offset`: 2 for CR LF, else 1.
  std::size_t length(std::size_t offset) const { return text_.substr(offset, 2) == "\r\n" ? 2 : 1; }

 private:
  std::size_t find(char byte, std::size_t from) const {
    return std::min(text_.find(byte, from), text_.size());
  }

  std::string_view text_;
  std::size_t lineFeed_;
  std::size_t carriageReturn_;
};

/// Calls `each` with every line of `text` (a view into it) until it gives false. Lines end at
/// LF, CR LF or a lone CR, as they do once newlines are normalised; a text that ends with a
/// line break has an empty last line.
template <class Each>
void forEachLine(std::string_view text, const Each& each) {
  LineBreaks breaks(text);
  std::size_t start = 0;
  while (true) {
    const std::size_t end = breaks.next(start);
    if (!each(text.substr(start, end - start)) || end == text.size()) return;
    start = end + breaks.length(end);
  }
}

/// `PlainTextSplitter::lines`, `PlainTextSplitter::paragraphs` and `MarkdownSplitter::split`,
/// giving none for more than `limit` snippets.
LimitedSnippets lines(std::string_view text, std::size_t limit);
LimitedSnippets paragraphs(std::string_view text, std::size_t limit);
LimitedSnippets markdown(std::string_view text, std::size_t limit);

/// How many snippets `MarkdownSplitter::split` gives, counting no further than `stop`.
std::size_t markdownCount(std::string_view text, std::size_t stop);

}  // namespace kelvo::import_internal
