// The text readers against their plain rules, and the ceiling on how many snippets one import
// gives.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/import/CSVReader.hpp"
#include "core/import/CSVSnippetParser.hpp"
#include "core/import/MarkdownSplitter.hpp"
#include "core/import/PlainTextSplitter.hpp"
#include "core/import/SnippetImporter.hpp"
#include "core/import/internal/CSVRows.hpp"
#include "core/import/internal/Splitting.hpp"
#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/Regex.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

using Titled = std::pair<std::optional<std::string>, std::string>;
using text::CharacterClass;

std::vector<std::string_view> linesOf(std::string_view normalised) {
  std::vector<std::string_view> lines;
  for (std::size_t start = 0;;) {
    const std::size_t end = std::min(normalised.find('\n', start), normalised.size());
    lines.push_back(normalised.substr(start, end - start));
    if (end == normalised.size()) return lines;
    start = end + 1;
  }
}

// The splitters' rules as first written: newlines normalised in a copy, then cut.
std::vector<Titled> plainLines(std::string_view text) {
  std::vector<Titled> snippets;
  const std::string normalised = PlainTextSplitter::normalisedNewlines(text);
  for (const std::string_view line : linesOf(normalised)) {
    std::string body = text::trimmed(line, CharacterClass::whitespace);
    if (!body.empty()) snippets.emplace_back(std::nullopt, std::move(body));
  }
  return snippets;
}

std::vector<Titled> plainParagraphs(std::string_view text) {
  static const Regex blankLines(R"(\n[ \t]*\n+)");
  std::vector<Titled> snippets;
  const std::string normalised = PlainTextSplitter::normalisedNewlines(text);
  for (const std::string_view piece : blankLines.split(normalised)) {
    std::string body = text::trimmed(piece);
    if (!body.empty()) snippets.emplace_back(std::nullopt, std::move(body));
  }
  return snippets;
}

std::vector<Titled> plainMarkdown(std::string_view text) {
  static const Regex heading(R"(^(#{1,6})[ \t]+(.+?)[ \t#]*$)");
  std::vector<Titled> sections;
  std::optional<std::string> title;
  std::vector<std::string> lines;
  const auto close = [&] {
    std::string body = text::trimmed(text::joined(lines, "\n"));
    if (title || !body.empty()) sections.emplace_back(title, std::move(body));
    lines.clear();
  };
  const std::string normalised = PlainTextSplitter::normalisedNewlines(text);
  for (const std::string_view line : linesOf(normalised)) {
    if (const auto match = heading.firstMatch(line); match && match->captures[1]) {
      close();
      title = std::string(*match->captures[1]);
    } else {
      lines.emplace_back(line);
    }
  }
  close();
  return sections;
}

std::vector<Titled> titled(const std::vector<ImportedSnippet>& snippets) {
  std::vector<Titled> pairs;
  for (const ImportedSnippet& snippet : snippets) pairs.emplace_back(snippet.title, snippet.body);
  return pairs;
}

std::string randomText(std::mt19937& random, const std::vector<std::string>& pieces) {
  std::string text;
  for (int i = static_cast<int>(random() % 24); i > 0; --i)
    text += pieces[random() % pieces.size()];
  return text;
}

TEST(SnippetLimitTest, SplittersAgreeWithTheirPlainRules) {
  const std::vector<std::string> pieces{"a",  " ",      "\t",    "\n",      "\r",     "\r\n",
                                        "#",  "# ",     "## b ", "#######", "\u2028", "\u3000",
                                        "x#", "\u0085", "\v",    " #",      "\xFF"};
  using Limited = import_internal::LimitedSnippets (*)(std::string_view, std::size_t);
  const std::vector<std::pair<Limited, std::vector<Titled> (*)(std::string_view)>> splitters{
      {import_internal::lines, plainLines},
      {import_internal::paragraphs, plainParagraphs},
      {import_internal::markdown, plainMarkdown}};
  std::mt19937 random(10106);
  for (int round = 0; round < 4000; ++round) {
    const std::string text = randomText(random, pieces);
    for (const auto& [limited, plain] : splitters) {
      const std::vector<Titled> expected = plain(text);
      const auto all = limited(text, expected.size());
      ASSERT_TRUE(all) << text;
      EXPECT_EQ(titled(*all), expected) << text;
      if (!expected.empty()) {
        EXPECT_FALSE(limited(text, expected.size() - 1)) << text;
      }
    }
    const std::size_t sections = plainMarkdown(text).size();
    EXPECT_EQ(import_internal::markdownCount(text, sections + 1), sections) << text;
    EXPECT_EQ(import_internal::markdownCount(text, 1), std::min<std::size_t>(sections, 1)) << text;
  }
  EXPECT_EQ(titled(PlainTextSplitter::lines("a\r\n\r\n  b  \n   ")), plainLines("a\n\n  b  "));
  EXPECT_EQ(titled(MarkdownSplitter::split("# T\r\n x \r\n\r\n y")),
            (std::vector<Titled>{{"T", "x \n\n y"}}));
}

