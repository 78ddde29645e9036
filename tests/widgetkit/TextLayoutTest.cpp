#include "platform/widgetkit/TextLayout.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/widgetkit/TextMeasurer.hpp"

namespace kelvo::widgetkit {
namespace {

TextOptions options(double size, std::optional<int> lines, double minimumScale = 1,
                    bool tightening = false, FontWeight weight = FontWeight::regular) {
  return {Font{size, weight}, lines, minimumScale, tightening};
}

TEST(TextLayoutTest, MeasuresWithTheDejaVuFaces) {
  const TextMeasurer& measurer = TextMeasurer::shared();
  ASSERT_TRUE(measurer.hasFonts()) << "fonts-dejavu-core is not installed";
  EXPECT_GT(measurer.advance(U'W', FontWeight::regular),
            measurer.advance(U'i', FontWeight::regular));
  EXPECT_GT(measurer.advance(U'a', FontWeight::semibold),
            measurer.advance(U'a', FontWeight::regular));

  // Without the files, layout still works on estimated metrics.
  const TextMeasurer missing("/nonexistent-font-folder");
  EXPECT_FALSE(missing.hasFonts());
  const TextLayout estimated =
      layoutText("abcd", options(10, 1), std::nullopt, std::nullopt, missing);
  EXPECT_NEAR(estimated.size.width, 24, 1e-9);
}

TEST(TextLayoutTest, FitsThenTightensThenShrinksThenTruncates) {
  const TextLayout natural = layoutText("Fill a form", options(10, 1), std::nullopt, std::nullopt);
  const double full = natural.size.width;
  EXPECT_GT(full, 40);

  // Slightly too narrow: tightening alone is enough, and the size stays.
  const TextLayout tight = layoutText("Fill a form", options(10, 1, 0.7, true), full - 1, {});
  EXPECT_EQ(tight.lines, std::vector<std::string>{"Fill a form"});
  EXPECT_EQ(tight.pointSize, 10);
  EXPECT_LT(tight.letterSpacing, 0);

  // Narrower: it shrinks, never below 0.7 of its size.
  const TextLayout shrunk = layoutText("Fill a form", options(10, 1, 0.7), full * 0.8, {});
  EXPECT_EQ(shrunk.lines, std::vector<std::string>{"Fill a form"});
  EXPECT_LT(shrunk.pointSize, 10);
  EXPECT_GE(shrunk.pointSize, 7);
  EXPECT_LE(shrunk.size.width, full * 0.8 + 1e-6);

  // Too narrow even at 0.7: the one line is cut and ends in "…".
  const TextLayout cut = layoutText("Fill a form", options(10, 1, 0.7), full * 0.5, {});
  ASSERT_EQ(cut.lines.size(), 1u);
  EXPECT_NEAR(cut.pointSize, 7, 1e-9);
  EXPECT_TRUE(cut.lines[0].ends_with("…")) << cut.lines[0];
  EXPECT_TRUE(
      std::string("Fill a form").starts_with(cut.lines[0].substr(0, cut.lines[0].size() - 3)));
  EXPECT_LE(cut.size.width, full * 0.5 + 1e-6);

  // Without a minimum scale it never shrinks.
  const TextLayout fixed = layoutText("Fill a form", options(10, 1), full * 0.8, {});
  EXPECT_EQ(fixed.pointSize, 10);
  EXPECT_TRUE(fixed.truncated);
}

TEST(TextLayoutTest, WrapsWithinTheLineLimit) {
  const std::string detail = "What's on the clipboard";
  const double full = layoutText(detail, options(10, {}), {}, {}).size.width;
  const TextLayout two = layoutText(detail, options(10, 2, 0.7), full * 0.6, {});
  ASSERT_EQ(two.lines.size(), 2u);
  EXPECT_EQ(two.lines[0] + " " + two.lines[1], detail);
  EXPECT_NEAR(two.size.height, 2 * two.lineHeight, 1e-9);

  // A height for one line keeps one line even where the limit allows two.
  const TextLayout low = layoutText(detail, options(10, 2, 1), full * 0.6, two.lineHeight * 1.5);
  EXPECT_EQ(low.lines.size(), 1u);
  EXPECT_TRUE(low.truncated);

  // Hard breaks are kept, and the cut line ends its own paragraph.
  const TextLayout paragraphs = layoutText("one\ntwo\nthree", options(10, 2), {}, {});
  EXPECT_EQ(paragraphs.lines, (std::vector<std::string>{"one", "two…"}));

  // A word wider than the line breaks between its characters, never losing one.
  const TextLayout word = layoutText("Supercalifragilistic", options(10, {}), 30, {});
  std::string joined;
  for (const auto& line : word.lines) joined += line;
  EXPECT_GT(word.lines.size(), 2u);
  EXPECT_EQ(joined, "Supercalifragilistic");
}

TEST(TextLayoutTest, SurvivesBadInput) {
  EXPECT_EQ(layoutText("", options(10, 1), 50, 50).size, (Size{0, 0}));
  // Bytes that are not UTF-8 are drawn as U+FFFD, and a grapheme is never split.
  const TextLayout invalid = layoutText(std::string("a\xff\xfe") + "b", options(10, 1), {}, {});
  EXPECT_EQ(invalid.lines, std::vector<std::string>{"a\uFFFD\uFFFDb"});
  const TextLayout accents = layoutText("e\u0301e\u0301e\u0301e\u0301", options(10, 1), 1, {});
  EXPECT_TRUE(accents.lines[0] == "…" || accents.lines[0].starts_with("e\u0301"));
  // Meaningless sizes and bounds do not crash or loop.
  for (const double bad : {std::nan(""), -5.0, 0.0, infinity}) {
    const TextLayout layout = layoutText("Search", options(10, 1, bad, true), bad, bad);
    EXPECT_EQ(layout.lines.size(), 1u);
    EXPECT_TRUE(std::isfinite(layout.size.height));
  }
  // A long text under a line limit lays out only the lines it shows.
  const std::string longText(200000, 'x');
  const TextLayout bounded = layoutText(longText, options(10, 2, 0.7), 100, {});
  EXPECT_EQ(bounded.lines.size(), 2u);
  EXPECT_TRUE(bounded.truncated);
}

}  // namespace
}  // namespace kelvo::widgetkit
