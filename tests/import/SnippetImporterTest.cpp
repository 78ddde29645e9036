#include "core/import/SnippetImporter.hpp"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <nlohmann/json.hpp>

#include <array>
#include <random>
#include <tuple>

#include "core/import/AlfredParser.hpp"
#include "core/import/ApplePlistParser.hpp"
#include "core/import/CSVReader.hpp"
#include "core/import/CSVSnippetParser.hpp"
#include "core/import/FormatSniffer.hpp"
#include "core/import/MarkdownSplitter.hpp"
#include "core/import/PlaceholderTranslator.hpp"
#include "core/import/PlainTextSplitter.hpp"
#include "core/import/RaycastParser.hpp"
#include "core/import/internal/BodyTranslation.hpp"
#include "core/import/internal/CSVRows.hpp"
#include "core/import/internal/PlaceholderScan.hpp"
#include "core/model/VariableTemplate.hpp"
#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/Regex.hpp"
#include "platform/foundation/Text.hpp"
#include "platform/foundation/Utf.hpp"

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

TEST(SnippetImporterTest, ForcedFormatsNamesTranslationAndNudges) {
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
  // A tab-separated body may open with a vowel sign: the tab still splits.
  parsed = SnippetImporter::parse(asBytes("keyword\ttext\nnam\t\u093F\u0915\n"), "hindi.tsv",
                                  std::nullopt);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->snippets,
            (std::vector<ImportedSnippet>{{std::nullopt, "\u093F\u0915", "nam", {}, {}}}));

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

const ImportWarning notText(const char* field) { return ImportWarning::valueWasNotText(field); }

TEST(SnippetParsersTest, RecognisersLookAtTheFirstElementOnly) {
  const std::vector<std::tuple<std::string, bool, bool>> cases{
      // text, Raycast, Alfred
      {R"([{"text": 1, "keyword": null}])", true, false},
      {R"([{"name": "a", "keyword": "b"}])", false, false},
      {R"(["x", {"text": "a", "name": "b"}])", false, false},
      {R"([])", false, false},
      {R"({"text": "a", "name": "b"})", false, false},
      {R"({"alfredsnippet": {}})", false, true},
      {R"({"alfredsnippet": "x", "snippet": "y"})", false, false},
      {R"([{"alfredsnippet": {"snippet": 1}}, 3])", false, true},
      {R"([{"alfredsnippet": []}])", false, false},
  };
  for (const auto& [text, raycast, alfred] : cases) {
    const Json value = json::parse(text);
    EXPECT_EQ(RaycastParser::looksLikeRaycast(value), raycast) << text;
    EXPECT_EQ(AlfredParser::looksLikeAlfred(value), alfred) << text;
  }
}

TEST(SnippetParsersTest, JSONExportsGiveOneSnippetPerObject) {
  auto snippets = RaycastParser::parse(json::parse(
      R"(["x", {"name": "Sig", "text": 42}, {"name": 5, "text": "b", "keyword": ""},
          {"name": true, "text": null}, 7])"));
  ASSERT_EQ(snippets.size(), 3u);
  EXPECT_EQ(snippets[0], (ImportedSnippet{"Sig", "", std::nullopt, {}, {notText("text")}}));
  EXPECT_EQ(snippets[1], (ImportedSnippet{std::nullopt, "b", "", {}, {}}));
  EXPECT_EQ(snippets[2], (ImportedSnippet{std::nullopt, "", std::nullopt, {}, {notText("text")}}));
  EXPECT_TRUE(RaycastParser::parse(json::parse(R"({"text": "a"})")).empty());

  snippets = AlfredParser::parse(json::parse(
      R"({"alfredsnippet": {"snippet": "Hi", "name": "", "keyword": "hi", "uid": "U"}})"));
  EXPECT_EQ(snippets, (std::vector<ImportedSnippet>{{"", "Hi", "hi", {}, {}}}));
  snippets = AlfredParser::parse(json::parse(
      R"([{"alfredsnippet": {"snippet": "a"}}, {"other": 1}, {"alfredsnippet": {"snippet": [1]}}])"));
  ASSERT_EQ(snippets.size(), 2u);
  EXPECT_EQ(snippets[1].warnings, std::vector<ImportWarning>{notText("snippet")});
}

