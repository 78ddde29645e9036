#include "platform/widgetkit/Layout.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "platform/foundation/Overloaded.hpp"
#include "platform/widgetkit/TextMeasurer.hpp"

namespace kelvo::widgetkit {
namespace {

// Proposals and limits that are not numbers, or negative, are treated as absent or as zero, so
// that no bad value reaches a frame.
std::optional<double> sane(std::optional<double> length) {
  if (!length || std::isnan(*length)) return std::nullopt;
  return std::max(0.0, *length);
}

// A spacing or minimum length that is no number, or negative, is none.
double nonNegative(double length) { return std::isnan(length) ? 0.0 : std::max(0.0, length); }

ProposedSize sane(ProposedSize proposal) { return {sane(proposal.width), sane(proposal.height)}; }

double along(Size size, Axis axis) { return axis == Axis::vertical ? size.height : size.width; }
double across(Size size, Axis axis) { return axis == Axis::vertical ? size.width : size.height; }
std::optional<double> along(ProposedSize size, Axis axis) {
  return axis == Axis::vertical ? size.height : size.width;
}
std::optional<double> across(ProposedSize size, Axis axis) {
  return axis == Axis::vertical ? size.width : size.height;
}
ProposedSize proposalFor(Axis axis, std::optional<double> alongLength,
                         std::optional<double> acrossLength) {
  return axis == Axis::vertical ? ProposedSize{acrossLength, alongLength}
                                : ProposedSize{alongLength, acrossLength};
}

std::optional<double> shrunk(std::optional<double> length, double by) {
  if (!length) return std::nullopt;
  return std::max(0.0, *length - by);
}

// What a flexible frame offers its child along one dimension: the proposal held within the
// limits.
std::optional<double> clampProposal(std::optional<double> proposal, std::optional<double> low,
                                    std::optional<double> high) {
  if (!proposal) return std::nullopt;
  double value = *proposal;
  if (high) value = std::min(value, *high);
  if (low) value = std::max(value, *low);
  return value;
}

// The size a flexible frame takes along one dimension, given its child's.
double frameLength(std::optional<double> proposal, std::optional<double> low,
                   std::optional<double> high, double child) {
  if (!low && !high) return child;
  if (!proposal) {
    double value = child;
    if (high) value = std::min(value, *high);
    if (low) value = std::max(value, *low);
    return value;
  }
  const double lower = low.value_or(std::min(child, high.value_or(child)));
  const double upper = high.value_or(std::max(child, lower));
  return std::max(lower, std::min(upper, *proposal));
}

ProposedSize frameChildProposal(const View::Frame& frame, ProposedSize proposal) {
  const FrameLimits& l = frame.limits;
  const auto width = sane(frame.width);
  const auto height = sane(frame.height);
  return {width ? width : clampProposal(proposal.width, sane(l.minWidth), sane(l.maxWidth)),
          height ? height : clampProposal(proposal.height, sane(l.minHeight), sane(l.maxHeight))};
}

Size frameSize(const View::Frame& frame, ProposedSize proposal, Size child) {
  const FrameLimits& l = frame.limits;
  const auto width = sane(frame.width);
  const auto height = sane(frame.height);
  return {
      width ? *width : frameLength(proposal.width, sane(l.minWidth), sane(l.maxWidth), child.width),
      height ? *height
             : frameLength(proposal.height, sane(l.minHeight), sane(l.maxHeight), child.height)};
}

// Padding may be negative, to draw into the surroundings; a length that is no number is none.
EdgeInsets saneInsets(const EdgeInsets& insets) {
  const auto length = [](double value) { return std::isfinite(value) ? value : 0.0; };
  return {length(insets.top), length(insets.leading), length(insets.bottom),
          length(insets.trailing)};
}

double subtractLength(double remaining, double used) {
  // An unbounded remainder stays unbounded (infinity minus infinity is no number).
  return std::isinf(remaining) ? remaining : std::max(0.0, remaining - used);
}

}  // namespace

Layout::Layout(const TextMeasurer& measurer) : measurer_(measurer) {}
Layout::Layout() : Layout(TextMeasurer::shared()) {}

TextAttributes Layout::defaultAttributes() {
  TextAttributes attributes;
  attributes.font = Font::system(TextStyle::body);
  attributes.foreground = Color::dynamic([](const Appearance& appearance) {
    const bool dark = appearance.bestMatch({AppearanceName::darkAqua, AppearanceName::aqua}) ==
                      AppearanceName::darkAqua;
    return dark ? RGBA{1, 1, 1, 1} : RGBA{0, 0, 0, 1};
  });
  attributes.lineLimit = 0;  // zero: no limit
  attributes.minimumScaleFactor = 1;
  attributes.allowsTightening = false;
  return attributes;
}

LayoutNode Layout::layout(const View& root, Size canvas) {
  const ProposedSize proposal{canvas.width, canvas.height};
  const TextAttributes attributes = defaultAttributes();
  const Size size = measure(root, proposal, attributes, std::nullopt);
  const Point origin{(canvas.width - size.width) / 2, (canvas.height - size.height) / 2};
  return place(root, origin, proposal, attributes, std::nullopt);
}

Size Layout::sizeThatFits(const View& view, ProposedSize proposal) {
  return measure(view, proposal, defaultAttributes(), std::nullopt);
}

const TextLayout& Layout::textLayout(const View::Text& text, const TextAttributes& attributes,
                                     ProposedSize proposal) {
  TextOptions options;
  options.font = attributes.font.value_or(Font{});
  const int limit = attributes.lineLimit.value_or(0);
  if (limit > 0) options.lineLimit = limit;
  options.minimumScaleFactor = attributes.minimumScaleFactor.value_or(1);
  options.allowsTightening = attributes.allowsTightening.value_or(false);
  const TextKey key{&text,
                    options.font.pointSize,
                    cssWeight(options.font.weight),
                    limit,
                    options.minimumScaleFactor,
                    options.allowsTightening,
                    proposal.width.value_or(-1),
                    proposal.height.value_or(-1)};
  auto found = textCache_.find(key);
  if (found == textCache_.end()) {
    found = textCache_
                .emplace(key, layoutText(text.content, options, proposal.width, proposal.height,
                                         measurer_))
                .first;
  }
  return found->second;
}

std::vector<Layout::StackChild> Layout::stackChildren(const View& view, const View::Stack& stack,
                                                      ProposedSize proposal,
                                                      const TextAttributes& attributes) {
  const auto& children = view.children();
  std::vector<StackChild> sizes(children.size());
  if (children.empty()) return sizes;
  const Axis axis = stack.axis;
  const double spacing = nonNegative(stack.spacing);
  const std::optional<double> crossLength = across(proposal, axis);
  const std::optional<double> mainLength = along(proposal, axis);
  if (!mainLength) {
    for (std::size_t i = 0; i < children.size(); ++i) {
      sizes[i].proposal = proposalFor(axis, std::nullopt, crossLength);
      sizes[i].size = measure(children[i], sizes[i].proposal, attributes, axis);
    }
    return sizes;
  }
  // The least flexible children choose first; each is offered an equal share of what is left.
  std::vector<double> flexibility(children.size());
  for (std::size_t i = 0; i < children.size(); ++i) {
    const double least =
        along(measure(children[i], proposalFor(axis, 0.0, crossLength), attributes, axis), axis);
    const double most = along(
        measure(children[i], proposalFor(axis, infinity, crossLength), attributes, axis), axis);
    flexibility[i] = most - least;
  }
  std::vector<std::size_t> order(children.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return flexibility[a] < flexibility[b]; });
  double remaining =
      subtractLength(*mainLength, spacing * static_cast<double>(children.size() - 1));
  std::size_t left = children.size();
  for (const std::size_t i : order) {
    const double share = std::isinf(remaining) ? remaining : remaining / static_cast<double>(left);
    sizes[i].proposal = proposalFor(axis, share, crossLength);
    sizes[i].size = measure(children[i], sizes[i].proposal, attributes, axis);
    remaining = subtractLength(remaining, along(sizes[i].size, axis));
    --left;
  }
  return sizes;
}

