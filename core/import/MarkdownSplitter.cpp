#include "core/import/MarkdownSplitter.hpp"

#include <limits>
#include <optional>
#include <string>

#include "core/import/PlainTextSplitter.hpp"
#include "core/import/internal/Splitting.hpp"
#include "core/import/internal/Trim.hpp"
#include "platform/foundation/Regex.hpp"

namespace kelvo::import_internal {
namespace {

const Regex& headingPattern() {
  static const Regex pattern(R"(^(#{1,6})[ \t]+(.+?)[ \t#]*$)");
  return pattern;
}

// A heading's title. A line the matcher gives up on is body text. The pattern is anchored at
// the line's start, so only a line opening with "#" is worth a search.
std::optional<std::string_view> headingTitle(std::string_view line) {
  if (!line.starts_with('#')) return std::nullopt;
  const auto match = headingPattern().firstMatch(line);
  if (!match) return std::nullopt;
  return match->captures[1];
}

// A section as it stands in the text: its heading's title, and the lines under it, line breaks
// not yet normalised nor the ends trimmed.
struct Section {
  std::optional<std::string_view> title;
  std::string_view lines;
};

// Hands `sink` each section with a title or text. A title stays for the lines that follow until
// the next heading replaces it; text before the first heading is untitled.
template <class Sink>
void forEachSection(std::string_view text, const Sink& sink) {
  Section section;
  bool hasLines = false, going = true;
  const auto close = [&] {
    if (!hasLines) section.lines = {};
    if (section.title || !trimmedView(section.lines).empty()) going = sink(section);
    hasLines = false;
  };
  forEachLine(text, [&](std::string_view line) {
    if (const auto title = headingTitle(line)) {
      close();
      section.title = title;
    } else if (hasLines) {
      section.lines =
          std::string_view(section.lines.data(), line.data() + line.size() - section.lines.data());
    } else {
      section.lines = line;
      hasLines = true;
    }
    return going;
  });
  if (going) close();
}

}  // namespace

LimitedSnippets markdown(std::string_view text, std::size_t limit) {
  const auto walk = [text](const auto& sink) { forEachSection(text, sink); };
  return collect(limit, walk, [](const Section& section) {
    return ImportedSnippet{
        .title = section.title ? std::optional<std::string>(*section.title) : std::nullopt,
        .body = PlainTextSplitter::normalisedNewlines(trimmedView(section.lines)),
        .keyword = std::nullopt,
        .folderPath = {},
        .warnings = {}};
  });
}

std::size_t markdownCount(std::string_view text, std::size_t stop) {
  std::size_t count = 0;
  forEachSection(text, [&](const Section&) { return ++count < stop; });
  return count;
}

}  // namespace kelvo::import_internal

namespace kelvo::MarkdownSplitter {

bool looksLikeMarkdown(std::string_view text) {
  static const Regex pattern(R"((^|\n)#{1,6}[ \t]+\S)");
  return text.find('#') != std::string_view::npos && pattern.containsMatch(text);
}

std::vector<ImportedSnippet> split(std::string_view text) {
  return *import_internal::markdown(text, std::numeric_limits<std::size_t>::max());
}

}  // namespace kelvo::MarkdownSplitter
