#include "core/import/MarkdownSplitter.hpp"

#include <optional>
#include <string>

#include "core/import/PlainTextSplitter.hpp"
#include "core/import/internal/Trim.hpp"
#include "platform/foundation/Regex.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo::MarkdownSplitter {
namespace {

const Regex& headingPattern() {
  static const Regex pattern(R"(^(#{1,6})[ \t]+(.+?)[ \t#]*$)");
  return pattern;
}

class Sections {
 public:
  void heading(std::string_view title) {
    close();
    title_ = std::string(title);
  }

  void line(std::string_view line) {
    if (hasLines_) body_.push_back('\n');
    body_.append(line);
    hasLines_ = true;
  }

  // The title stays for the lines that follow until the next heading replaces it.
  void close() {
    std::string body = importing::trimmed(body_);
    if (title_ || !body.empty()) {
      snippets_.push_back({.title = title_,
                           .body = std::move(body),
                           .keyword = {},
                           .folderPath = {},
                           .warnings = {}});
    }
    body_.clear();
    hasLines_ = false;
  }

  std::vector<ImportedSnippet> finish() {
    close();
    return std::move(snippets_);
  }

 private:
  std::optional<std::string> title_;
  std::string body_;
  bool hasLines_ = false;
  std::vector<ImportedSnippet> snippets_;
};

}  // namespace

bool looksLikeMarkdown(std::string_view text) {
  static const Regex pattern(R"((^|\n)#{1,6}[ \t]+\S)");
  return text.find('#') != std::string_view::npos && pattern.containsMatch(text);
}

std::vector<ImportedSnippet> split(std::string_view text) {
  const std::string normalised = PlainTextSplitter::normalisedNewlines(text);
  Sections sections;
  std::string_view rest = normalised;
  while (true) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    // A line the matcher gives up on is body text. The pattern is anchored at the line's
    // start, so only a line opening with "#" is worth a search.
    if (const auto match = line.starts_with('#') ? headingPattern().firstMatch(line) : std::nullopt;
        match && match->captures[1]) {
      sections.heading(*match->captures[1]);
    } else {
      sections.line(line);
    }
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  return sections.finish();
}

}  // namespace kelvo::MarkdownSplitter