Size Layout::measure(const View& view, ProposedSize proposal, const TextAttributes& attributes,
                     std::optional<Axis> stackAxis) {
  proposal = sane(proposal);
  const auto passOn = [&](const TextAttributes& inner) {
    return view.children().empty() ? Size{}
                                   : measure(view.children().front(), proposal, inner, stackAxis);
  };
  return std::visit(
      Overloaded{
          [&](const View::Stack& stack) {
            const std::vector<StackChild> sizes = stackChildren(view, stack, proposal, attributes);
            double mainTotal = 0;
            double crossMost = 0;
            for (const StackChild& child : sizes) {
              mainTotal += along(child.size, stack.axis);
              crossMost = std::max(crossMost, across(child.size, stack.axis));
            }
            if (sizes.size() > 1) {
              mainTotal += nonNegative(stack.spacing) * static_cast<double>(sizes.size() - 1);
            }
            return stack.axis == Axis::vertical ? Size{crossMost, mainTotal}
                                                : Size{mainTotal, crossMost};
          },
          [&](const View::Text& text) { return textLayout(text, attributes, proposal).size; },
          [&](const View::Image& image) {
            if (!image.resizable) return Size{imageNaturalSize, imageNaturalSize};
            double side =
                std::min(proposal.width.value_or(infinity), proposal.height.value_or(infinity));
            if (std::isinf(side)) side = imageNaturalSize;
            return Size{side, side};
          },
          [&](const View::Spacer& spacer) {
            const double least = nonNegative(spacer.minLength);
            if (!stackAxis) {
              return Size{proposal.width.value_or(least), proposal.height.value_or(least)};
            }
            // A spacer grows along its stack only.
            const double length = std::max(least, along(proposal, *stackAxis).value_or(least));
            return *stackAxis == Axis::vertical ? Size{0, length} : Size{length, 0};
          },
          [&](const View::Padding& padding) {
            const EdgeInsets in = saneInsets(padding.insets);
            const Size child = view.children().empty()
                                   ? Size{}
                                   : measure(view.children().front(),
                                             {shrunk(proposal.width, in.horizontal()),
                                              shrunk(proposal.height, in.vertical())},
                                             attributes, std::nullopt);
            return Size{std::max(0.0, child.width + in.horizontal()),
                        std::max(0.0, child.height + in.vertical())};
          },
          [&](const View::Frame& frame) {
            const Size child =
                view.children().empty()
                    ? Size{}
                    : measure(view.children().front(), frameChildProposal(frame, proposal),
                              attributes, std::nullopt);
            return frameSize(frame, proposal, child);
          },
          [&](const View::Attributes& set) {
            return passOn(attributes.overriddenBy(set.attributes));
          },
          [&](const auto&) { return passOn(attributes); },
      },
      view.content());
}

