#include "core/design/KelvoIcon.hpp"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include <nlohmann/json.hpp>

#include "platform/foundation/JSONReader.hpp"

namespace kelvo {
namespace {

TEST(KelvoIconTest, TheClosedSetInDeclarationOrder) {
  const auto& icons = allCases<KelvoIcon>();
  ASSERT_EQ(icons.size(), 161u);
  EXPECT_EQ(icons.front(), KelvoIcon::allCards);
  EXPECT_EQ(icons[25], KelvoIcon::search);
  EXPECT_EQ(icons[60], KelvoIcon::delete_);
  EXPECT_EQ(icons[119], KelvoIcon::done);
  EXPECT_EQ(icons.back(), KelvoIcon::devices);
  std::set<std::string_view> raw;
  for (std::size_t i = 0; i < icons.size(); ++i) {
    EXPECT_EQ(static_cast<std::size_t>(icons[i]), i);
    raw.insert(rawValue(icons[i]));
    EXPECT_EQ(fromRawValue<KelvoIcon>(rawValue(icons[i])), icons[i]);
  }
  EXPECT_EQ(raw.size(), 161u);
  EXPECT_EQ(rawValue(KelvoIcon::delete_), "delete");
  EXPECT_EQ(rawValue(KelvoIcon::factIBAN), "factIBAN");
  EXPECT_EQ(rawValue(KelvoIcon::iCloudUnavailable), "iCloudUnavailable");
  for (const char* text : {"factIban", "delete_", "Home", "", "home "}) {
    EXPECT_FALSE(fromRawValue<KelvoIcon>(text)) << text;
  }
}

TEST(KelvoIconTest, GlyphsWeightsAndHues) {
  EXPECT_EQ(glyph(KelvoIcon::allCards), "stack");
  EXPECT_EQ(tileHue(KelvoIcon::allCards), KelvoTileHue::purple);
  EXPECT_EQ(glyph(KelvoIcon::home), "house");
  EXPECT_EQ(glyph(KelvoIcon::factIDNumber), "identification-card");
  EXPECT_EQ(tileHue(KelvoIcon::factIDNumber), KelvoTileHue::indigo);
  EXPECT_EQ(glyph(KelvoIcon::collapseAll), "arrows-in-line-vertical");
  EXPECT_EQ(glyph(KelvoIcon::usedSometimes), "arrows-counter-clockwise");
  EXPECT_EQ(tileHue(KelvoIcon::usedSometimes), KelvoTileHue::blue);
  EXPECT_EQ(glyph(KelvoIcon::slack), "hash-straight");
  EXPECT_EQ(tileHue(KelvoIcon::warning), KelvoTileHue::kelvo);
  EXPECT_EQ(tileHue(KelvoIcon::error), KelvoTileHue::red);
  EXPECT_EQ(glyph(KelvoIcon::unavailable), "selection-slash");
  EXPECT_EQ(glyph(KelvoIcon::devices), "devices");
  EXPECT_EQ(tileHue(KelvoIcon::film), KelvoTileHue::red);
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
  EXPECT_EQ(inlineWeight(KelvoIcon::select), KelvoIconWeight::regular);
  // Column totals of the table, so a shifted row shows.
  EXPECT_EQ(hues, (std::map<KelvoTileHue, int>{{KelvoTileHue::kelvo, 16},
                                               {KelvoTileHue::orange, 7},
                                               {KelvoTileHue::red, 21},
                                               {KelvoTileHue::pink, 5},
                                               {KelvoTileHue::purple, 8},
                                               {KelvoTileHue::indigo, 6},
                                               {KelvoTileHue::blue, 33},
                                               {KelvoTileHue::teal, 6},
                                               {KelvoTileHue::green, 7},
                                               {KelvoTileHue::graphite, 52}}));
}

TEST(KelvoIconTest, AssetNamesAndPaths) {
  EXPECT_EQ(assetName(KelvoIcon::home, KelvoIconWeight::regular), "ph-house");
  EXPECT_EQ(assetName(KelvoIcon::home, KelvoIconWeight::bold), "ph-house-bold");
  EXPECT_EQ(assetName(KelvoIcon::home, KelvoIconWeight::fill), "ph-house-fill");
  EXPECT_EQ(assetName(KelvoIcon::home, KelvoIconWeight::duotone), "ph-house-duotone");
  const KelvoIconAsset bold{"house", KelvoIconWeight::bold};
  EXPECT_EQ(bold.assetName(), "ph-house-bold");
  EXPECT_EQ(bold.path(), "assets/bold/house-bold.svg");
  EXPECT_EQ((KelvoIconAsset{"house", KelvoIconWeight::regular}).path(), "assets/regular/house.svg");
  EXPECT_EQ((KelvoIconAsset{"x", KelvoIconWeight::duotone}).path(), "assets/duotone/x-duotone.svg");
  EXPECT_NE(bold, (KelvoIconAsset{"house", KelvoIconWeight::fill}));
  EXPECT_EQ(allCases<KelvoIconWeight>(),
            (std::array{KelvoIconWeight::regular, KelvoIconWeight::bold, KelvoIconWeight::fill,
                        KelvoIconWeight::duotone}));
  EXPECT_EQ(fromRawValue<KelvoIconWeight>("duotone"), KelvoIconWeight::duotone);
}

TEST(KelvoIconTest, FetchListHoldsEveryGlyphAtEveryWeight) {
  const auto glyphs = kelvoIconGlyphs();
  EXPECT_EQ(glyphs.size(), 138u);
  EXPECT_TRUE(glyphs.contains("folder-open"));
  const auto list = kelvoIconFetchList();
  ASSERT_EQ(list.size(), 552u);
  EXPECT_EQ(list.size(), glyphs.size() * 4);
  EXPECT_EQ(list[0].assetName(), "ph-archive");
  EXPECT_EQ(list[1].assetName(), "ph-archive-bold");
  EXPECT_EQ(list[2].assetName(), "ph-archive-duotone");
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

TEST(KelvoIconTest, StoredAsItsRawValue) {
  Json document;
  document["icon"] = rawValue(KelvoIcon::factIBAN);
  EXPECT_EQ(json::write(document), R"({"icon":"factIBAN"})");
  const auto read = [](const char* text) {
    const Json parsed = json::parse(text);
    return JSONReader(parsed)["icon"].rawValue(RawValues<KelvoIcon>::table, "KelvoIcon");
  };
  EXPECT_EQ(read(R"({"icon":"factIBAN"})"), KelvoIcon::factIBAN);
  EXPECT_EQ(read(R"({"icon":"delete"})"), KelvoIcon::delete_);
  EXPECT_THROW(read(R"({"icon":"factIban"})"), DecodingError);
  EXPECT_THROW(read(R"({"icon":"delete_"})"), DecodingError);
}

}  // namespace
}  // namespace kelvo
