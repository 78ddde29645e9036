#include "core/import/FormatSniffer.hpp"

#include <gtest/gtest.h>

#include "platform/foundation/Bytes.hpp"

namespace kelvo {
namespace {

using D = FormatSniffer::Detection;
using F = ImportFormat;

TEST(FormatSnifferTest, RecognisesEachKindOfText) {
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
}

TEST(FormatSnifferTest, DecodesBytesInOneEncoding) {
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

}  // namespace
}  // namespace kelvo