TEST(SnippetParsersTest, TextReplacementsComeFromPropertyListDictionaries) {
  const PropertyListValue list = PropertyList::read(R"(<plist><array>
    <dict><key>shortcut</key><string>omw</string></dict>
    <string>stray</string>
    <dict><key>phrase</key><string> On my way! </string><key>shortcut</key><integer>1</integer></dict>
  </array></plist>)");
  EXPECT_FALSE(ApplePlistParser::looksLikeTextReplacements(list));
  const auto snippets = ApplePlistParser::parse(list);
  ASSERT_EQ(snippets.size(), 2u);
  EXPECT_EQ(snippets[0], (ImportedSnippet{std::nullopt, "", "omw", {}, {notText("phrase")}}));
  EXPECT_EQ(snippets[1], (ImportedSnippet{std::nullopt, " On my way! ", std::nullopt, {}, {}}));
  EXPECT_TRUE(ApplePlistParser::looksLikeTextReplacements(PropertyList::read(
      "<array><dict><key>phrase</key><true/><key>shortcut</key><date>2024-01-01T00:00:00Z</date>"
      "</dict></array>")));
  EXPECT_FALSE(ApplePlistParser::looksLikeTextReplacements(PropertyList::read("<array/>")));
  EXPECT_TRUE(ApplePlistParser::parse(PropertyList::read("<dict/>")).empty());
  // A list given up has its texts moved out, with the same snippets; the first of two equal
  // keys counts, as `find` has it.
  using Entries = PropertyListValue::Dictionary;
  const PropertyListValue twice{PropertyListValue::Array{
      PropertyListValue{Entries{{"phrase", {std::string(40, 'a')}}, {"phrase", {"b"}}}},
      PropertyListValue{Entries{{"shortcut", {std::string(20, 'c')}}, {"shortcut", {"d"}}}}}};
  for (const PropertyListValue& value : {list, twice}) {
    EXPECT_EQ(ApplePlistParser::parse(PropertyListValue(value)), ApplePlistParser::parse(value));
  }
  EXPECT_EQ(ApplePlistParser::parse(twice)[0].body, std::string(40, 'a'));
}

using D = FormatSniffer::Detection;

