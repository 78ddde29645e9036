#include "platform/widgetkit/IconArtwork.hpp"

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <iterator>

#include "platform/foundation/FileManager.hpp"
#include "platform/widgetkit/SVGWriter.hpp"

namespace kelvo::widgetkit {
namespace {

constexpr std::array<std::string_view, 8> shapeElements{"g",    "path",     "circle",  "ellipse",
                                                        "line", "polyline", "polygon", "rect"};

constexpr std::array<std::string_view, 31> shapeAttributes{"d",
                                                           "x",
                                                           "y",
                                                           "width",
                                                           "height",
                                                           "rx",
                                                           "ry",
                                                           "cx",
                                                           "cy",
                                                           "r",
                                                           "x1",
                                                           "y1",
                                                           "x2",
                                                           "y2",
                                                           "points",
                                                           "transform",
                                                           "fill",
                                                           "stroke",
                                                           "stroke-width",
                                                           "stroke-linecap",
                                                           "stroke-linejoin",
                                                           "stroke-miterlimit",
                                                           "stroke-dasharray",
                                                           "stroke-dashoffset",
                                                           "opacity",
                                                           "fill-opacity",
                                                           "stroke-opacity",
                                                           "fill-rule",
                                                           "clip-rule",
                                                           "vector-effect",
                                                           "paint-order"};

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& list, std::string_view name) {
  return std::find(list.begin(), list.end(), name) != list.end();
}

// Parses the numbers of a view box ("0 0 256 256", commas allowed).
std::optional<Rect> parseViewBox(std::string_view text) {
  std::array<double, 4> numbers{};
  std::size_t count = 0;
  const char* at = text.data();
  const char* end = text.data() + text.size();
  while (at < end && count < numbers.size()) {
    while (at < end && (*at == ' ' || *at == ',' || *at == '\t' || *at == '\n' || *at == '\r')) {
      ++at;
    }
    if (at == end) break;
    const auto [next, error] = std::from_chars(at, end, numbers[count]);
    if (error != std::errc() || !std::isfinite(numbers[count])) return std::nullopt;
    at = next;
    ++count;
  }
  if (count != numbers.size()) return std::nullopt;
  if (!(numbers[2] > 0) || !(numbers[3] > 0)) return std::nullopt;
  return Rect{{numbers[0], numbers[1]}, {numbers[2], numbers[3]}};
}

std::optional<double> parseLength(std::string_view text) {
  double value = 0;
  const auto [next, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || !std::isfinite(value) || !(value > 0)) return std::nullopt;
  const std::string_view unit(next, static_cast<std::size_t>(text.data() + text.size() - next));
  if (!unit.empty() && unit != "px") return std::nullopt;
  return value;
}

bool isPaint(std::string_view name) { return name == "fill" || name == "stroke"; }

}  // namespace

class IconArtworkReader {
 public:
  static std::optional<IconArtwork> read(std::string_view bytes) {
    pugi::xml_document document;
    // The default parse never fetches a DTD or an external entity.
    const pugi::xml_parse_result result =
        document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default);
    if (!result) return std::nullopt;
    const pugi::xml_node root = document.document_element();
    if (std::string_view(root.name()) != "svg") return std::nullopt;

    IconArtwork artwork;
    if (const auto box = parseViewBox(root.attribute("viewBox").value())) {
      artwork.viewBox_ = *box;
    } else {
      const auto width = parseLength(root.attribute("width").value());
      const auto height = parseLength(root.attribute("height").value());
      if (!width || !height) return std::nullopt;
      artwork.viewBox_ = {{0, 0}, {*width, *height}};
    }
    // The root's paint is kept on a group, so that its children inherit it.
    if (!copy(root, "g", 0, artwork)) return std::nullopt;
    return artwork;
  }

 private:
  // Copies `node` and its shape descendants in document order; false when a limit is passed.
  static bool copy(const pugi::xml_node& node, std::string_view name, int depth,
                   IconArtwork& artwork) {
    if (artwork.elements_.size() >= IconArtwork::maximumElementCount ||
        depth > IconArtwork::maximumDepth) {
      return false;
    }
    IconArtwork::Element element{std::string(name), {}, depth};
    for (const pugi::xml_attribute& attribute : node.attributes()) {
      const std::string_view key = attribute.name();
      const std::string_view value = attribute.value();
      if (!contains(shapeAttributes, key)) continue;
      // A paint that refers elsewhere ("url(#…)") could reach outside the artwork.
      if (isPaint(key) && value.find('(') != std::string_view::npos) continue;
      element.attributes.emplace_back(std::string(key), std::string(value));
    }
    artwork.elements_.push_back(std::move(element));
    for (const pugi::xml_node& child : node.children()) {
      if (child.type() != pugi::node_element) continue;
      const std::string_view childName = child.name();
      if (!contains(shapeElements, childName)) continue;
      if (!copy(child, childName, depth + 1, artwork)) return false;
    }
    return true;
  }
};

std::optional<IconArtwork> IconArtwork::parse(std::string_view bytes) {
  if (bytes.size() > maximumFileSize) return std::nullopt;
  return IconArtworkReader::read(bytes);
}

std::optional<IconArtwork> IconArtwork::read(const std::filesystem::path& file) {
  try {
    return parse(FileManager().contents(file, maximumFileSize));
  } catch (const FileError&) {
    return std::nullopt;
  }
}

std::string IconArtwork::markup(ImageRendering rendering, const RGBA& tint) const {
  const std::string tintHex = tint.hexString();
  SVGWriter writer;
  std::vector<std::string> open;
  for (const Element& element : elements_) {
    while (static_cast<int>(open.size()) > element.depth) {
      writer.close(open.back());
      open.pop_back();
    }
    writer.open(element.name);
    const bool paintsItself =
        std::any_of(element.attributes.begin(), element.attributes.end(),
                    [](const auto& attribute) { return attribute.first == "fill"; });
    // Shapes fill black unless told otherwise; a template's default is its tint.
    if (element.depth == 0 && !paintsItself && rendering == ImageRendering::templateImage) {
      writer.attribute("fill", tintHex);
    }
    for (const auto& [key, value] : element.attributes) {
      if (isPaint(key) && value != "none" &&
          (rendering == ImageRendering::templateImage || value == "currentColor")) {
        writer.attribute(key, tintHex);
      } else {
        writer.attribute(key, value);
      }
    }
    open.push_back(element.name);
  }
  while (!open.empty()) {
    writer.close(open.back());
    open.pop_back();
  }
  return writer.take();
}

}  // namespace kelvo::widgetkit
