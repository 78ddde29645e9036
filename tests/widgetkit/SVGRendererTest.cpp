#include "platform/widgetkit/SVGRenderer.hpp"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cmath>
#include <fstream>

#include "platform/widgetkit/AssetCatalog.hpp"
#include "platform/widgetkit/IconArtwork.hpp"
#include "platform/widgetkit/SVGWriter.hpp"
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
  EXPECT_STREQ(link.child("title").text().get(), "Search your \"library\"");
  EXPECT_STREQ(link.select_node(".//text").node().text().get(), "Search");

  for (const char* unsafe : {"javascript:alert(1)", " JavaScript:x", "data:text/html,x",
                             "vbscript:x", "java\tscript:x"}) {
    EXPECT_FALSE(parsed(draw(View::link(unsafe, View::text("x"))).svg).select_node("//a"))
        << unsafe;
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
    EXPECT_STREQ(document.child("svg").attribute("width").value(), "300");
    const pugi::xml_node text = document.select_node("//text").node();
    EXPECT_STREQ(text.attribute("fill").value(), textFill);
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

TEST(SVGWriterTest, WritesShortNumbersAndEscapedText) {
  EXPECT_EQ(SVGWriter::number(3.14159), "3.142");
  EXPECT_EQ(SVGWriter::number(-0.0001), "0");
  EXPECT_EQ(SVGWriter::number(std::nan("")), "0");
  EXPECT_EQ(SVGWriter::number(INFINITY), "0");

  // Text is escaped whatever it holds.
  EXPECT_EQ(SVGWriter::escaped(R"(<a href="x">&'</a>)"),
            "&lt;a href=&quot;x&quot;&gt;&amp;&apos;&lt;/a&gt;");
  // Characters XML cannot carry are dropped; bytes that are not UTF-8 become U+FFFD.
  EXPECT_EQ(SVGWriter::escaped(std::string("a\0b\x01\x1f"
                                           "c",
                                           6)),
            "abc");
  EXPECT_EQ(SVGWriter::escaped("x\xff\xc3"), "x\uFFFD\uFFFD");
  EXPECT_EQ(SVGWriter::escaped("\xef\xbf\xbe"), "");  // U+FFFE
  EXPECT_EQ(SVGWriter::escaped("line\nbreak\ttab"), "line&#10;break&#9;tab");
}

constexpr std::string_view glass =
    R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 256 256" fill="currentColor">)"
    R"(<path d="M229.66,218.34l-50.07-50.06Z"/><path d="M1,2Z" opacity="0.2"/></svg>)";

const RGBA blue{0, 0, 1, 1};

TEST(IconArtworkTest, KeepsShapesAndTintsTemplates) {
  const auto artwork = IconArtwork::parse(glass);
  ASSERT_TRUE(artwork);
  EXPECT_EQ(artwork->elementCount(), 3u);  // the root as a group, and two paths
  EXPECT_EQ(artwork->markup(ImageRendering::templateImage, blue),
            R"(<g fill="#0000FF"><path d="M229.66,218.34l-50.07-50.06Z"/>)"
            R"(<path d="M1,2Z" opacity="0.2"/></g>)");

  // As a template every painted colour becomes the tint; "none" stays none.
  const auto coloured = IconArtwork::parse(
      R"(<svg viewBox="0,0,24,24"><g stroke="#123456" fill="none"><rect width="4" height="4" )"
      R"(fill="red"/></g></svg>)");
  ASSERT_TRUE(coloured);
  const std::string tinted = coloured->markup(ImageRendering::templateImage, blue);
  EXPECT_EQ(tinted.find("red"), std::string::npos);
  EXPECT_EQ(tinted.find("#123456"), std::string::npos);
  EXPECT_NE(tinted.find(R"(fill="none")"), std::string::npos);
  // In its own colours only currentColor follows the tint.
  EXPECT_NE(coloured->markup(ImageRendering::original, blue).find(R"(fill="red")"),
            std::string::npos);
}

TEST(IconArtworkTest, DropsEverythingButShapes) {
  const auto artwork = IconArtwork::parse(
      R"svg(<svg viewBox="0 0 10 10" onload="alert(1)"><script>alert(2)</script>)svg"
      R"svg(<style>path{fill:red}</style><a href="javascript:alert(3)"><path d="M0,0Z"/></a>)svg"
      R"svg(<image href="http://example.invalid/x.png"/><foreignObject><p>hi</p></foreignObject>)svg"
      R"svg(<path d="M1,1Z" fill="url(#paint)" style="fill:red" onclick="x()"/>)svg"
      R"svg(<use href="#a"/><text>words</text></svg>)svg");
  ASSERT_TRUE(artwork);
  const std::string markup = artwork->markup(ImageRendering::templateImage, blue);
  EXPECT_EQ(markup, R"(<g fill="#0000FF"><path d="M1,1Z"/></g>)");

  // A document type never brings in an external entity.
  const auto entity =
      IconArtwork::parse(R"(<!DOCTYPE svg [<!ENTITY x SYSTEM "file:///etc/hostname">]>)"
                         R"(<svg viewBox="0 0 1 1"><path d="&x;"/></svg>)");
  ASSERT_TRUE(entity);
  EXPECT_EQ(entity->markup(ImageRendering::original, blue), R"(<g><path d="&amp;x;"/></g>)");
}

TEST(IconArtworkTest, RefusesWhatIsNotArtwork) {
  for (const char* bytes : {"", "not xml", "<svg viewBox='0 0 10 10'>", "<html viewBox='0 0 1 1'/>",
                            "<svg/>", "<svg viewBox='0 0 0 10'/>", "<svg viewBox='0 0 nan 10'/>",
                            "<svg width='10em' height='10'/>"}) {
    EXPECT_FALSE(IconArtwork::parse(bytes)) << bytes;
  }
  // Without a view box the size stands in.
  EXPECT_EQ(IconArtwork::parse("<svg width='24px' height='12'/>").value().viewBox(),
            (Rect{{0, 0}, {24, 12}}));

  // Too deep or too many shapes is refused rather than drawn in part.
  std::string deep = "<svg viewBox='0 0 1 1'>";
  for (int i = 0; i < IconArtwork::maximumDepth + 2; ++i) deep += "<g>";
  for (int i = 0; i < IconArtwork::maximumDepth + 2; ++i) deep += "</g>";
  EXPECT_FALSE(IconArtwork::parse(deep + "</svg>"));
  std::string many = "<svg viewBox='0 0 1 1'>";
  for (std::size_t i = 0; i < IconArtwork::maximumElementCount; ++i) many += "<path d='M0,0'/>";
  EXPECT_FALSE(IconArtwork::parse(many + "</svg>"));
  EXPECT_FALSE(IconArtwork::parse(std::string(IconArtwork::maximumFileSize + 1, ' ')));

  const testing::TemporaryDirectory folder;
  EXPECT_FALSE(IconArtwork::read(folder.path() / "missing.svg"));
  EXPECT_FALSE(IconArtwork::read(folder.path()));  // a folder is no file
  std::ofstream(folder.path() / "glass.svg") << glass;
  EXPECT_EQ(IconArtwork::read(folder.path() / "glass.svg").value().elementCount(), 3u);
}

}  // namespace
}  // namespace kelvo::widgetkit
