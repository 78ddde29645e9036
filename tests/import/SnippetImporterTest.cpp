#include "core/import/SnippetImporter.hpp"

#include <gtest/gtest.h>

#include "platform/foundation/Bytes.hpp"

namespace kelvo {
namespace {

using F = ImportFormat;

TEST(SnippetImporterTest, ChecksSizeAndEncodingOfFiles) {
  // A zip archive is refused without decoding, so a limit-sized one shows the size passed.
  const Bytes zip{0x50, 0x4B, 0x03, 0x04, 0, 0};
  Bytes data(SnippetImporter::sizeLimit, 0);
  std::copy(zip.begin(), zip.end(), data.begin());
  EXPECT_EQ(SnippetImporter::parse(data, "big.zip", std::nullopt).error(),
            ImportError::unsupportedYet(UnsupportedFormat::alfredBundle));
  data.push_back(0);
  EXPECT_EQ(SnippetImporter::parse(data, "big.zip", std::nullopt).error(),
            ImportError::tooLarge(52'428'801, 52'428'800));

  EXPECT_EQ(SnippetImporter::parse(zip, "Collection.alfredsnippets", std::nullopt).error(),
            ImportError::unsupportedYet(UnsupportedFormat::alfredBundle));
  auto parsed = SnippetImporter::parse(zip, "Collection.alfredsnippets", F::lines);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(*parsed, (SnippetImporter::Parsed{F::lines, "Collection", "Collection", {}}));

  const Bytes utf16{0xFF, 0xFE, 'a', 0, '\n', 0, 'b', 0};
  parsed = SnippetImporter::parse(utf16, std::nullopt, std::nullopt);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->snippets.size(), 2u);
  for (const Bytes& bad : {Bytes{0xFF, 0xFE, 'a'}, Bytes{0xFE, 0xFF, 0xDC, 0x00}, Bytes{0xC0}}) {
    EXPECT_EQ(SnippetImporter::parse(bad, std::nullopt, std::nullopt).error(),
              ImportError::unreadableEncoding());
  }
  // A byte-order mark is gone before the text is recognised.
  parsed = SnippetImporter::parse(asBytes("\xEF\xBB\xBFKeyword,Text\nk,v\n"), std::nullopt,
                                  std::nullopt);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->format, F::csv);
  EXPECT_EQ(parsed->snippets.front().keyword, "k");
}

TEST(SnippetImporterTest, ForcedFormatsNamesAndTranslation) {
  auto parsed = SnippetImporter::parse(std::string_view("42"), std::nullopt, F::raycast);
  EXPECT_EQ(parsed.error(), ImportError::malformed(F::raycast));
  EXPECT_EQ(
      SnippetImporter::parse(std::string_view("<plist>"), "a.plist", F::textReplacements).error(),
      ImportError::malformed(F::textReplacements));
  EXPECT_EQ(SnippetImporter::parse(std::string_view("{\"a\": "), "x.json", std::nullopt).error(),
            ImportError::malformed(F::alfred, 1));
  // A forced format wins over any verdict.
  parsed = SnippetImporter::parse(std::string_view("{\"a\": "), "x.json", F::lines);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->snippets.front().body, "\\{\"a\":");

  parsed = SnippetImporter::parse(std::string_view("Text,Keyword\n\"a\r\nb\rc %filltext%\",k\n"),
                                  "team.csv", std::nullopt);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->sourceName, "team");
  EXPECT_EQ(parsed->suggestedShelfName, "team");
  ASSERT_EQ(parsed->snippets.size(), 1u);
  EXPECT_EQ(parsed->snippets[0],
            (ImportedSnippet{std::nullopt,
                             "a\nb\nc {blank 1}",
                             "k",
                             {},
                             {ImportWarning::unnamedFillNumbered("blank 1")}}));

  parsed = SnippetImporter::parse(std::string_view(R"({"alfredsnippet": {"snippet": 5}})"),
                                  "export.json", std::nullopt);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->sourceName, "Alfred");
  EXPECT_EQ(parsed->suggestedShelfName, "Alfred snippets");
  EXPECT_EQ(parsed->snippets[0].warnings,
            std::vector<ImportWarning>{ImportWarning::valueWasNotText("snippet")});
  for (const std::optional<std::string_view> name :
       {std::optional<std::string_view>(), std::optional<std::string_view>(".csv")}) {
    parsed = SnippetImporter::parse(std::string_view("a\nb"), name, std::nullopt);
    EXPECT_EQ(parsed->sourceName, "Clipboard");
    EXPECT_EQ(parsed->suggestedShelfName, "Pasted snippets");
  }
}

TEST(SnippetImporterTest, NudgesOnlyForSeveralStructuredSnippets) {
  std::string twelve;
  for (int i = 0; i < 12; ++i) twelve += "line " + std::to_string(i) + "\n";
  const std::vector<std::pair<std::string, std::optional<std::int64_t>>> cases{
      {"", std::nullopt},
      {twelve, std::nullopt},
      {"a\n\nb\n\nc", std::nullopt},
      {"matches:\n  - trigger: x", std::nullopt},
      {"# A\na\n# B\nb\n# C\nc", 3},
      {"Keyword,Text\na,1\nb,2\nc,3", 3},
      {"Keyword,Text\na,1", std::nullopt},
      {R"([{"name": "a", "text": "b"}, {"name": "c", "text": "d"}])", 2},
  };
  for (const auto& [text, count] : cases) {
    EXPECT_EQ(SnippetImporter::nudgeCount(text), count) << text;
  }
}

}  // namespace
}  // namespace kelvo
