#include "platform/widgetkit/View.hpp"

#include <utility>

namespace kelvo::widgetkit {

TextAttributes TextAttributes::overriddenBy(const TextAttributes& inner) const {
  TextAttributes merged = *this;
  if (inner.font) merged.font = inner.font;
  if (inner.foreground) merged.foreground = inner.foreground;
  if (inner.lineLimit) merged.lineLimit = inner.lineLimit;
  if (inner.minimumScaleFactor) merged.minimumScaleFactor = inner.minimumScaleFactor;
  if (inner.allowsTightening) merged.allowsTightening = inner.allowsTightening;
  return merged;
}

View::View(Content content, std::vector<View> children)
    : node_(std::make_shared<const Node>(Node{std::move(content), std::move(children)})) {}

View View::wrapped(Content content) const { return View(std::move(content), {*this}); }

View View::verticalStack(HorizontalAlignment alignment, double spacing,
                         std::vector<View> children) {
  return View(Stack{Axis::vertical, {alignment, VerticalAlignment::center}, spacing},
              std::move(children));
}

View View::horizontalStack(VerticalAlignment alignment, double spacing,
                           std::vector<View> children) {
  return View(Stack{Axis::horizontal, {HorizontalAlignment::center, alignment}, spacing},
              std::move(children));
}

View View::text(std::string content) { return View(Text{std::move(content)}, {}); }
View View::image(Image image) { return View(std::move(image), {}); }
View View::spacer(double minLength) { return View(Spacer{minLength}, {}); }
View View::link(std::string destination, View label) {
  return View(Link{std::move(destination)}, {std::move(label)});
}

View View::padding(EdgeInsets insets) const { return wrapped(Padding{insets}); }
View View::frame(std::optional<double> width, std::optional<double> height,
                 Alignment alignment) const {
  FrameLimits limits;
  limits.alignment = alignment;
  return wrapped(Frame{width, height, limits});
}
View View::frame(const FrameLimits& limits) const { return wrapped(Frame{{}, {}, limits}); }
View View::background(Color color, bool ignoresSafeArea) const {
  return wrapped(Background{std::move(color), ignoresSafeArea});
}
View View::clipShape(RoundedRectangle shape) const { return wrapped(Clip{shape}); }
View View::strokeBorder(RoundedRectangle shape, Color color, StrokeStyle stroke) const {
  return wrapped(Border{shape, std::move(color), stroke});
}
View View::containerBackground(Color color) const {
  return wrapped(ContainerBackground{std::move(color)});
}
View View::font(Font font) const {
  TextAttributes attributes;
  attributes.font = font;
  return wrapped(Attributes{std::move(attributes)});
}
View View::foregroundColor(Color color) const {
  TextAttributes attributes;
  attributes.foreground = std::move(color);
  return wrapped(Attributes{std::move(attributes)});
}
View View::lineLimit(int lines) const {
  TextAttributes attributes;
  attributes.lineLimit = lines;
  return wrapped(Attributes{std::move(attributes)});
}
View View::minimumScaleFactor(double factor) const {
  TextAttributes attributes;
  attributes.minimumScaleFactor = factor;
  return wrapped(Attributes{std::move(attributes)});
}
View View::allowsTightening(bool allows) const {
  TextAttributes attributes;
  attributes.allowsTightening = allows;
  return wrapped(Attributes{std::move(attributes)});
}
View View::accessibilityLabel(std::string label) const {
  return wrapped(Accessibility{std::move(label)});
}
View View::id(std::string identity) const { return wrapped(Identity{std::move(identity)}); }

}  // namespace kelvo::widgetkit
