#include "core/design/KelvoIcon.hpp"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace kelvo {
namespace {

TEST(KelvoIconTest, TheClosedSetInDeclarationOrder) {
  const auto& icons = allCases<KelvoIcon>();
  ASSERT_EQ(icons.size(), 161u);
  EXPECT_EQ(icons.front(), KelvoIcon::allCards);
  EXPECT_EQ(icons[60], KelvoIcon::delete_);
  EXPECT_EQ(icons[119], KelvoIcon::done);
  EXPECT_EQ(icons.back(), KelvoIcon::devices);
  EXPECT_EQ(rawValue(KelvoIcon::delete_), "delete");
  EXPECT_EQ(rawValue(KelvoIcon::factIBAN), "factIBAN");
  for (const char* text : {"factIban", "delete_", "Home", "", "home "}) {
    EXPECT_FALSE(fromRawValue<KelvoIcon>(text)) << text;
  }
}

TEST(KelvoIconTest, GlyphsWeightsAndHues) {
  EXPECT_EQ(glyph(KelvoIcon::allCards), "stack");
  EXPECT_EQ(glyph(KelvoIcon::factIDNumber), "identification-card");
  EXPECT_EQ(tileHue(KelvoIcon::factIDNumber), KelvoTileHue::indigo);
  EXPECT_EQ(glyph(KelvoIcon::usedSometimes), "arrows-counter-clockwise");
  EXPECT_EQ(tileHue(KelvoIcon::warning), KelvoTileHue::kelvo);
  EXPECT_EQ(tileHue(KelvoIcon::filterVideo), KelvoTileHue::purple);
  EXPECT_EQ(glyph(KelvoIcon::projectOpen), glyph(KelvoIcon::browseFiles));

  const std::set<KelvoIcon> filled{
      KelvoIcon::menuBarExtra, KelvoIcon::selected, KelvoIcon::dropInside, KelvoIcon::done,
      KelvoIcon::error,        KelvoIcon::overdue,  KelvoIcon::refused,    KelvoIcon::remindersDue};
  std::map<KelvoTileHue, int> hues;
  for (const KelvoIcon icon : allCases<KelvoIcon>()) {
    EXPECT_EQ(inlineWeight(icon),
              filled.contains(icon) ? KelvoIconWeight::fill : KelvoIconWeight::regular);
    EXPECT_EQ(tileWeight(icon), KelvoIconWeight::fill);
    ++hues[tileHue(icon)];
  }
  // Column totals of the table in hue order, so a shifted row shows.
  const int totals[] = {16, 7, 21, 5, 8, 6, 33, 6, 7, 52};
  for (std::size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(hues[allCases<KelvoTileHue>()[i]], totals[i]) << i;
  }
}

TEST(KelvoIconTest, AssetNamesPathsAndTheFetchList) {
  EXPECT_EQ(assetName(KelvoIcon::home, KelvoIconWeight::regular), "ph-house");
  EXPECT_EQ(assetName(KelvoIcon::home, KelvoIconWeight::bold), "ph-house-bold");
  EXPECT_EQ(assetName(KelvoIcon::home, KelvoIconWeight::duotone), "ph-house-duotone");
  EXPECT_EQ((KelvoIconAsset{"house", KelvoIconWeight::bold}).path(), "assets/bold/house-bold.svg");
  EXPECT_EQ((KelvoIconAsset{"house", KelvoIconWeight::regular}).path(), "assets/regular/house.svg");

  const auto glyphs = kelvoIconGlyphs();
  EXPECT_EQ(glyphs.size(), 138u);
  const auto list = kelvoIconFetchList();
  ASSERT_EQ(list.size(), 552u);
  EXPECT_EQ(list[0].assetName(), "ph-archive");
  EXPECT_EQ(list[3].assetName(), "ph-archive-fill");
  EXPECT_EQ(list.back().assetName(), "ph-x-fill");
  EXPECT_EQ(list.back().path(), "assets/fill/x-fill.svg");
  for (std::size_t i = 1; i < list.size(); ++i) {
    EXPECT_LT(list[i - 1].assetName(), list[i].assetName());
  }
  const auto names = kelvoIconAssetNames();
  EXPECT_EQ(names.size(), 552u);
  for (const KelvoIcon icon : allCases<KelvoIcon>()) {
    for (const KelvoIconWeight weight : allCases<KelvoIconWeight>()) {
      EXPECT_TRUE(names.contains(assetName(icon, weight))) << rawValue(icon);
    }
  }
}

}  // namespace
}  // namespace kelvo
