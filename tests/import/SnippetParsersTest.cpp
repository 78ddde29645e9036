#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/import/AlfredParser.hpp"
#include "core/import/ApplePlistParser.hpp"
#include "core/import/RaycastParser.hpp"

namespace kelvo {
namespace {

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
}

}  // namespace
}  // namespace kelvo