TEST(FormatSnifferTest, RecognisesTextAndDecodesBytes) {
  const std::string plist =
      "<plist version=\"1.0\"><array><dict><key>phrase</key><string>a"
      "</string><key>shortcut</key><string>b</string></dict></array></plist>";
  const std::vector<std::tuple<std::string, std::optional<std::string>, D>> cases{
      {" \n" + plist, std::nullopt, D::format(F::textReplacements)},
      {"  \n<plist version=\"1.0\"><array/></plist>", std::nullopt, D::notASnippetExport()},
      {"<?xml version=\"1.0\"?><html xmlns=\"http://www.w3.org/1999/xhtml\"><body/></html>",
       std::nullopt, D::notASnippetExport()},
      {"<?xml?><plist><dict><key>snippetsTE2</key><array/></dict></plist>" + plist, std::nullopt,
       D::unsupportedYet(UnsupportedFormat::textExpanderPlist)},
      {R"([{"name": "a", "text": "b"}])", std::nullopt, D::format(F::raycast)},
      {R"({"alfredsnippet": {"snippet": "b"}})", std::nullopt, D::format(F::alfred)},
      {R"({"other": 1})", std::nullopt, D::notASnippetExport()},
      {"[\r\n{\"name\": \"a\",\r\n\"text\": 1,\r\n}", "export.JSON", D::malformed(F::raycast, 4)},
      {"[1, 2", "x.json", D::malformed(F::raycast, 1)},
      {"[1, 2", std::nullopt, D::format(F::lines)},
      {"{\"a\":\n\n", std::nullopt, D::malformed(F::alfred, 3)},
      {"42", "x.json", D::format(F::lines)},
      {"# Notes\nmatches: \r\n  - trigger: x", std::nullopt,
       D::unsupportedYet(UnsupportedFormat::espansoYAML)},
      {"#tag\n####### seven\n## Two words", std::nullopt, D::format(F::markdown)},
      {"#tag\n####### seven", std::nullopt, D::format(F::lines)},
      {"Ada, Engineer\nBo, Designer\nCy, Analyst", std::nullopt, D::format(F::csv)},
      {"Ada, Engineer\nBo\nCy, Analyst", std::nullopt, D::format(F::lines)},
      {"Ada, Engineer\nBo, Designer", std::nullopt, D::format(F::lines)},
      {"Ada, Engineer\nBo, Designer", "team.CSV", D::format(F::csv)},
      {"red; green\nblue", std::nullopt, D::format(F::csv)},
      {"Keyword,Text\n", std::nullopt, D::format(F::csv)},
      {"a\r \rb", std::nullopt, D::format(F::paragraphs)},
      {"a\nb", std::nullopt, D::format(F::lines)},
      {"", std::nullopt, D::format(F::lines)},
  };
  for (const auto& [text, filename, expected] : cases) {
    EXPECT_EQ(FormatSniffer::detect(text, filename), expected) << text;
  }
  EXPECT_NE(std::hash<D>{}(D::malformed(F::raycast, std::nullopt)),
            std::hash<D>{}(D::malformed(F::raycast, 1)));
  EXPECT_EQ(FormatSniffer::decode(Bytes{0xFF, 0xFE, 'a', 0, 0xE9, 0}), "a\u00E9");
  EXPECT_EQ(FormatSniffer::decode(Bytes{0xFE, 0xFF, 0, 'a'}), "a");
  EXPECT_EQ(FormatSniffer::decode(Bytes{0xFF, 0xFE, 'a'}), std::nullopt);
  EXPECT_EQ(FormatSniffer::decode(Bytes{0xFF, 0xFE, 0x00, 0xD8, 'a', 0}), std::nullopt);
  EXPECT_EQ(FormatSniffer::decode(Bytes{'a', 0, 'b', 0}), std::string("a\0b\0", 4));
  EXPECT_EQ(FormatSniffer::decode(Bytes{0xEF, 0xBB, 0xBF, 'a'}), "\uFEFFa");
  EXPECT_EQ(FormatSniffer::decode(Bytes{0xC3, 0x28}), std::nullopt);

  const Bytes zip{0x50, 0x4B, 0x03, 0x04, 0xFF};
  const auto bundle = FormatSniffer::detect(zip, "Collection.alfredsnippets");
  ASSERT_TRUE(bundle);
  EXPECT_EQ(bundle->text, "");
  EXPECT_EQ(bundle->detection, D::unsupportedYet(UnsupportedFormat::alfredBundle));
  EXPECT_EQ(FormatSniffer::detect(Bytes{0xC3}, std::nullopt).error(),
            ImportError::unreadableEncoding());
}

using W = ImportWarning;
using Syntax = PlaceholderSyntax;

struct Case {
  std::string source;
  Syntax syntax;
  std::string body;
  std::vector<ImportWarning> warnings;
};

