#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/design/KelvoPalette.hpp"
#include "platform/widgetkit/Layout.hpp"
#include "platform/widgetkit/WidgetHost.hpp"
#include "tests/support/TestSupport.hpp"
#include "widgets/KelvoActionsWidget.hpp"
#include "widgets/WidgetStyle.hpp"

namespace kelvo {
namespace {

using widgetkit::LayoutNode;
using widgetkit::View;
using widgetkit::WidgetFamily;

const Date now(800'000'000);

// The tiles of a laid-out widget: each link with its label and the texts it shows.
struct PlacedTile {
  std::string destination;
  std::string label;
  widgetkit::Rect frame;
  std::vector<std::string> texts;
};

void collectTexts(const LayoutNode& node, std::vector<std::string>& texts) {
  if (node.text) {
    for (const auto& line : node.text->lines) texts.push_back(line);
  }
  for (const auto& child : node.children) collectTexts(child, texts);
}

void collectTiles(const LayoutNode& node, std::vector<PlacedTile>& tiles) {
  if (const auto* label = node.view.as<View::Accessibility>()) {
    const LayoutNode& link = node.children.front();
    if (const auto* destination = link.view.as<View::Link>()) {
      PlacedTile tile{destination->destination, label->label.value_or(""), link.frame, {}};
      collectTexts(link, tile.texts);
      tiles.push_back(tile);
      return;
    }
  }
  for (const auto& child : node.children) collectTiles(child, tiles);
}

std::vector<PlacedTile> laidOutTiles(WidgetFamily family, const View& view) {
  widgetkit::Layout layout;
  std::vector<PlacedTile> tiles;
  collectTiles(layout.layout(view, widgetkit::displaySize(family)), tiles);
  return tiles;
}

View viewFor(WidgetFamily family) {
  const auto widget = KelvoActionsWidget{}.body();
  const auto context = widgetkit::WidgetHost::context(family, now);
  return widget.content(widget.timeline(context).entries.front(), {family, 2});
}

TEST(KelvoActionsWidgetTest, ConfigurationAndTimeline) {
  const widgetkit::WidgetConfiguration widget = KelvoActionsWidget{}.body();
  EXPECT_EQ(widget.displayName(), "Kelvo actions");
  EXPECT_EQ(widget.description(), "Keep the clipboard, fill a form, or search your library.");
  EXPECT_EQ(widget.supportedFamilies(),
            (std::vector<WidgetFamily>{WidgetFamily::systemSmall, WidgetFamily::systemMedium}));

  const auto timeline =
      widget.timeline(widgetkit::WidgetHost::context(WidgetFamily::systemMedium, now));
  ASSERT_EQ(timeline.entries.size(), 1u);
  EXPECT_EQ(timeline.entries.front().date, now);
  EXPECT_EQ(timeline.policy, widgetkit::TimelineReloadPolicy::never());
}

TEST(KelvoActionsWidgetTest, SmallShowsKeepAcrossTheTopAndTitlesOnly) {
  const auto tiles = laidOutTiles(WidgetFamily::systemSmall, viewFor(WidgetFamily::systemSmall));
  ASSERT_EQ(tiles.size(), 3u);
  EXPECT_EQ(tiles[0].destination, "kelvo://keep");
  EXPECT_EQ(tiles[1].destination, "kelvo://fill");
  EXPECT_EQ(KelvoURL::parse(tiles[2].destination), KelvoURL::search("*"));
  EXPECT_EQ(tiles[0].label, "Keep the clipboard in Kelvo");
  EXPECT_EQ(tiles[1].label, "Fill a form with details from Kelvo");
  EXPECT_EQ(tiles[2].label, "Search your Kelvo library");
  // Keep fills the top half; fill and search share the bottom half, 6 points apart.
  EXPECT_EQ(tiles[0].frame, (widgetkit::Rect{{0, 0}, {170, 82}}));
  EXPECT_EQ(tiles[1].frame, (widgetkit::Rect{{0, 88}, {82, 82}}));
  EXPECT_EQ(tiles[2].frame, (widgetkit::Rect{{88, 88}, {82, 82}}));
  EXPECT_EQ(tiles[0].texts, std::vector<std::string>{"Keep"});
  EXPECT_EQ(tiles[1].texts, std::vector<std::string>{"Fill a form"});

  // A family the widget does not know is laid out as the small one.
  const auto large = laidOutTiles(WidgetFamily::systemLarge, viewFor(WidgetFamily::systemLarge));
  ASSERT_EQ(large.size(), 3u);
  EXPECT_EQ(large[0].frame.size.width, 364);
  EXPECT_EQ(large[1].frame.minY(), large[2].frame.minY());
  EXPECT_EQ(large[1].texts, std::vector<std::string>{"Fill a form"});

  // With no tiles only the surface is left.
  const View empty = KelvoActionsView{WidgetFamily::systemSmall, 2}.body({});
  EXPECT_TRUE(empty.as<View::ContainerBackground>());
  EXPECT_TRUE(laidOutTiles(WidgetFamily::systemSmall, empty).empty());
}

TEST(KelvoActionsWidgetTest, MediumShowsTheTilesSideBySideWithDetails) {
  const auto tiles = laidOutTiles(WidgetFamily::systemMedium, viewFor(WidgetFamily::systemMedium));
  ASSERT_EQ(tiles.size(), 3u);
  const double width = (364 - 2 * 6) / 3.0;
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    EXPECT_NEAR(tiles[i].frame.minX(), i * (width + 6), 1e-9);
    EXPECT_NEAR(tiles[i].frame.width(), width, 1e-9);
    EXPECT_EQ(tiles[i].frame.height(), 170);
    EXPECT_GE(tiles[i].texts.size(), 2u);  // the title, and the detail on up to two lines
    EXPECT_LE(tiles[i].texts.size(), 3u);
  }
  EXPECT_EQ(tiles[2].texts, (std::vector<std::string>{"Search", "Find a card"}));
}

using widgetkit::Appearance;
using widgetkit::AppearanceName;

TEST(WidgetStyleTest, EachAppearanceNameGivesItsThemeAndOpaqueColours) {
  EXPECT_EQ(widgetTheme(Appearance(AppearanceName::darkAqua)), KelvoTheme::dark);
  EXPECT_EQ(widgetTheme(Appearance(AppearanceName::accessibilityHighContrastAqua)),
            KelvoTheme::lightIncreasedContrast);
  // An appearance that matches none of the four is drawn as aqua.
  EXPECT_EQ(widgetTheme(Appearance(std::string("vibrantDark"))), KelvoTheme::light);

  const Appearance dark(AppearanceName::accessibilityHighContrastDarkAqua);
  const SRGB expected = KelvoPalette::value(
      KelvoColorToken::hairline, KelvoTheme::darkIncreasedContrast, KelvoPaletteFamily::twoColour);
  EXPECT_EQ(widgetColor(KelvoColorToken::hairline).resolved(dark),
            (widgetkit::RGBA{expected.red(), expected.green(), expected.blue(), 1}));
}

TEST(WidgetStyleTest, TileBorderIsOneDevicePixelAndNeverThickerThanAPoint) {
  EXPECT_EQ(WidgetTile::borderWidth(3), 1.0 / 3);
  EXPECT_EQ(WidgetTile::borderWidth(1), 1);
  for (const double odd : {0.5, 0.0, -2.0, std::nan("")}) {
    EXPECT_EQ(WidgetTile::borderWidth(odd), 1) << odd;
  }

  // Fill, then the rounded clip, then the border over it.
  const View tile = WidgetTile{2}.body(View::spacer());
  const auto* border = tile.as<View::Border>();
  ASSERT_TRUE(border);
  EXPECT_EQ(border->stroke.lineWidth, 0.5);
  EXPECT_EQ(border->shape.cornerRadius, 12);
  const View& clipped = tile.children().front();
  ASSERT_TRUE(clipped.as<View::Clip>());
  EXPECT_TRUE(clipped.children().front().as<View::Background>());

  // The surface is the container background from version 14, a plain background before.
  EXPECT_TRUE(WidgetSurface{}.body(View::spacer()).as<View::ContainerBackground>());
  const View earlier = WidgetSurface{}.body(View::spacer(), 13);
  ASSERT_TRUE(earlier.as<View::Background>());
  EXPECT_TRUE(earlier.as<View::Background>()->ignoresSafeArea);
}

std::string hex(KelvoColorToken token, AppearanceName appearance) {
  return KelvoPalette::value(token, widgetTheme(widgetkit::Appearance(appearance)),
                             KelvoPaletteFamily::twoColour)
      .hexString();
}

double number(const pugi::xml_node& node, const char* name) {
  return std::stod(node.attribute(name).value());
}

TEST(KelvoWidgetBundleTest, DrawsAllEightWithLinksLabelsAndColours) {
  // The bundle ships the whole icon fetch list, by asset name, as the build copied it.
  const widgetkit::AssetCatalog assets = KelvoWidgetBundle::assets(KELVO_ICON_BUILD_ARTWORK);
  EXPECT_EQ(assets.count(), 552u);
  ASSERT_TRUE(std::filesystem::exists(*assets.file("ph-download-simple")))
      << "the icon artwork is missing; scripts/setup fetches it for the build to copy";
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
