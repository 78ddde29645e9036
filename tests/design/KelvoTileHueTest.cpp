#include "core/design/KelvoTileHue.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using Appearance = KelvoTheme::Appearance;

TEST(KelvoTileHueTest, TenHuesInOrder) {
  const auto& hues = allCases<KelvoTileHue>();
  ASSERT_EQ(hues.size(), 10u);
  const char* names[] = {"kelvo",  "orange", "red",  "pink",  "purple",
                         "indigo", "blue",   "teal", "green", "graphite"};
  for (std::size_t i = 0; i < hues.size(); ++i) {
    EXPECT_EQ(rawValue(hues[i]), names[i]);
    EXPECT_EQ(fromRawValue<KelvoTileHue>(names[i]), hues[i]);
  }
  EXPECT_FALSE(fromRawValue<KelvoTileHue>("Kelvo"));
  EXPECT_FALSE(fromRawValue<KelvoTileHue>("grey"));
}

TEST(KelvoTileHueTest, ColoursPerAppearance) {
  EXPECT_EQ(hex(KelvoTileHue::kelvo, Appearance::light), "#A86B00");
  EXPECT_EQ(highlightHex(KelvoTileHue::kelvo, Appearance::light), "#C77E00");
  EXPECT_EQ(hex(KelvoTileHue::kelvo, Appearance::dark), "#B77400");
  EXPECT_EQ(highlightHex(KelvoTileHue::kelvo, Appearance::dark), "#CE8200");
  EXPECT_EQ(hex(KelvoTileHue::pink, Appearance::dark), "#E8427F");
  EXPECT_EQ(highlightHex(KelvoTileHue::teal, Appearance::light), "#099EA6");
  EXPECT_EQ(hex(KelvoTileHue::graphite, Appearance::light), "#757784");
  EXPECT_EQ(highlightHex(KelvoTileHue::graphite, Appearance::dark), "#91939E");
  EXPECT_EQ(base(KelvoTileHue::kelvo, Appearance::light), SRGB::fromHex("#A86B00"));

  const SRGB white(1, 1, 1);
  for (const KelvoTileHue hue : allCases<KelvoTileHue>()) {
    for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
      const auto parsedBase = SRGB::fromHex(hex(hue, appearance));
      const auto parsedHighlight = SRGB::fromHex(highlightHex(hue, appearance));
      ASSERT_TRUE(parsedBase && parsedHighlight) << rawValue(hue);
      EXPECT_EQ(parsedBase->hexString(), hex(hue, appearance));
      EXPECT_EQ(base(hue, appearance), *parsedBase);
      EXPECT_EQ(highlight(hue, appearance), *parsedHighlight);
      EXPECT_EQ(glyph(hue, appearance), white);
      // The highlight is the lighter of the two.
      EXPECT_GT(parsedHighlight->relativeLuminance(), parsedBase->relativeLuminance());
    }
  }
}

}  // namespace
}  // namespace kelvo
