#pragma once

// The layout pass of the widget's view tree: sizes and places every view of a tree in a canvas,
// the way the system's widget views are laid out, and measures text with a TextMeasurer.
//
//   const View stack =
//       View::verticalStack(HorizontalAlignment::leading, 8, {View::text("Keep"), View::spacer()});
//   Layout layout;  // DejaVu Sans metrics
//   const LayoutNode placed = layout.layout(stack.padding(16), Size{170, 170});
//   const Rect keep = placed.children[0].children[0].frame;  // the text's place in the canvas

#include <map>
#include <optional>
#include <tuple>
#include <vector>

#include "platform/widgetkit/Geometry.hpp"
#include "platform/widgetkit/TextLayout.hpp"
#include "platform/widgetkit/View.hpp"

namespace kelvo::widgetkit {

class TextMeasurer;

/// The space a parent offers a child; an absent dimension asks for the child's ideal size.
struct ProposedSize {
  std::optional<double> width;
  std::optional<double> height;
};

/// A view placed in the canvas, with its children placed, and for a text or an image what to
/// draw it with.
struct LayoutNode {
  View view;
  Rect frame;
  std::vector<LayoutNode> children;
  /// The attributes in force at this view, every one of them set.
  TextAttributes attributes;
  /// For a text: its lines at the size it is drawn.
  std::optional<TextLayout> text;
};

/// The layout pass. A parent proposes a size, the child picks its own, the parent places it:
/// stacks offer their space to the least flexible children first and share what is left,
/// frames clamp what they offer and take, padding and modifiers pass the proposal on.
class Layout {
 public:
  /// Images without a size of their own are this many points square.
  static constexpr double imageNaturalSize = 24;

  explicit Layout(const TextMeasurer& measurer);
  Layout();

  /// Lays `root` out in a canvas of `canvas` points: proposes the whole canvas and centres
  /// what the root takes.
  LayoutNode layout(const View& root, Size canvas);
  /// The size `view` takes for a proposal, under the root's default attributes.
  Size sizeThatFits(const View& view, ProposedSize proposal);

  /// What a text is drawn with when no view says otherwise: the body font, a label colour
  /// (black, white in dark appearances), no line limit, no shrinking, no tightening.
  static TextAttributes defaultAttributes();

 private:
  struct StackChild {
    ProposedSize proposal;
    Size size;
  };
  Size measure(const View& view, ProposedSize proposal, const TextAttributes& attributes,
               std::optional<Axis> stackAxis);
  LayoutNode place(const View& view, Point origin, ProposedSize proposal,
                   const TextAttributes& attributes, std::optional<Axis> stackAxis);
  std::vector<StackChild> stackChildren(const View& view, const View::Stack& stack,
                                        ProposedSize proposal, const TextAttributes& attributes);
  const TextLayout& textLayout(const View::Text& text, const TextAttributes& attributes,
                               ProposedSize proposal);

  // One text is measured many times in a pass (stacks ask for their children's least and
  // most sizes); the key is the text node and everything its layout depends on.
  using TextKey = std::tuple<const void*, double, int, int, double, bool, double, double>;

  const TextMeasurer& measurer_;
  std::map<TextKey, TextLayout> textCache_;
};

}  // namespace kelvo::widgetkit
