#include "platform/widgetkit/Layout.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/widgetkit/Appearance.hpp"
#include "platform/widgetkit/Color.hpp"
#include "platform/widgetkit/TextLayout.hpp"
#include "platform/widgetkit/TextMeasurer.hpp"
#include "platform/widgetkit/WidgetFamily.hpp"

namespace kelvo::widgetkit {
namespace {

// A box that takes whatever it is offered within the limits, like a tile.
View flexible(double minimum = 0) {
  return View::spacer().frame({minimum, infinity, minimum, infinity, Alignment::center()});
}

View fixedBox(double width, double height) { return View::spacer().frame(width, height); }

TEST(LayoutTest, StacksShareTheirSpaceAfterTheLeastFlexibleChoose) {
  Layout layout;
  // A fixed child takes its size first; the flexible one gets the rest.
  const LayoutNode column =
      layout.layout(View::verticalStack(HorizontalAlignment::leading, 2,
                                        {fixedBox(20, 20), flexible(), fixedBox(50, 10)}),
                    {100, 100});
  ASSERT_EQ(column.children.size(), 3u);
  EXPECT_EQ(column.children[0].frame, (Rect{{0, 0}, {20, 20}}));
  EXPECT_NEAR(column.children[1].frame.height(), 100 - 20 - 10 - 4, 1e-9);
  EXPECT_NEAR(column.children[2].frame.minY(), 90, 1e-9);

  // Cross-axis alignment places narrower children.
  const LayoutNode centred = layout.layout(
      View::verticalStack(HorizontalAlignment::center, 0, {fixedBox(40, 10), fixedBox(20, 10)}),
      {100, 100});
  EXPECT_EQ(centred.frame, (Rect{{30, 40}, {40, 20}}));  // the stack itself is centred
  EXPECT_NEAR(centred.children[1].frame.minX(), 40, 1e-9);
}

TEST(LayoutTest, SpacersPushAndFramesClamp) {
  Layout layout;
  // A spacer between two boxes pushes the second to the far end.
  const LayoutNode pushed =
      layout.layout(View::verticalStack(HorizontalAlignment::leading, 0,
                                        {fixedBox(10, 10), View::spacer(0), fixedBox(10, 10)})
                        .frame({.maxHeight = infinity}),
                    {50, 80});
  EXPECT_NEAR(pushed.children.front().children[2].frame.maxY(), 80, 1e-9);

  // A flexible frame never goes below its minimum, even when offered less.
  EXPECT_EQ(layout.sizeThatFits(flexible(44), {10, 10}), (Size{44, 44}));
  // Without a proposal it takes its child's size held within its limits.
  EXPECT_EQ(layout.sizeThatFits(fixedBox(10, 100).frame({.minWidth = 44, .maxHeight = 50}), {}),
            (Size{44, 50}));

  // Padding adds to the child's size and offers it less.
  const LayoutNode padded = layout.layout(flexible().padding(8), {100, 60});
  EXPECT_EQ(padded.frame.size, (Size{100, 60}));
  EXPECT_EQ(padded.children.front().frame, (Rect{{8, 8}, {84, 44}}));
}

TEST(LayoutTest, TextsKeepTheAttributesNearestThem) {
  Layout layout;
  const View tree =
      View::verticalStack(
          HorizontalAlignment::leading, 0,
          {View::text("Inner").font(Font{20, FontWeight::bold}).lineLimit(1), View::text("Outer")})
          .font(Font{10, FontWeight::regular})
          .minimumScaleFactor(0.5);
  const LayoutNode laidOut = layout.layout(tree, {200, 100});
  // Attribute nodes wrap the stack: walk down to the texts.
  const LayoutNode* stack = &laidOut;
  while (!stack->view.as<View::Stack>()) stack = &stack->children.front();
  const LayoutNode* inner = &stack->children[0];
  while (!inner->view.as<View::Text>()) inner = &inner->children.front();
  const LayoutNode& outer = stack->children[1];
  ASSERT_TRUE(inner->text && outer.text);
  EXPECT_EQ(inner->attributes.font->pointSize, 20);
  EXPECT_EQ(outer.attributes.font->pointSize, 10);
  EXPECT_EQ(inner->text->lines, std::vector<std::string>{"Inner"});
  EXPECT_NEAR(outer.frame.minY(), inner->frame.maxY(), 1e-9);
}

TEST(LayoutTest, MeaninglessSizesStayFinite) {
  Layout layout;
  const View tree =
      View::horizontalStack(VerticalAlignment::center, std::nan(""),
                            {View::spacer(-5), flexible().padding(-3),
                             View::text("x").frame({.minWidth = std::nan(""), .maxWidth = -1}),
                             View::image({"any", true, true, ImageRendering::templateImage})})
          .frame(std::nan(""), -10);
  const LayoutNode laidOut = layout.layout(tree, {100, 100});
  const auto check = [](const auto& self, const LayoutNode& node) -> void {
    EXPECT_TRUE(std::isfinite(node.frame.minX()) && std::isfinite(node.frame.minY()));
    EXPECT_TRUE(std::isfinite(node.frame.width()) && std::isfinite(node.frame.height()));
    EXPECT_GE(node.frame.width(), -1e-9);
    for (const auto& child : node.children) self(self, child);
  };
  check(check, laidOut);
  // Nothing at all is a view of no size.
  EXPECT_EQ(layout.sizeThatFits(View::horizontalStack(VerticalAlignment::top, 6, {}), {50, 50}),
            (Size{0, 0}));
}

TextOptions options(double size, std::optional<int> lines, double minimumScale = 1,
                    bool tightening = false, FontWeight weight = FontWeight::regular) {
  return {Font{size, weight}, lines, minimumScale, tightening};
}

TEST(TextLayoutTest, MeasuresWithTheDejaVuFaces) {
  const TextMeasurer& measurer = TextMeasurer::shared();
  ASSERT_TRUE(measurer.hasFonts()) << "fonts-dejavu-core is not installed";
  EXPECT_GT(measurer.advance(U'W', FontWeight::regular),
            measurer.advance(U'i', FontWeight::regular));

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

  // Slightly too narrow: tightening alone is enough, and the size stays.
  const TextLayout tight = layoutText("Fill a form", options(10, 1, 0.7, true), full - 1, {});
  EXPECT_EQ(tight.lines, std::vector<std::string>{"Fill a form"});
  EXPECT_EQ(tight.pointSize, 10);
  EXPECT_LT(tight.letterSpacing, 0);

  // Narrower: it shrinks, never below 0.7 of its size.
  const TextLayout shrunk = layoutText("Fill a form", options(10, 1, 0.7), full * 0.8, {});
  EXPECT_EQ(shrunk.lines, std::vector<std::string>{"Fill a form"});
  EXPECT_GE(shrunk.pointSize, 7);
  EXPECT_LE(shrunk.size.width, full * 0.8 + 1e-6);

  // Too narrow even at 0.7: the one line is cut and ends in "…".
  const TextLayout cut = layoutText("Fill a form", options(10, 1, 0.7), full * 0.5, {});
  ASSERT_EQ(cut.lines.size(), 1u);
  EXPECT_NEAR(cut.pointSize, 7, 1e-9);
  EXPECT_TRUE(cut.lines[0].ends_with("…")) << cut.lines[0];
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

TEST(WidgetFamilyTest, StandardSizesAndRawValues) {
  EXPECT_EQ(displaySize(WidgetFamily::systemMedium), (Size{364, 170}));
  ASSERT_EQ(allWidgetFamilies().size(), 4u);
  EXPECT_EQ(widgetFamilyFromRawValue("systemSmall"), WidgetFamily::systemSmall);
  EXPECT_FALSE(widgetFamilyFromRawValue("small"));
}

TEST(WidgetFamilyTest, AppearancesMatchTheirOwnNameThenTheirPlainForm) {
  const auto all = {AppearanceName::darkAqua, AppearanceName::accessibilityHighContrastDarkAqua,
                    AppearanceName::aqua, AppearanceName::accessibilityHighContrastAqua};
  for (const AppearanceName name : allAppearanceNames()) {
    EXPECT_EQ(Appearance(name).bestMatch(all), name) << rawValue(name);
  }
  // The order of the candidates does not matter: an exact match wins over an earlier fallback.
  const Appearance contrastDark(AppearanceName::accessibilityHighContrastDarkAqua);
  EXPECT_EQ(contrastDark.bestMatch(
                {AppearanceName::darkAqua, AppearanceName::accessibilityHighContrastDarkAqua}),
            AppearanceName::accessibilityHighContrastDarkAqua);
  EXPECT_EQ(contrastDark.bestMatch({AppearanceName::aqua, AppearanceName::darkAqua}),
            AppearanceName::darkAqua);
  // A plain appearance never matches a high-contrast name, nor light a dark one.
  EXPECT_FALSE(
      Appearance(AppearanceName::darkAqua)
          .bestMatch({AppearanceName::accessibilityHighContrastDarkAqua, AppearanceName::aqua}));
  // Names the host does not know match nothing, however close.
  EXPECT_FALSE(Appearance(std::string("DarkAqua")).bestMatch(all));
}

TEST(WidgetFamilyTest, ColoursClampAndResolvePerAppearance) {
  EXPECT_EQ((RGBA{1.2, std::nan(""), 0.5, 2}).clamped(), (RGBA{1, 0, 0.5, 1}));
  EXPECT_EQ((RGBA{0.0019, 0.999, 0.998, 1}).hexString(), "#00FFFE");

  int calls = 0;
  const Color dynamic = Color::dynamic([&calls](const Appearance& appearance) {
    ++calls;
    return appearance.name() == "darkAqua" ? RGBA{0, 0, 0, 1} : RGBA{1, 1, 1, 3};
  });
  EXPECT_EQ(dynamic.resolved(Appearance(AppearanceName::darkAqua)), (RGBA{0, 0, 0, 1}));
  EXPECT_EQ(dynamic.resolved(Appearance(AppearanceName::aqua)), (RGBA{1, 1, 1, 1}));
  EXPECT_EQ(calls, 2);  // asked anew for every draw
}

}  // namespace
}  // namespace kelvo::widgetkit
