#include "core/import/CSVReader.hpp"

#include <gtest/gtest.h>

#include <random>

#include "core/import/CSVSnippetParser.hpp"
#include "core/import/MarkdownSplitter.hpp"
#include "core/import/PlainTextSplitter.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

using Rows = std::vector<std::vector<std::string>>;

TEST(CSVReaderTest, DetectsTheDelimiterOnTheFirstLine) {
  const std::vector<std::pair<std::string, char32_t>> cases{
      {"a;b;c,d\ne,f,g,h,i", U';'},
      {"a,b;c", U','},
      {"a\tb", U'\t'},
      {"a\tb,c", U','},
      {"plain", U','},
      {",\u0301;x", U';'},
      {"\"a,b,c\";d;e", U','},
      {"a;b\r\n,,,,", U';'},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(CSVReader::detectDelimiter(text), expected) << text;
  }
}

TEST(CSVReaderTest, ReadsFieldsRowsAndQuotes) {
  const std::vector<std::pair<std::string, Rows>> cases{
      {"a,\u0301b,c", {{"a,\u0301b", "c"}}},
      {"x\"y,z\"w", {{"xy,zw"}}},
      {"\"ab\"\"c\"d,e", {{"ab\"cd", "e"}}},
      {"a,b\rc,d\r\ne,f\u0085g,h\u2028i,j\u2029k,l\vm\fn\n",
       {{"a", "b"}, {"c", "d"}, {"e", "f"}, {"g", "h"}, {"i", "j"}, {"k", "l"}, {"m"}, {"n"}}},
      {"\"1\r2\r\n3\u00854\u20285\",x", {{"1\r2\r\n3\u00854\u20285", "x"}}},
      {"a\n \t\n\n,\nb,", {{"a"}, {"", ""}, {"b", ""}}},
      {"\"open,\nstill", {{"open,\nstill"}}},
      {"\"\"", {}},
      {"\"a\"", {{"a"}}},
      {"a,\"b\"\u0301,c", {{"a", "b\"\u0301,c"}}},
      {"\u0600\",x", {{"\u0600\"", "x"}}},
      {"\xEF\xBB\xBFk,v", {{"k", "v"}}},
      {"\xFF,\"\xC3\"", {{"\xFF", "\xC3"}}},
  };
  for (const auto& [text, rows] : cases) {
    const CSVReader::Table table = CSVReader::read(text, U',');
    EXPECT_EQ(table.rows, rows) << text;
    EXPECT_EQ(table.delimiter, U',');
  }
  EXPECT_EQ(CSVReader::read("a;b\n1;2").rows, (Rows{{"a", "b"}, {"1", "2"}}));
  EXPECT_EQ(CSVReader::read("a\u00A7b", U'\u00A7').rows, (Rows{{"a", "b"}}));
}

// The reading rules applied character by character, to check the byte scanner against.
Rows referenceRead(std::string_view text) {
  Rows rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;
  const auto characters = text::characters(text);
  const auto isBreak = [](std::string_view c) {
    return c == "\n" || c == "\r" || c == "\r\n" || c == "\v" || c == "\f" || c == "\u0085" ||
           c == "\u2028" || c == "\u2029";
  };
  const auto endRow = [&] {
    row.push_back(std::exchange(field, {}));
    if (row.size() != 1 || !text::trimmed(row[0], text::CharacterClass::whitespace).empty()) {
      rows.push_back(row);
    }
    row.clear();
  };
  for (std::size_t i = 0; i < characters.size(); ++i) {
    const std::string_view c = characters[i];
    if (quoted) {
      if (c != "\"") {
        field += c;
      } else if (i + 1 < characters.size() && characters[i + 1] == "\"") {
        field += '"';
        ++i;
      } else {
        quoted = false;
      }
    } else if (isBreak(c)) {
      endRow();
    } else if (c == "\"") {
      quoted = true;
    } else if (c == ",") {
      row.push_back(std::exchange(field, {}));
    } else {
      field += c;
    }
  }
  if (!field.empty() || !row.empty()) endRow();
  return rows;
}

TEST(CSVReaderTest, ScannerAgreesWithCharacterByCharacterReading) {
  const std::vector<std::string> pieces{
      ",",      "\"",     "a",      " ",      "\t",         "\n", "\r",     "\u0085", "\u2028",
      "\u0301", "\u200D", "\u0903", "\u0600", "\U0001F469", ";",  "\u00E9", "\v"};
  std::mt19937 random(20261206);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 24);
    for (int i = 0; i < length; ++i) text += pieces[random() % pieces.size()];
    EXPECT_EQ(CSVReader::read(text, U',').rows, referenceRead(text)) << text;
  }
}

using Columns = CSVSnippetParser::Columns;

TEST(CSVSnippetParserTest, RecognisesHeaderColumns) {
  const std::vector<std::pair<std::vector<std::string>, std::optional<Columns>>> cases{
      {{" Shortcut ", "EXPANSION", "Category"}, Columns{0, std::nullopt, 1, 2}},
      {{"Trigger", " replace\n", "LABEL"}, Columns{0, 2, 1, std::nullopt}},
      {{"Text", "text", "Name", "name"}, Columns{std::nullopt, 2, 0, std::nullopt}},
      {{"Title", "Notes"}, Columns{std::nullopt, 0, std::nullopt, std::nullopt}},
      {{"Notes", "Comments"}, std::nullopt},
      {{}, std::nullopt},
  };
  for (const auto& [header, expected] : cases) {
    EXPECT_EQ(CSVSnippetParser::columns(header), expected) << header.size();
  }
  const Columns nameGroup{std::nullopt, 0, std::nullopt, 1};
  EXPECT_EQ(CSVSnippetParser::fillingBody(*CSVSnippetParser::columns({"Title", "Notes"}), 2), 1u);
  EXPECT_EQ(CSVSnippetParser::fillingBody(nameGroup, 2), std::nullopt);
  EXPECT_FALSE(CSVSnippetParser::hasHeader({}));
}

TEST(CSVSnippetParserTest, TurnsRowsIntoSnippets) {
  const auto parse = [](std::string_view text) {
    return CSVSnippetParser::parse(CSVReader::read(text));
  };
  // A header that names no body fills it; one that leaves no column gives empty bodies.
  auto snippets = parse("Title,Notes\n  Hello  ,Body text \n");
  ASSERT_EQ(snippets.size(), 1u);
  EXPECT_EQ(snippets[0], (ImportedSnippet{"Hello", "Body text ", std::nullopt, {}, {}}));
  snippets = parse("Name,Group\nA, Clients / Acme//Invoices \n");
  ASSERT_EQ(snippets.size(), 1u);
  EXPECT_EQ(snippets[0].body, "");
  EXPECT_EQ(snippets[0].folderPath, (std::vector<std::string>{"Clients", "Acme", "Invoices"}));

  // Without a header: keyword, body, then a title where a third field stands.
  snippets = parse("sig\tBest\nty\tThanks\t   \nx\t\tT\n");
  ASSERT_EQ(snippets.size(), 3u);
  EXPECT_EQ(snippets[0], (ImportedSnippet{std::nullopt, "Best", "sig", {}, {}}));
  EXPECT_EQ(snippets[1].title, "");
  EXPECT_EQ(snippets[2], (ImportedSnippet{"T", "", "x", {}, {}}));

  // A lone delimiter is a row of two empty fields, and still a snippet.
  EXPECT_EQ(parse("Keyword,Text\n,\n"), (std::vector<ImportedSnippet>{{}}));
  EXPECT_TRUE(parse("Keyword,Text\n").empty());
}

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
