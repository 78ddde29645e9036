#include "platform/widgetkit/Layout.hpp"

#include <gtest/gtest.h>

#include <cmath>

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

  // A frame aligns a smaller child: top-leading here.
  const LayoutNode aligned = layout.layout(
      fixedBox(10, 10).frame({0, infinity, 0, infinity, Alignment::topLeading()}), {100, 60});
  EXPECT_EQ(aligned.children.front().frame.origin, (Point{0, 0}));
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
  EXPECT_EQ(inner->attributes.lineLimit, 1);
  EXPECT_EQ(outer.attributes.font->pointSize, 10);
  EXPECT_EQ(outer.attributes.minimumScaleFactor, 0.5);
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

}  // namespace
}  // namespace kelvo::widgetkit
