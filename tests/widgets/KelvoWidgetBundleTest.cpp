#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/design/KelvoPalette.hpp"
#include "platform/widgetkit/WidgetHost.hpp"
#include "tests/support/TestSupport.hpp"
#include "widgets/KelvoActionsWidget.hpp"
#include "widgets/WidgetStyle.hpp"

namespace kelvo {
namespace {

using widgetkit::AppearanceName;
using widgetkit::WidgetFamily;

const Date now(800'000'000);

std::string hex(KelvoColorToken token, AppearanceName appearance) {
  return KelvoPalette::value(token, widgetTheme(widgetkit::Appearance(appearance)),
                             KelvoPaletteFamily::twoColour)
      .hexString();
}

double number(const pugi::xml_node& node, const char* name) {
  return std::stod(node.attribute(name).value());
}

TEST(KelvoWidgetBundleTest, DrawsAllEightWithLinksLabelsAndColours) {
  // The bundle ships the whole icon fetch list, by asset name.
  const widgetkit::AssetCatalog assets = KelvoWidgetBundle::assets();
  EXPECT_EQ(assets.count(), 552u);
  EXPECT_EQ(assets.file("ph-house-bold"),
            KelvoWidgetBundle::artworkFolder() / "assets/bold/house-bold.svg");
  ASSERT_TRUE(std::filesystem::exists(*assets.file("ph-download-simple")))
      << "the icon artwork is missing; scripts/setup installs it";
  const widgetkit::WidgetHost host(KelvoWidgetBundle::body(), assets);
  const testing::TemporaryDirectory folder;
  std::ostringstream out, err;
  const std::vector<std::string> arguments{"kelvo-widget", "render", "--all", "--output",
                                           folder.path().string()};
  ASSERT_EQ(host.run(arguments, out, err, now), 0);
  EXPECT_EQ(err.str(), "");  // every icon was found

  for (const WidgetFamily family : {WidgetFamily::systemSmall, WidgetFamily::systemMedium}) {
    for (const AppearanceName appearance : widgetkit::allAppearanceNames()) {
      const std::string name = "KelvoActions-" + std::string(widgetkit::rawValue(family)) + "-" +
                               std::string(widgetkit::rawValue(appearance)) + ".svg";
      SCOPED_TRACE(name);
      pugi::xml_document document;
      ASSERT_TRUE(document.load_file((folder.path() / name).c_str()));
      const pugi::xml_node svg = document.child("svg");
      const widgetkit::Size size = widgetkit::displaySize(family);
      EXPECT_EQ(number(svg, "width"), size.width * 2);
      const pugi::xml_node surface = svg.select_node("g/rect").node();
      EXPECT_EQ(surface.attribute("fill").as_string(),
                hex(KelvoColorToken::groupedSurface, appearance));
      EXPECT_EQ(number(surface, "width"), size.width);

      const auto links = svg.select_nodes("//a");
      ASSERT_EQ(links.size(), 3u);
      EXPECT_EQ(links[0].node().attribute("aria-label").as_string(),
                std::string("Keep the clipboard in Kelvo"));
      for (std::size_t i = 0; i < 3; ++i) {
        const pugi::xml_node link = links[i].node();
        // The tile: its fill, at least 44 points each way, and its hairline border.
        const pugi::xml_node fill = link.select_node(".//rect").node();
        EXPECT_EQ(fill.attribute("fill").as_string(),
                  hex(KelvoColorToken::cardSurface, appearance));
        EXPECT_GE(number(fill, "width"), 44);
        EXPECT_GE(number(fill, "height"), 44);
        const pugi::xml_node border = link.select_node("path[@stroke]").node();
        EXPECT_EQ(border.attribute("stroke").as_string(),
                  hex(KelvoColorToken::hairline, appearance));
        EXPECT_EQ(number(border, "stroke-width"), 0.5);
        // The icon is the artwork, tinted; the title is the primary label colour.
        const pugi::xml_node icon = link.select_node(".//svg").node();
        ASSERT_TRUE(icon);
        EXPECT_EQ(icon.child("g").attribute("fill").as_string(),
                  hex(KelvoColorToken::accentLabel, appearance));
        const pugi::xml_node title = link.select_node(".//text").node();
        EXPECT_EQ(title.attribute("fill").as_string(),
                  hex(KelvoColorToken::primaryLabel, appearance));
      }
      EXPECT_EQ(links[1].node().attribute("href").as_string(), std::string("kelvo://fill"));
      // The medium family's details are in the secondary label colour.
      const std::string detail = hex(KelvoColorToken::secondaryLabel, appearance);
      if (family == WidgetFamily::systemMedium) {
        EXPECT_GE(svg.select_nodes(("//text[@fill='" + detail + "']").c_str()).size(), 3u);
      }
    }
  }

  // A real renderer draws it: the PNG is the drawing's size at scale 2.
  const auto svgFile = folder.path() / "KelvoActions-systemMedium-darkAqua.svg";
  const auto pngFile = folder.path() / "medium.png";
  const std::string command =
      "rsvg-convert -o '" + pngFile.string() + "' '" + svgFile.string() + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << "rsvg-convert (librsvg2-bin) failed";
  std::ifstream png(pngFile, std::ios::binary);
  std::vector<unsigned char> header(24);
  png.read(reinterpret_cast<char*>(header.data()), 24);
  ASSERT_TRUE(png);
  EXPECT_EQ(std::string(header.begin() + 1, header.begin() + 4), "PNG");
  const auto bigEndian = [&](int at) {
    return header[at] << 24 | header[at + 1] << 16 | header[at + 2] << 8 | header[at + 3];
  };
  EXPECT_EQ(bigEndian(16), 728);
  EXPECT_EQ(bigEndian(20), 340);
}

}  // namespace
}  // namespace kelvo