TEST(PlaceholderTranslatorTest, TranslatesBothDialects) {
  const std::string name45 = "abcdefghijklmnopqrstuvwxyzabcdefghijklm nopqrstu";
  const std::vector<Case> cases{
      {"{name} and \\{x}", Syntax::none, "\\{name\\} and \\\\{x\\}", {}},
      {R"({argument name='who' default="x" options="a,b"})", Syntax::braces, "{who}", {}},
      {R"({argument name="a}b"})", Syntax::braces, "{ab}", {}},
      {R"(Hi {argument default="a"}!)",
       Syntax::braces,
       "Hi {blank 1}!",
       {W::unnamedFillNumbered("blank 1")}},
      {R"({argument name="time"} {time})",
       Syntax::braces,
       "{time} {time 2}",
       {W::dynamicPlaceholderBecameBlank("{time}", "time 2")}},
      {R"({date format="yyyy"}{clipboard}{clipboard})",
       Syntax::braces,
       "{date}{clipboard}{clipboard}",
       {W::dynamicPlaceholderBecameBlank(R"({date format="yyyy"})", "date"),
        W::dynamicPlaceholderBecameBlank("{clipboard}", "clipboard"),
        W::dynamicPlaceholderBecameBlank("{clipboard}", "clipboard")}},
      {"{Date} { x} {2x} {random-number}",
       Syntax::braces,
       "\\{Date\\} \\{ x\\} \\{2x\\} \\{random-number\\}",
       {}},
      {"{clipboard | uppercase}{cursor}{snippet name=\"x\"}",
       Syntax::braces,
       "{clipboard}{blank 1}",
       {W::dynamicPlaceholderBecameBlank("{clipboard | uppercase}", "clipboard"),
        W::cursorMarkerRemoved(),
        W::dynamicPlaceholderBecameBlank("{snippet name=\"x\"}", "blank 1")}},
      {"%fillpopup:name=Size:default=M:L:XL% %filltext:name=:default=x%",
       Syntax::textExpander,
       "{Size} {blank 1}",
       {W::unnamedFillNumbered("blank 1")}},
      {"%fillpart:name=p%Thanks!%fillpartend% %% %Y %key:tab%%|%\\",
       Syntax::textExpander,
       "Thanks! %% %Y ",
       {W::controlCodeRemoved("%key:tab%"), W::cursorMarkerRemoved(), W::cursorMarkerRemoved()}},
      {"%filltext:name=First \t  Name%%clipboard%snippet:sig%",
       Syntax::textExpander,
       "{First Name}{clipboard}{blank 1}",
       {W::dynamicPlaceholderBecameBlank("%clipboard", "clipboard"),
        W::dynamicPlaceholderBecameBlank("%snippet:sig%", "blank 1")}},
      {"%filltext:name=blank 1%%filltext%",
       Syntax::textExpander,
       "{blank 1}{blank 1 2}",
       {W::unnamedFillNumbered("blank 1 2")}},
      {"%filltext%%filltext:name=blank 1%",
       Syntax::textExpander,
       "{blank 1}{blank 1}",
       {W::unnamedFillNumbered("blank 1")}},
      {"%filltext:name={ \\ }%",
       Syntax::textExpander,
       "{blank 1}",
       {W::unnamedFillNumbered("blank 1")}},
      {"%filltext:name=" + name45 + "%",
       Syntax::textExpander,
       "{abcdefghijklmnopqrstuvwxyzabcdefghijklm }",
       {}},
      {"C:\\%filltext:name=dir%", Syntax::textExpander, "C:\\{dir}", {}},
      // Text that already looks like the old in-band markers stays text.
      {"\uFFFF0\uFFFF%filltext:name=a%\uFFFF1\uFFFF",
       Syntax::textExpander,
       "\uFFFF0\uFFFF{a}\uFFFF1\uFFFF",
       {}},
      // A brace a mark joins is text to the template: no backslash before it.
      {"{\u0301x} {", Syntax::none, "{\u0301x\\} \\{", {}},
  };
  for (const Case& c : cases) {
    const auto output = PlaceholderTranslator::translate(c.source, c.syntax);
    EXPECT_EQ(output.body, c.body) << c.source;
    EXPECT_EQ(output.warnings, c.warnings) << c.source;
  }
}

