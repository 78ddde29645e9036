#include "core/model/VariableTemplate.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "core/model/SnippetMetrics.hpp"

namespace kelvo {
namespace {

using Segments = std::vector<TemplateSegment>;

TemplateSegment lit(std::string text) { return TemplateSegment::literal(std::move(text)); }
TemplateSegment var(std::string name) { return TemplateSegment::variable(std::move(name)); }

TEST(VariableTemplateTest, ParsesBlanksBetweenLiterals) {
  const VariableTemplate hello("Hello {name}!");
  EXPECT_EQ(hello.segments(), (Segments{lit("Hello "), var("name"), lit("!")}));

  const VariableTemplate spaced("{ first name }");
  EXPECT_EQ(spaced.segments(), (Segments{var("first name")}));
  EXPECT_EQ(spaced.displayText(), "{first name}");
  // Tabs, line ends and no-break spaces are trimmed from a name too.
  EXPECT_EQ(VariableTemplate("{\t\n\u00a0x\u2003}").segments(), (Segments{var("x")}));

  EXPECT_EQ(VariableTemplate("{a{b}").segments(), (Segments{lit("{a"), var("b")}));

  const VariableTemplate repeated("{x} and {x} or {y}");
  EXPECT_EQ(repeated.variableNames(), (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(VariableTemplate("{Name}{name}").variableNames(),
            (std::vector<std::string>{"Name", "name"}));
}

TEST(VariableTemplateTest, MalformedBlanksStayText) {
  for (const char* text : {"{}", "{ }", "{name", "}", "a}b{", "{\n}", "{a{", "x{}y"}) {
    const VariableTemplate value(text);
    EXPECT_FALSE(value.hasVariables()) << text;
    EXPECT_EQ(value.segments(), (Segments{lit(text)})) << text;
    EXPECT_EQ(value.displayText(), text);
  }
  // After an empty blank, reading resumes right after its "{".
  EXPECT_EQ(VariableTemplate("{ }{x}").segments(), (Segments{lit("{ }"), var("x")}));
  EXPECT_TRUE(VariableTemplate("").segments().empty());
}

TEST(VariableTemplateTest, BackslashesEscapeOnlyBraces) {
  EXPECT_EQ(VariableTemplate("\\{name\\}").segments(), (Segments{lit("{name}")}));
  // The backslash before the first closing brace escapes it; the name search stops there.
  EXPECT_EQ(VariableTemplate("{a\\}b}").segments(), (Segments{lit("{a}b}")}));
  EXPECT_EQ(VariableTemplate("C:\\Users\\ada").segments(), (Segments{lit("C:\\Users\\ada")}));
  // The first backslash is text and the second escapes the brace: one literal, no blank.
  EXPECT_EQ(VariableTemplate("\\\\{x}").segments(), (Segments{lit("\\{x}")}));
  EXPECT_EQ(VariableTemplate("{x}\\").segments(), (Segments{var("x"), lit("\\")}));
  // A backslash before another character inside braces belongs to the name.
  EXPECT_EQ(VariableTemplate("{a\\b}").segments(), (Segments{var("a\\b")}));
  EXPECT_EQ(VariableTemplate("{a\\\\}").segments(), (Segments{lit("{a\\}")}));
  EXPECT_EQ(VariableTemplate("{a\\").segments(), (Segments{lit("{a\\")}));
}

TEST(VariableTemplateTest, BracesJoinedByMarksAreOrdinaryCharacters) {
  // U+0301 joins the brace before it into one character, which is no brace.
  const std::string open = "{\u0301";
  EXPECT_EQ(VariableTemplate(open + "x}").segments(), (Segments{lit(open + "x}")}));
  EXPECT_EQ(VariableTemplate("{x}\u0301").segments(), (Segments{lit("{x}\u0301")}));
  EXPECT_EQ(VariableTemplate("{x\u0301}").segments(), (Segments{var("x\u0301")}));
  // A joined backslash escapes nothing.
  EXPECT_EQ(VariableTemplate("\\\u0301{x}").segments(), (Segments{lit("\\\u0301"), var("x")}));
  // A prepended mark takes the brace after it into its character.
  EXPECT_EQ(VariableTemplate("\u0600{x}").segments(), (Segments{lit("\u0600{x}")}));
  EXPECT_EQ(VariableTemplate("\u00e9{x}\u00e9").segments(),
            (Segments{lit("\u00e9"), var("x"), lit("\u00e9")}));
}

TEST(VariableTemplateTest, FillsOnlyWithNonEmptyValues) {
  const VariableTemplate letter("Dear {name},{ greeting }");
  EXPECT_EQ(letter.filled({{"name", std::nullopt}}), "Dear {name},{greeting}");
  EXPECT_EQ(letter.filled({{"name", ""}}), "Dear {name},{greeting}");
  EXPECT_EQ(letter.filled({{"name", " "}}), "Dear  ,{greeting}");
  // Values go in unchanged, braces included, and keys match exactly.
  EXPECT_EQ(letter.filled({{"name", "{x}"}, {"greeting", "Hi"}}), "Dear {x},Hi");
  EXPECT_EQ(letter.filled({{"Name", "Ada"}, {" greeting ", "Hi"}}), "Dear {name},{greeting}");
}

TEST(VariableTemplateTest, SurvivesHostileInput) {
  std::string opens(100'000, '{');
  EXPECT_EQ(VariableTemplate(opens).segments(), (Segments{lit(opens)}));
  std::string mixed;
  for (int i = 0; i < 20'000; ++i) mixed += "\\{\xff}\u0301{ a}x\\";
  const VariableTemplate value(mixed);
  ASSERT_FALSE(value.segments().empty());
  for (std::size_t i = 1; i < value.segments().size(); ++i) {
    EXPECT_FALSE(!value.segments()[i - 1].isVariable() && !value.segments()[i].isVariable());
  }
  // Malformed bytes are kept as they are, in names too.
  EXPECT_EQ(VariableTemplate(std::string("{\xc3}", 3)).segments(), (Segments{var("\xc3")}));
}

std::string words(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += (i ? " w" : "w") + std::to_string(i);
  return text;
}

TEST(SnippetMetricsTest, CountsRunsBetweenWhitespace) {
  using SnippetMetrics::wordCount;
  EXPECT_EQ(wordCount("one\ntwo\tthree  four"), 4u);
  EXPECT_EQ(wordCount("  "), 0u);
  EXPECT_EQ(wordCount("\r\n\r\n"), 0u);
  EXPECT_EQ(wordCount("a\r\nb"), 2u);
  // No-break, ideographic and line-separator spaces are whitespace too.
  EXPECT_EQ(wordCount("caf\u00e9\u00a0cr\u00e8me\u3000th\u00e9\u2028x"), 4u);
  // A mark on a space joins it: the character is still whitespace, so the mark is no word.
  EXPECT_EQ(wordCount("a \u0301 b"), 2u);
  // A prepended mark takes the space into its own character, which is not whitespace.
  EXPECT_EQ(wordCount("\u0600 x"), 1u);
  // Zero-width space is not whitespace.
  EXPECT_EQ(wordCount("a\u200bb"), 1u);
  // Malformed bytes count as characters of a word, never as separators.
  EXPECT_EQ(wordCount("a\xff\xfe b\xc3"), 2u);
}

TEST(SnippetMetricsTest, LabelsOnlyLongSnippets) {
  using SnippetMetrics::lengthLabel;
  EXPECT_EQ(lengthLabel(words(12)), std::nullopt);
  EXPECT_EQ(lengthLabel(words(13)), "13 words");
  EXPECT_EQ(lengthLabel(""), std::nullopt);
}

}  // namespace
}  // namespace kelvo
