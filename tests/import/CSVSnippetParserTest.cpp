#include "core/import/CSVSnippetParser.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

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

}  // namespace
}  // namespace kelvo