TEST(PlaceholderTranslatorTest, PlainTextReadsBackUnchanged) {
  const std::vector<std::string> pieces{"{",  "}",   "\\",     "a",      " ", "\u0301", "\u0600",
                                        "\n", "{x}", "\uFFFF", "\u200D", "%", "é"};
  std::mt19937 random(30);
  for (int round = 0; round < 2000; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 16);
    for (int i = 0; i < length; ++i) text += pieces[random() % pieces.size()];
    const auto output = PlaceholderTranslator::translate(text, Syntax::none);
    const VariableTemplate parsed(output.body);
    EXPECT_FALSE(parsed.hasVariables()) << text;
    EXPECT_EQ(parsed.displayText(), text) << output.body;
  }
}

// The plain scan of the TextExpander dialect finds exactly what its pattern finds.
TEST(PlaceholderTranslatorTest, TextExpanderScanAgreesWithItsPattern) {
  const Regex pattern(
      R"(%(filltext|fillarea|fillpopup|fillpart|fillpartend|fillparttext|snippet|key))"
      R"(((?::[^%\n]*)?)%|%clipboard|%\||%[\\])");
  const std::vector<std::string> pieces{"%",         ":",         "\n",   "\r",      "filltext",
                                        "fillpart",  "end",       "text", "snippet", "key",
                                        "clipboard", "|",         "\\",   "name=a",  "é",
                                        "fillarea",  "fillpopup", "x",    "%%",      "\u2028"};
  std::mt19937 random(29);
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 12);
    for (int i = 0; i < length; ++i) text += pieces[random() % pieces.size()];
    using Found = std::tuple<std::size_t, std::string_view, std::string_view, std::string_view>;
    std::vector<Found> scanned;
    for (std::size_t at = text.find('%'); at != std::string::npos;) {
      const auto found = import_internal::textExpanderPlaceholderAt(text, at);
      if (!found) {
        at = text.find('%', at + 1);
        continue;
      }
      scanned.emplace_back(at, found->whole, found->command, found->arguments);
      at = text.find('%', at + found->whole.size());
    }
    std::vector<Found> expected;
    for (const Regex::Match& match : pattern.allMatches(text)) {
      expected.emplace_back(match.offset, match.text, match.captures[0].value_or(""),
                            match.captures[1].value_or(""));
    }
    EXPECT_EQ(scanned, expected) << text;
  }
}

TEST(PlaceholderTranslatorTest, NameArgumentScanAgreesWithItsPattern) {
  const Regex pattern(R"(name=["']([^"']*)["'])");
  const std::vector<std::string> pieces{"name=", "nam", "e=", "\"", "'", "x", "é", " ", "\n", "="};
  std::mt19937 random(29);
  for (int round = 0; round < 20000; ++round) {
    std::string text;
    const int length = static_cast<int>(random() % 10);
    for (int i = 0; i < length; ++i) text += pieces[random() % pieces.size()];
    const auto match = pattern.firstMatch(text);
    const auto expected = match ? match->captures[0] : std::nullopt;
    EXPECT_EQ(import_internal::quotedNameArgument(text), expected) << text;
  }
}

