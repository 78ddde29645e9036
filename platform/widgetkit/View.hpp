#pragma once

// The views a widget is made of: texts, images and spacers in stacks and links, dressed by
// modifiers (padding, frames, fonts, colours, clips, borders); a font or colour set on a view
// holds for the texts inside it. A widget gives one tree per entry; Layout.hpp places it and
// SVGRenderer.hpp draws it:
//
//   const View label = View::verticalStack(HorizontalAlignment::leading, 4,
//                                          {View::text("Keep"), View::text("the clipboard")});
//   const View tile = View::link("kelvo://keep", label.padding(8))
//                         .accessibilityLabel("Keep the clipboard")
//                         .font(Font::system(TextStyle::footnote, FontWeight::semibold))
//                         .background(Color::sRGB(1, 0.6, 0.2));

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/widgetkit/Color.hpp"
#include "platform/widgetkit/Font.hpp"
#include "platform/widgetkit/Geometry.hpp"

namespace kelvo::widgetkit {

enum class RoundedCornerStyle {
  circular,
  /// Corners that ease into the straight edges (curvature without a jump).
  continuous,
};

struct RoundedRectangle {
  double cornerRadius = 0;
  RoundedCornerStyle style = RoundedCornerStyle::circular;
};

enum class LineCap { butt, round, square };
enum class LineJoin { miter, round, bevel };

struct StrokeStyle {
  double lineWidth = 1;
  LineCap cap = LineCap::butt;
  LineJoin join = LineJoin::miter;
  double miterLimit = 10;
};

/// How an image is drawn: in its own colours, or as a template whose shape is filled with the
/// foreground colour in force.
enum class ImageRendering { original, templateImage };

/// Text attributes that flow down the tree until a nearer view sets its own.
struct TextAttributes {
  std::optional<Font> font;
  std::optional<Color> foreground;
  std::optional<int> lineLimit;
  std::optional<double> minimumScaleFactor;
  std::optional<bool> allowsTightening;

  /// These attributes with the ones `inner` sets laid over them.
  TextAttributes overriddenBy(const TextAttributes& inner) const;
};

/// The limits of a flexible frame; an absent limit leaves the child's own size.
struct FrameLimits {
  std::optional<double> minWidth = std::nullopt;
  std::optional<double> maxWidth = std::nullopt;
  std::optional<double> minHeight = std::nullopt;
  std::optional<double> maxHeight = std::nullopt;
  Alignment alignment = {};
};

/// An immutable node of a view tree. Views are cheap to copy (they share their nodes) and are
/// built fresh for each draw; modifiers wrap a view in a new node.
class View {
 public:
  struct Stack {
    Axis axis = Axis::vertical;
    /// Cross-axis alignment: `horizontal` for a vertical stack, `vertical` for a horizontal one.
    Alignment alignment;
    double spacing = 0;
  };
  struct Text {
    std::string content;
  };
  struct Image {
    std::string name;
    /// A decorative image adds nothing to what assistive technologies read out.
    bool decorative = false;
    /// A resizable image fills the space it is offered, keeping its square proportions.
    bool resizable = false;
    ImageRendering rendering = ImageRendering::original;
  };
  struct Spacer {
    double minLength = 0;
  };
  /// Opens `destination` when tapped; its one child is the label.
  struct Link {
    std::string destination;
  };
  struct Padding {
    EdgeInsets insets;
  };
  struct Frame {
    std::optional<double> width;
    std::optional<double> height;
    FrameLimits limits;
  };
  struct Background {
    Color color;
    bool ignoresSafeArea = false;
  };
  struct Clip {
    RoundedRectangle shape;
  };
  /// A border drawn over the child, inset by half its line width so it lies inside the shape.
  struct Border {
    RoundedRectangle shape;
    Color color;
    StrokeStyle stroke;
  };
  /// The background the host paints behind the whole widget.
  struct ContainerBackground {
    Color color;
  };
  struct Attributes {
    TextAttributes attributes;
  };
  struct Accessibility {
    std::optional<std::string> label;
  };
  struct Identity {
    std::string id;
  };

  using Content = std::variant<Stack, Text, Image, Spacer, Link, Padding, Frame, Background, Clip,
                               Border, ContainerBackground, Attributes, Accessibility, Identity>;

  static View verticalStack(HorizontalAlignment alignment, double spacing,
                            std::vector<View> children);
  static View horizontalStack(VerticalAlignment alignment, double spacing,
                              std::vector<View> children);
  static View text(std::string content);
  static View image(Image image);
  static View spacer(double minLength = 0);
  static View link(std::string destination, View label);

  View padding(double length) const { return padding(EdgeInsets::all(length)); }
  View padding(EdgeInsets insets) const;
  /// A frame of fixed size; an absent dimension keeps the child's.
  View frame(std::optional<double> width, std::optional<double> height,
             Alignment alignment = {}) const;
  View frame(const FrameLimits& limits) const;
  View background(Color color, bool ignoresSafeArea = false) const;
  View clipShape(RoundedRectangle shape) const;
  View strokeBorder(RoundedRectangle shape, Color color, StrokeStyle stroke) const;
  View containerBackground(Color color) const;
  View font(Font font) const;
  View foregroundColor(Color color) const;
  View lineLimit(int lines) const;
  View minimumScaleFactor(double factor) const;
  View allowsTightening(bool allows) const;
  View accessibilityLabel(std::string label) const;
  View id(std::string identity) const;

  const Content& content() const { return node_->content; }
  const std::vector<View>& children() const { return node_->children; }
  /// The node's content if it is of kind T, else null.
  template <class T>
  const T* as() const {
    return std::get_if<T>(&node_->content);
  }
  /// Identity of nodes, for caches keyed by node during one layout.
  const void* identity() const { return node_.get(); }

 private:
  struct Node {
    Content content;
    std::vector<View> children;
  };
  View(Content content, std::vector<View> children);
  View wrapped(Content content) const;

  std::shared_ptr<const Node> node_;
};

}  // namespace kelvo::widgetkit