LayoutNode Layout::place(const View& view, Point origin, ProposedSize proposal,
                         const TextAttributes& attributes, std::optional<Axis> stackAxis) {
  proposal = sane(proposal);
  LayoutNode node{
      view, {origin, measure(view, proposal, attributes, stackAxis)}, {}, attributes, std::nullopt};
  const auto& children = view.children();
  std::visit(
      Overloaded{
          [&](const View::Stack& stack) {
            const std::vector<StackChild> sizes = stackChildren(view, stack, proposal, attributes);
            const Axis axis = stack.axis;
            const double spacing = nonNegative(stack.spacing);
            const double crossTotal = across(node.frame.size, axis);
            double offset = 0;
            for (std::size_t i = 0; i < children.size(); ++i) {
              const Size size = sizes[i].size;
              const double crossOffset =
                  axis == Axis::vertical
                      ? alignedOffset(crossTotal, size.width, stack.alignment.horizontal)
                      : alignedOffset(crossTotal, size.height, stack.alignment.vertical);
              const Point at = axis == Axis::vertical
                                   ? Point{origin.x + crossOffset, origin.y + offset}
                                   : Point{origin.x + offset, origin.y + crossOffset};
              // The child is offered again what it was offered when its size was chosen.
              node.children.push_back(place(children[i], at, sizes[i].proposal, attributes, axis));
              offset += along(size, axis) + spacing;
            }
          },
          [&](const View::Text& text) { node.text = textLayout(text, attributes, proposal); },
          [&](const View::Image&) {},
          [&](const View::Spacer&) {},
          [&](const View::Padding& padding) {
            if (children.empty()) return;
            const EdgeInsets in = saneInsets(padding.insets);
            node.children.push_back(place(
                children.front(), {origin.x + in.leading, origin.y + in.top},
                {shrunk(proposal.width, in.horizontal()), shrunk(proposal.height, in.vertical())},
                attributes, std::nullopt));
          },
          [&](const View::Frame& frame) {
            if (children.empty()) return;
            const ProposedSize inner = frameChildProposal(frame, proposal);
            const Size child = measure(children.front(), inner, attributes, std::nullopt);
            const Alignment alignment = frame.limits.alignment;
            const Point at{
                origin.x + alignedOffset(node.frame.width(), child.width, alignment.horizontal),
                origin.y + alignedOffset(node.frame.height(), child.height, alignment.vertical)};
            node.children.push_back(place(children.front(), at, inner, attributes, std::nullopt));
          },
          [&](const View::Attributes& set) {
            if (children.empty()) return;
            node.children.push_back(place(children.front(), origin, proposal,
                                          attributes.overriddenBy(set.attributes), stackAxis));
          },
          [&](const auto&) {
            if (children.empty()) return;
            node.children.push_back(
                place(children.front(), origin, proposal, attributes, stackAxis));
          },
      },
      view.content());
  return node;
}

}  // namespace kelvo::widgetkit
