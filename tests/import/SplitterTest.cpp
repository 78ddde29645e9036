#include <gtest/gtest.h>

#include "core/import/MarkdownSplitter.hpp"
#include "core/import/PlainTextSplitter.hpp"

namespace kelvo {
namespace {

using Titled = std::pair<std::optional<std::string>, std::string>;

std::vector<Titled> titled(const std::vector<ImportedSnippet>& snippets) {
  std::vector<Titled> pairs;
  for (const ImportedSnippet& snippet : snippets) {
    EXPECT_FALSE(snippet.keyword);
    EXPECT_TRUE(snippet.folderPath.empty());
    pairs.emplace_back(snippet.title, snippet.body);
  }
  return pairs;
}

std::vector<std::string> bodies(const std::vector<ImportedSnippet>& snippets) {
  std::vector<std::string> list;
  for (const ImportedSnippet& snippet : snippets) list.push_back(snippet.body);
  return list;
}

TEST(MarkdownSplitterTest, SplitsAtEveryHeading) {
  const std::vector<std::pair<std::string, std::vector<Titled>>> cases{
      {"Intro\n# One\na\n## Two\nb", {{std::nullopt, "Intro"}, {"One", "a"}, {"Two", "b"}}},
      {"\n\n# A\n# B\n\n  x\n\n y \n", {{"A", ""}, {"B", "x\n\n y"}}},
      {"## F# ##\r\nbody\r# G #\t", {{"F", "body"}, {"G", ""}}},
      {"#tag\n  # Indented\n####### seven\nSetext\n===",
       {{std::nullopt, "#tag\n  # Indented\n####### seven\nSetext\n==="}}},
      {"# Code\n```\n# comment\nls\n```", {{"Code", "```"}, {"comment", "ls\n```"}}},
      {"", {}},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(titled(MarkdownSplitter::split(text)), expected) << text;
  }
  EXPECT_TRUE(MarkdownSplitter::looksLikeMarkdown("x\n## Heading"));
  EXPECT_FALSE(MarkdownSplitter::looksLikeMarkdown("#   \nplain"));
  EXPECT_FALSE(MarkdownSplitter::looksLikeMarkdown("x\r# Heading"));
}

TEST(PlainTextSplitterTest, CutsLinesAndParagraphs) {
  EXPECT_EQ(PlainTextSplitter::normalisedNewlines("a\r\nb\rc\n\r"), "a\nb\nc\n\n");
  EXPECT_EQ(bodies(PlainTextSplitter::lines("a\r\n\r\n  b  \n   ")),
            (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(bodies(PlainTextSplitter::lines("x\u2028y\n\u3000z\t")),
            (std::vector<std::string>{"x\u2028y", "z"}));
  EXPECT_EQ(bodies(PlainTextSplitter::paragraphs("a\nb\n\n\nc")),
            (std::vector<std::string>{"a\nb", "c"}));
  EXPECT_EQ(bodies(PlainTextSplitter::paragraphs("\n a \r\n \t \r\n b\n")),
            (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(PlainTextSplitter::hasBlankLine("a\r\n \r\nb"));
  EXPECT_FALSE(PlainTextSplitter::hasBlankLine("a\nb"));
  EXPECT_TRUE(titled(PlainTextSplitter::lines("")).empty());
  EXPECT_TRUE(titled(PlainTextSplitter::paragraphs(" \n\n ")).empty());
}

}  // namespace
}  // namespace kelvo
