#include "platform/widgetkit/SVGRenderer.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <map>
#include <optional>

#include "platform/foundation/Overloaded.hpp"
#include "platform/widgetkit/AssetCatalog.hpp"
#include "platform/widgetkit/IconArtwork.hpp"
#include "platform/widgetkit/SVGWriter.hpp"

namespace kelvo::widgetkit {
namespace {

// How far a continuous corner reaches along each edge, in radii, and the control points of its
// three curves, as (along the incoming edge, along the outgoing edge) from the corner.
constexpr double continuousReach = 1.52866483;
constexpr std::array<std::array<double, 2>, 9> continuousCurves{{
    {1.08849323, 0},
    {0.86840689, 0},
    {0.63149399, 0.07491100},
    {0.37282401, 0.16906013},
    {0.16906013, 0.37282401},
    {0.07491100, 0.63149399},
    {0, 0.86840689},
    {0, 1.08849323},
    {0, continuousReach},
}};

std::string point(double x, double y) { return SVGWriter::number(x) + "," + SVGWriter::number(y); }

std::string viewBox(Rect box) {
  return SVGWriter::number(box.minX()) + " " + SVGWriter::number(box.minY()) + " " +
         SVGWriter::number(box.width()) + " " + SVGWriter::number(box.height());
}

void setPaint(SVGWriter& writer, std::string_view name, const RGBA& colour) {
  writer.attribute(name, colour.hexString());
  if (colour.alpha < 1) writer.attribute(std::string(name) + "-opacity", colour.alpha);
}

bool isUnsafeLink(std::string_view destination) {
  std::string scheme;
  for (const char c : destination) {
    if (c == ':') break;
    if (std::isspace(static_cast<unsigned char>(c)) ||
        std::iscntrl(static_cast<unsigned char>(c))) {
      continue;  // viewers skip these inside a scheme
    }
    scheme.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  return scheme == "javascript" || scheme == "vbscript" || scheme == "data";
}

class Renderer {
 public:
  Renderer(const RenderOptions& options) : options_(options) {}

  Rendering render(const LayoutNode& root, Size canvas) {
    const double scale = std::isfinite(options_.displayScale) && options_.displayScale > 0
                             ? options_.displayScale
                             : 1;
    writer_.open("svg");
    writer_.attribute("xmlns", "http://www.w3.org/2000/svg");
    writer_.attribute("width", canvas.width * scale);
    writer_.attribute("height", canvas.height * scale);
    writer_.attribute("viewBox", viewBox({{0, 0}, canvas}));
    writer_.attribute("data-appearance", options_.appearance.name());
    if (!options_.title.empty()) {
      writer_.open("title");
      writer_.text(options_.title);
      writer_.close("title");
    }
    const Rect whole{{0, 0}, canvas};
    const std::string outline = clipPath(whole, options_.shape);
    writer_.open("g");
    writer_.attribute("clip-path", "url(#" + outline + ")");
    if (const auto colour = containerBackground(root)) {
      writer_.open("rect");
      writeRect(whole);
      setPaint(writer_, "fill", colour->resolved(options_.appearance));
      writer_.close("rect");
    }
    draw(root);
    writer_.close("g");
    writer_.close("svg");
    return {writer_.take(), missing_};
  }

 private:
  std::optional<Color> containerBackground(const LayoutNode& node) const {
    if (const auto* background = node.view.as<View::ContainerBackground>()) {
      return background->color;
    }
    for (const LayoutNode& child : node.children) {
      if (auto colour = containerBackground(child)) return colour;
    }
    return std::nullopt;
  }

  void writeRect(Rect rect) {
    writer_.attribute("x", rect.minX());
    writer_.attribute("y", rect.minY());
    writer_.attribute("width", rect.width());
    writer_.attribute("height", rect.height());
  }

  // Defines a clip path and gives its identifier.
  std::string clipPath(Rect rect, RoundedRectangle shape) {
    const std::string id = "clip" + std::to_string(++clipCount_);
    writer_.open("clipPath");
    writer_.attribute("id", id);
    writer_.open("path");
    writer_.attribute("d", roundedRectanglePath(rect, shape));
    writer_.close("path");
    writer_.close("clipPath");
    return id;
  }

  void drawChildren(const LayoutNode& node) {
    for (const LayoutNode& child : node.children) draw(child);
  }

  void draw(const LayoutNode& node) {
    std::visit(Overloaded{
                   [&](const View::Link& link) { drawLink(node, link, std::nullopt); },
                   [&](const View::Accessibility& accessibility) {
                     const LayoutNode* child =
                         node.children.empty() ? nullptr : &node.children.front();
                     if (child && child->view.as<View::Link>() && accessibility.label) {
                       drawLink(*child, *child->view.as<View::Link>(), accessibility.label);
                       return;
                     }
                     writer_.open("g");
                     if (accessibility.label) writer_.attribute("aria-label", *accessibility.label);
                     drawChildren(node);
                     writer_.close("g");
                   },
                   [&](const View::Identity& identity) {
                     writer_.open("g");
                     writer_.attribute("data-id", identity.id);
                     drawChildren(node);
                     writer_.close("g");
                   },
                   [&](const View::Background& background) {
                     writer_.open("rect");
                     writeRect(node.frame);
                     setPaint(writer_, "fill", background.color.resolved(options_.appearance));
                     writer_.close("rect");
                     drawChildren(node);
                   },
                   [&](const View::Clip& clip) {
                     const std::string id = clipPath(node.frame, clip.shape);
                     writer_.open("g");
                     writer_.attribute("clip-path", "url(#" + id + ")");
                     drawChildren(node);
                     writer_.close("g");
                   },
                   [&](const View::Border& border) {
                     drawChildren(node);
                     drawBorder(node.frame, border);
                   },
                   [&](const View::Text&) { drawText(node); },
                   [&](const View::Image& image) { drawImage(node, image); },
                   [&](const auto&) { drawChildren(node); },
               },
               node.view.content());
  }

  void drawLink(const LayoutNode& node, const View::Link& link,
                const std::optional<std::string>& label) {
    const bool linked = !isUnsafeLink(link.destination);
    writer_.open(linked ? "a" : "g");
    if (linked) writer_.attribute("href", link.destination);
    if (label) {
      writer_.attribute("aria-label", *label);
      writer_.open("title");
      writer_.text(*label);
      writer_.close("title");
    }
    drawChildren(node);
    writer_.close(linked ? "a" : "g");
  }

  void drawBorder(Rect frame, const View::Border& border) {
    const StrokeStyle& stroke = border.stroke;
    const double width = std::isfinite(stroke.lineWidth) ? std::max(0.0, stroke.lineWidth) : 0;
    if (width == 0) return;
    // The stroke is centred on the path, so the path is inset by half a line.
    RoundedRectangle shape = border.shape;
    shape.cornerRadius = std::max(0.0, shape.cornerRadius - width / 2);
    writer_.open("path");
    writer_.attribute("d", roundedRectanglePath(frame.insetBy(width / 2), shape));
    writer_.attribute("fill", "none");
    setPaint(writer_, "stroke", border.color.resolved(options_.appearance));
    writer_.attribute("stroke-width", width);
    static constexpr std::array<std::string_view, 3> caps{"butt", "round", "square"};
    static constexpr std::array<std::string_view, 3> joins{"miter", "round", "bevel"};
    writer_.attribute("stroke-linecap", caps[static_cast<std::size_t>(stroke.cap) % 3]);
    writer_.attribute("stroke-linejoin", joins[static_cast<std::size_t>(stroke.join) % 3]);
    writer_.attribute("stroke-miterlimit", std::max(1.0, stroke.miterLimit));
    writer_.close("path");
  }

  void drawText(const LayoutNode& node) {
    if (!node.text || node.text->lines.empty()) return;
    const TextLayout& text = *node.text;
    const Font font = node.attributes.font.value_or(Font{});
    const RGBA colour = node.attributes.foreground.value_or(Color()).resolved(options_.appearance);
    for (std::size_t i = 0; i < text.lines.size(); ++i) {
      writer_.open("text");
      writer_.attribute("x", node.frame.minX());
      writer_.attribute("y",
                        node.frame.minY() + static_cast<double>(i) * text.lineHeight + text.ascent);
      writer_.attribute("font-family", Font::familyName);
      writer_.attribute("font-size", text.pointSize);
      writer_.attribute("font-weight", static_cast<double>(cssWeight(font.weight)));
      if (text.letterSpacing != 0) writer_.attribute("letter-spacing", text.letterSpacing);
      writer_.attribute("xml:space", "preserve");
      setPaint(writer_, "fill", colour);
      writer_.text(text.lines[i]);
      writer_.close("text");
    }
  }

  void drawImage(const LayoutNode& node, const View::Image& image) {
    const RGBA tint = node.attributes.foreground.value_or(Color()).resolved(options_.appearance);
    const IconArtwork* artwork = load(image.name);
    writer_.open(artwork ? "svg" : "g");
    if (image.decorative) writer_.attribute("aria-hidden", "true");
    if (!artwork) {
      // A plain dashed box where the artwork should be.
      const Rect box = node.frame.insetBy(std::min(node.frame.width(), node.frame.height()) / 8);
      writer_.attribute("data-missing-image", image.name);
      writer_.open("rect");
      writeRect(box);
      writer_.attribute("rx", std::min(box.width(), box.height()) / 5);
      writer_.attribute("fill", "none");
      setPaint(writer_, "stroke", tint);
      writer_.attribute("stroke-width", 1.0);
      writer_.attribute("stroke-dasharray", "2 2");
      writer_.close("rect");
      writer_.close("g");
      return;
    }
    writeRect(node.frame);
    writer_.attribute("viewBox", viewBox(artwork->viewBox()));
    writer_.attribute("preserveAspectRatio", "xMidYMid meet");
    writer_.raw(artwork->markup(image.rendering, tint));
    writer_.close("svg");
  }

  const IconArtwork* load(const std::string& name) {
    auto found = artwork_.find(name);
    if (found == artwork_.end()) {
      std::optional<IconArtwork> artwork;
      if (options_.assets) {
        if (const auto file = options_.assets->file(name)) artwork = IconArtwork::read(*file);
      }
      if (!artwork) missing_.push_back(name);
      found = artwork_.emplace(name, std::move(artwork)).first;
    }
    return found->second ? &*found->second : nullptr;
  }

  const RenderOptions& options_;
  SVGWriter writer_;
  int clipCount_ = 0;
  std::map<std::string, std::optional<IconArtwork>> artwork_;
  std::vector<std::string> missing_;
};

}  // namespace

std::string roundedRectanglePath(Rect rect, RoundedRectangle shape) {
  const double x = rect.minX();
  const double y = rect.minY();
  const double w = std::max(0.0, rect.width());
  const double h = std::max(0.0, rect.height());
  const bool continuous = shape.style == RoundedCornerStyle::continuous;
  const double reach = continuous ? continuousReach : 1.0;
  double r = std::isfinite(shape.cornerRadius) ? std::max(0.0, shape.cornerRadius) : 0;
  r = std::min(r, std::min(w, h) / 2 / reach);
  if (r <= 0) {
    return "M" + point(x, y) + "H" + SVGWriter::number(x + w) + "V" + SVGWriter::number(y + h) +
           "H" + SVGWriter::number(x) + "Z";
  }
  // Each corner: its point, the direction back along the edge that arrives, the direction along
  // the edge that leaves; going clockwise from the top left.
  struct Corner {
    double px, py, ux, uy, vx, vy;
  };
  const std::array<Corner, 4> corners{{
      {x + w, y, -1, 0, 0, 1},
      {x + w, y + h, 0, -1, -1, 0},
      {x, y + h, 1, 0, 0, -1},
      {x, y, 0, 1, 1, 0},
  }};
  const auto at = [&](const Corner& c, double u, double v) {
    return point(c.px + (u * c.ux + v * c.vx) * r, c.py + (u * c.uy + v * c.vy) * r);
  };
  std::string path = "M" + at(corners[3], 0, reach);
  for (const Corner& corner : corners) {
    path += "L" + at(corner, reach, 0);
    if (continuous) {
      for (std::size_t i = 0; i < continuousCurves.size(); i += 3) {
        path += "C" + at(corner, continuousCurves[i][0], continuousCurves[i][1]) + " " +
                at(corner, continuousCurves[i + 1][0], continuousCurves[i + 1][1]) + " " +
                at(corner, continuousCurves[i + 2][0], continuousCurves[i + 2][1]);
      }
    } else {
      path += "A" + point(r, r) + " 0 0 1 " + at(corner, 0, 1);
    }
  }
  return path + "Z";
}

Rendering renderSVG(const LayoutNode& root, Size canvas, const RenderOptions& options) {
  return Renderer(options).render(root, canvas);
}

}  // namespace kelvo::widgetkit