TEST(SnippetLimitTest, CSVCountsAgreeWithTheTable) {
  const std::vector<std::string> pieces{",", "\"", "a", " ", "\n", "\r", ";", "\t", "Text"};
  std::mt19937 random(10103);
  for (int round = 0; round < 3000; ++round) {
    const std::string text = (round % 2 ? "Keyword,Text\n" : "") + randomText(random, pieces);
    const std::size_t expected = CSVSnippetParser::parse(CSVReader::read(text)).size();
    EXPECT_EQ(import_internal::csvSnippetCount(text, expected + 1), expected) << text;
    const auto all = import_internal::csvSnippets(text, expected);
    ASSERT_TRUE(all) << text;
    EXPECT_EQ(all->size(), expected);
    if (expected > 0) {
      EXPECT_FALSE(import_internal::csvSnippets(text, expected - 1)) << text;
    }
  }
}

std::string repeated(std::string_view head, std::string_view unit, std::size_t count) {
  std::string text(head);
  text.reserve(head.size() + unit.size() * count);
  for (std::size_t i = 0; i < count; ++i) text += unit;
  return text;
}

// Files of a few MiB whose lines, rows or elements are snippets of one letter each: one more
// than the limit is refused and offered as no import; exactly the limit is offered.
TEST(SnippetLimitTest, TextsOfTooManySnippetsAreRefused) {
  const auto limit = static_cast<std::size_t>(SnippetImporter::snippetLimit);
  struct Shape {
    std::string_view head, unit, tail;
  };
  const std::vector<Shape> shapes{
      {"", "a\n", ""},
      {"", "a\n\n", ""},
      {"", "# a\n", ""},
      {"Keyword,Text\n", "a,b\n", ""},
      {"Keyword;Text\r", "a;b\r", ""},
      // Line breaks the row estimate does not see: the reading itself stops at the limit.
      {"Keyword;Text\v", "a;b\v", ""},
      // The tool formats count as they read; an element that gives no text is a snippet too.
      {R"([{"name":"a","text":"b"})", ",{}", "]"},
      {R"([{"alfredsnippet":{"snippet":"b"}})", R"(,{"alfredsnippet":{}})", "]"},
      {"<plist><array><dict><key>phrase</key><string>b</string><key>shortcut</key>"
       "<string>a</string></dict>",
       "<dict/>", "</array></plist>"},
  };
  const ImportError refusal = ImportError::tooManySnippets(SnippetImporter::snippetLimit);
  for (const auto& [head, unit, tail] : shapes) {
    const std::string text = repeated(head, unit, limit + 1) + std::string(tail);
    EXPECT_EQ(SnippetImporter::parse(asBytes(text), "shape.txt", std::nullopt).error(), refusal)
        << unit;
    EXPECT_EQ(SnippetImporter::nudgeCount(text), std::nullopt) << unit;
  }
  const std::string paragraphs = repeated("", "a\n\n", limit + 1);
  EXPECT_EQ(SnippetImporter::parse(paragraphs, std::nullopt, ImportFormat::lines).error(), refusal);
  EXPECT_EQ(SnippetImporter::nudgeCount(repeated("Keyword,Text\n", "a,b\n", limit)),
            SnippetImporter::snippetLimit);
}

}  // namespace
}  // namespace kelvo
