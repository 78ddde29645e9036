#include "core/model/SnippetMetrics.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kelvo {
namespace {

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