// Bodies translated in place one after another, as an import does, come out as each alone.
TEST(PlaceholderTranslatorTest, InPlaceTranslationAgreesWithTranslate) {
  const std::vector<std::string> pieces{
      "{",         "}",           "%",       "x",           " ",
      "\n",        "é",           "\u0301",  "\u0600",      "%filltext:name=A%",
      "%|",        "%clipboard",  "%key:t%", "%snippet:s%", "%fillpopup:x=1%",
      "{your}",    "{cursor}",    "{time}",  "{argument}",  "{argument name=\"A\"}",
      "{snippet}", "{clipboard}", "blank 1", "%%",          "\\"};
  std::mt19937 random(31);
  for (const auto syntax : {Syntax::none, Syntax::textExpander, Syntax::braces}) {
    for (int round = 0; round < 3000; ++round) {
      std::string text = round % 700 == 0 ? std::string(70'000, 'x') : std::string();
      const int length = static_cast<int>(random() % 12);
      for (int i = 0; i < length; ++i) text += pieces[random() % pieces.size()];
      std::vector<ImportWarning> warnings{W::cursorMarkerRemoved()};
      std::string body = text;
      import_internal::translateInPlace(body, syntax, warnings);
      auto expected = PlaceholderTranslator::translate(text, syntax);
      expected.warnings.insert(expected.warnings.begin(), W::cursorMarkerRemoved());
      EXPECT_EQ(body, expected.body) << text;
      EXPECT_EQ(warnings, expected.warnings) << text;
    }
  }
}

// The import's newline and placeholder handling of CSV bodies gives what the plain steps give.
TEST(SnippetImporterTest, CSVBodiesComeOutAsTheirPlainTranslation) {
  const std::vector<std::string> pieces{
      "\r",           "\n",  "\r\n", "\"\"", "x", "{", "}", "%", "é", "%filltext:name=A%",
      "%fillpart:x%", "{y}", "%|"};
  std::mt19937 random(32);
  std::string text = "Abbreviation,Snippet\n";
  std::vector<std::string> bodies;
  for (int row = 0; row < 3000; ++row) {
    std::string field;
    const int length = static_cast<int>(random() % 10);
    for (int i = 0; i < length; ++i) field += pieces[random() % pieces.size()];
    text += "k,\"" + field + "\"\n";
    bodies.push_back(std::move(field));
  }
  const auto parsed = SnippetImporter::parse(text, "x.csv", F::csv);
  ASSERT_TRUE(parsed);
  ASSERT_EQ(parsed->snippets.size(), bodies.size());
  for (std::size_t i = 0; i < bodies.size(); ++i) {
    std::string body = bodies[i];
    for (std::size_t quote = body.find("\"\""); quote != std::string::npos;
         quote = body.find("\"\"", quote + 1)) {
      body.erase(quote, 1);
    }
    const auto expected = PlaceholderTranslator::translate(
        PlainTextSplitter::normalisedNewlines(body), Syntax::textExpander);
    EXPECT_EQ(parsed->snippets[i].body, expected.body) << bodies[i];
    EXPECT_EQ(parsed->snippets[i].warnings, expected.warnings) << bodies[i];
  }
}

#if defined(__SANITIZE_THREAD__)
constexpr bool threadSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
constexpr bool threadSanitizer = true;
#else
constexpr bool threadSanitizer = false;
#endif
#else
constexpr bool threadSanitizer = false;
#endif

// A pasted CSV text may hold more than the CSV reader does: a refusal, never a throw.
TEST(SnippetImporterTest, CSVTextsOf4GiBAreRefusedAsTooLarge) {
  if (threadSanitizer) {
    // The sniffer reads the whole text, which costs no memory here, but the thread sanitizer
    // records every read in shadow memory several times the size of what was read.
    GTEST_SKIP() << "reading 4 GiB under the thread sanitizer takes 8-16 GiB of shadow";
  }
  // Address space only: no page past the first is touched.
  const std::size_t size = CSVReader::Rows::maxTextSize;
  void* mapping = mmap(nullptr, size, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(mapping, MAP_FAILED);
  const std::string_view header = "Abbreviation,Snippet\n";
  std::copy(header.begin(), header.end(), static_cast<char*>(mapping));
  const std::string_view huge(static_cast<const char*>(mapping), size);
  EXPECT_EQ(SnippetImporter::parse(huge, "huge.csv", std::nullopt).error(),
            ImportError::tooLarge(4'294'967'295, 4'294'967'294));
  EXPECT_EQ(SnippetImporter::nudgeCount(huge), std::nullopt);
  const auto below = SnippetImporter::parse(huge.substr(0, 1 << 20), "a.csv", std::nullopt);
  EXPECT_EQ(below->snippets.size(), 1u);
  munmap(mapping, size);
}

using Rows = CSVReader::Rows;

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
      {"a\t\u0301b\tc,d", U'\t'},
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
  // Nothing joins a tab: a field may open with a mark.
  EXPECT_EQ(CSVReader::read("a\t\u0301b\tc", U'\t').rows, (Rows{{"a", "\u0301b", "c"}}));
  EXPECT_EQ(CSVReader::read("\u0600\tx\t\u0903", U'\t').rows, (Rows{{"\u0600", "x", "\u0903"}}));
  EXPECT_EQ(CSVReader::read("a\u00A7b", U'\u00A7').rows, (Rows{{"a", "b"}}));
}

bool isBreak(std::string_view c) {
  return c == "\n" || c == "\r" || c == "\r\n" || c == "\v" || c == "\f" || c == "\u0085" ||
         c == "\u2028" || c == "\u2029";
}

// The delimiter rule applied to the characters of the first line.
char32_t referenceDelimiter(std::string_view text) {
  const std::array<std::string_view, 3> candidates{",", ";", "\t"};
  std::array<std::size_t, 3> counts{};
  for (const std::string_view c : text::characters(text)) {
    if (isBreak(c)) break;
    for (std::size_t i = 0; i < candidates.size(); ++i) counts[i] += c == candidates[i];
  }
  std::size_t best = 0;
  for (std::size_t i = 1; i < counts.size(); ++i) {
    if (counts[i] > counts[best]) best = i;
  }
  return CSVReader::candidateDelimiters[best];
}

// The reading rules applied character by character, to check the byte scanner against.
Rows referenceRead(std::string_view text, char32_t delimiterScalar) {
  std::string delimiter;
  appendUtf8(delimiter, delimiterScalar);
  Rows rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;
  const auto characters = text::characters(text);
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
    } else if (c == delimiter) {
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
    const char32_t sniffed = referenceDelimiter(text);
    EXPECT_EQ(CSVReader::detectDelimiter(text), sniffed) << text;
    for (const char32_t delimiter : CSVReader::candidateDelimiters) {
      EXPECT_EQ(CSVReader::read(text, delimiter).rows, referenceRead(text, delimiter)) << text;
    }
    EXPECT_EQ(CSVReader::read(text), (CSVReader::Table{referenceRead(text, sniffed), sniffed}));
  }
  // Thousands of rows and fields cross the table's offset chunks, and rows handed out one at a
  // time agree with the table.
  std::string text;
  for (int i = 0; i < 60000; ++i) text += pieces[random() % pieces.size()];
  for (const char32_t delimiter : CSVReader::candidateDelimiters) {
    const Rows rows = CSVReader::read(text, delimiter).rows;
    EXPECT_GT(rows.size(), 2000u);
    EXPECT_EQ(rows, referenceRead(text, delimiter));
    Rows streamed;
    import_internal::scanRows(text, delimiter, [&](const CSVReader::Row& row) {
      streamed.push_back(row.strings());
      return true;
    });
    EXPECT_EQ(streamed, rows);
  }
}

using Columns = CSVSnippetParser::Columns;

TEST(CSVSnippetParserTest, HeaderColumnsAndRows) {
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
  for (const std::string_view blank : {"a\r\n \r\nb", "a\r\rb", "a\n\t\rb", "a\r\n\n"}) {
    EXPECT_TRUE(PlainTextSplitter::hasBlankLine(blank)) << blank;
  }
  for (const std::string_view single : {"a\nb", "a\r\nb\rc", "a\r\n  ", "\r\n"}) {
    EXPECT_FALSE(PlainTextSplitter::hasBlankLine(single)) << single;
  }
  EXPECT_TRUE(titled(PlainTextSplitter::lines("")).empty());
  EXPECT_TRUE(titled(PlainTextSplitter::paragraphs(" \n\n ")).empty());
}

}  // namespace
}  // namespace kelvo
