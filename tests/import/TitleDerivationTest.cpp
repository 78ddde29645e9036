#include "core/import/TitleDerivation.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

std::string repeated(std::string_view piece, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

TEST(TitleDerivationTest, TakesTitleKeywordLineOrNumber) {
  struct Case {
    ImportedSnippet snippet;
    std::size_t index;
    std::string expected;
  };
  const std::string keyword75 = repeated("k", 75);
  const std::string decomposed60 = repeated("e\u0301", 60);
  const std::vector<Case> cases{
      {{" Sig ", "body", "kw", {}, {}}, 0, "Sig"},
      {{"  \t", "body", " kw\n", {}, {}}, 0, "kw"},
      {{std::nullopt, "body", keyword75, {}, {}}, 0, keyword75},
      {{"", "\n \r\n\u2028  First line  \nsecond", "", {}, {}}, 0, "First line"},
      {{std::nullopt, decomposed60, std::nullopt, {}, {}}, 0, decomposed60},
      {{std::nullopt, repeated("x", 61), std::nullopt, {}, {}}, 0, repeated("x", 59) + "\u2026"},
      {{std::nullopt, repeated("x", 57) + "  \tyy", std::nullopt, {}, {}},
       0,
       repeated("x", 57) + "\u2026"},
      {{std::nullopt, " \n\t", std::nullopt, {}, {}}, 41, "Snippet 42"},
      {{}, 0, "Snippet 1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TitleDerivation::title(c.snippet, c.index), c.expected) << c.snippet.body;
  }
}

}  // namespace
}  // namespace kelvo
