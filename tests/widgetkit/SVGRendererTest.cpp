#include "platform/widgetkit/SVGRenderer.hpp"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <fstream>

#include "platform/widgetkit/AssetCatalog.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo::widgetkit {
namespace {

const Color labelColour = Color::dynamic([](const Appearance& appearance) {
  return appearance.name() == "darkAqua" ? RGBA{1, 1, 1, 1} : RGBA{0, 0, 0, 1};
});

Rendering draw(const View& view, const RenderOptions& options = {}, Size canvas = {100, 60}) {
  Layout layout;
  return renderSVG(layout.layout(view, canvas), canvas, options);
}

pugi::xml_document parsed(const std::string& svg) {
  pugi::xml_document document;
  EXPECT_TRUE(document.load_string(svg.c_str())) << svg;
  return document;
}

TEST(SVGRendererTest, LinksCarryTheirLabelsAndOnlySafeSchemes) {
  const View tile = View::link("kelvo://search?q=a&b", View::text("Search").padding(4))
                        .accessibilityLabel("Search your \"library\"");
  const Rendering rendering = draw(tile);
  const auto document = parsed(rendering.svg);
  const pugi::xml_node link = document.select_node("//a").node();
  ASSERT_TRUE(link);
  EXPECT_STREQ(link.attribute("href").value(), "kelvo://search?q=a&b");
  EXPECT_STREQ(link.attribute("aria-label").value(), "Search your \"library\"");
  EXPECT_STREQ(link.child("title").text().get(), "Search your \"library\"");
  EXPECT_STREQ(link.select_node(".//text").node().text().get(), "Search");

  for (const char* unsafe : {"javascript:alert(1)", " JavaScript:x", "data:text/html,x",
                             "vbscript:x", "java\tscript:x"}) {
    const Rendering drawn = draw(View::link(unsafe, View::text("x")));
    EXPECT_FALSE(parsed(drawn.svg).select_node("//a")) << unsafe;
  }
}

TEST(SVGRendererTest, ResolvesColoursForTheAppearance) {
  const RoundedRectangle shape{12, RoundedCornerStyle::continuous};
  const View tile = View::text("Keep")
                        .foregroundColor(labelColour)
                        .frame({.maxWidth = infinity, .maxHeight = infinity})
                        .background(Color::sRGB(1, 0.5, 0))
                        .clipShape(shape)
                        .strokeBorder(shape, Color::sRGB(0, 0, 1, 0.5), {0.5})
                        .containerBackground(Color::sRGB(0.2, 0.2, 0.2));
  for (const auto& [name, textFill] : {std::pair{AppearanceName::aqua, "#000000"},
                                       std::pair{AppearanceName::darkAqua, "#FFFFFF"}}) {
    RenderOptions options;
    options.appearance = Appearance(name);
    options.displayScale = 3;
    const auto document = parsed(draw(tile, options).svg);
    const pugi::xml_node svg = document.child("svg");
    EXPECT_STREQ(svg.attribute("width").value(), "300");
    const pugi::xml_node text = document.select_node("//text").node();
    EXPECT_STREQ(text.attribute("fill").value(), textFill);
    EXPECT_STREQ(text.attribute("font-family").value(), "DejaVu Sans");
    // The container background fills the whole canvas, the tile's its own frame.
    const auto rects = document.select_nodes("//rect");
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_STREQ(rects[0].node().attribute("fill").value(), "#333333");
    EXPECT_STREQ(rects[1].node().attribute("fill").value(), "#FF8000");
    // The border lies inside the tile: a half-point line inset by a quarter point.
    const pugi::xml_node border = document.select_node("//path[@stroke]").node();
    EXPECT_STREQ(border.attribute("stroke-opacity").value(), "0.5");
    EXPECT_STREQ(border.attribute("stroke-width").value(), "0.5");
    const std::string path = border.attribute("d").value();
    EXPECT_TRUE(path.substr(0, path.find('L')).ends_with(",0.25")) << path;
  }
}

TEST(SVGRendererTest, DrawsArtworkOrAPlaceholder) {
  const testing::TemporaryDirectory folder;
  std::ofstream(folder.path() / "star.svg")
      << R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 256 256"><path d="M0,0Z"/></svg>)";
  AssetCatalog catalog(folder.path());
  catalog.add("star", "star.svg");
  catalog.add("lost", "lost.svg");
  const auto icon = [](std::string name) {
    return View::image({std::move(name), true, true, ImageRendering::templateImage})
        .frame(20, 20)
        .foregroundColor(Color::sRGB(0, 0.5, 0));
  };
  RenderOptions options;
  options.assets = &catalog;
  const Rendering rendering =
      draw(View::horizontalStack(VerticalAlignment::center, 0,
                                 {icon("star"), icon("lost"), icon("unknown"), icon("lost")}),
           options);
  EXPECT_EQ(rendering.missingImages, (std::vector<std::string>{"lost", "unknown"}));
  const auto document = parsed(rendering.svg);
  const pugi::xml_node artwork = document.select_node("//svg/g/svg").node();
  ASSERT_TRUE(artwork);
  EXPECT_STREQ(artwork.attribute("viewBox").value(), "0 0 256 256");
  EXPECT_STREQ(artwork.attribute("width").value(), "20");
  EXPECT_STREQ(artwork.child("g").attribute("fill").value(), "#008000");
  EXPECT_EQ(document.select_nodes("//*[@data-missing-image='lost']").size(), 2u);

  // Without a catalogue every image is a placeholder.
  EXPECT_EQ(draw(icon("star")).missingImages, std::vector<std::string>{"star"});
}

TEST(SVGRendererTest, RoundedRectanglePaths) {
  EXPECT_EQ(roundedRectanglePath({{0, 0}, {10, 20}}, {}), "M0,0H10V20H0Z");
  EXPECT_EQ(roundedRectanglePath({{0, 0}, {10, 10}}, {2, RoundedCornerStyle::circular}),
            "M2,0L8,0A2,2 0 0 1 10,2L10,8A2,2 0 0 1 8,10L2,10A2,2 0 0 1 0,8L0,2A2,2 0 0 1 2,0Z");
  // A continuous corner reaches about 1.53 radii along each edge, and ends where it began.
  const std::string continuous =
      roundedRectanglePath({{0, 0}, {100, 50}}, {10, RoundedCornerStyle::continuous});
  EXPECT_TRUE(continuous.starts_with("M15.287,0L84.713,0C") && continuous.ends_with("15.287,0Z"))
      << continuous;
  // A radius too large for the rectangle is reduced; nonsense radii draw square corners.
  EXPECT_TRUE(roundedRectanglePath({{0, 0}, {10, 10}}, {50, RoundedCornerStyle::circular})
                  .starts_with("M5,0L5,0A5,5"));
  EXPECT_EQ(roundedRectanglePath({{0, 0}, {10, 10}}, {std::nan(""), RoundedCornerStyle::circular}),
            "M0,0H10V10H0Z");
}

}  // namespace
}  // namespace kelvo::widgetkit
