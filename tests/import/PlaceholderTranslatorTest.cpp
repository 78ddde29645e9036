#include "core/import/PlaceholderTranslator.hpp"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

#include "core/import/internal/PlaceholderScan.hpp"
#include "core/model/VariableTemplate.hpp"
#include "platform/foundation/Regex.hpp"

namespace kelvo {
namespace {

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
      const auto found = importing::textExpanderPlaceholderAt(text, at);
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
    EXPECT_EQ(importing::quotedNameArgument(text), expected) << text;
  }
}

}  // namespace
}  // namespace kelvo
