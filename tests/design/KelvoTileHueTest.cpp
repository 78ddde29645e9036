#include "core/design/KelvoTileHue.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using Appearance = KelvoTheme::Appearance;

TEST(KelvoTileHueTest, TenHuesWithTheirColoursPerAppearance) {
  const auto& hues = allCases<KelvoTileHue>();
  ASSERT_EQ(hues.size(), 10u);
  EXPECT_EQ(rawValue(hues[7]), "teal");
  EXPECT_FALSE(fromRawValue<KelvoTileHue>("Kelvo"));

  EXPECT_EQ(hex(KelvoTileHue::kelvo, Appearance::light), "#A86B00");
  EXPECT_EQ(highlightHex(KelvoTileHue::kelvo, Appearance::dark), "#CE8200");
  EXPECT_EQ(hex(KelvoTileHue::pink, Appearance::dark), "#E8427F");
  EXPECT_EQ(highlightHex(KelvoTileHue::teal, Appearance::light), "#099EA6");

  for (const KelvoTileHue hue : hues) {
    for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
      const auto parsedBase = SRGB::fromHex(hex(hue, appearance));
      const auto parsedHighlight = SRGB::fromHex(highlightHex(hue, appearance));
      ASSERT_TRUE(parsedBase && parsedHighlight) << rawValue(hue);
      EXPECT_EQ(base(hue, appearance), *parsedBase);
      EXPECT_EQ(highlight(hue, appearance), *parsedHighlight);
      EXPECT_EQ(glyph(hue, appearance), SRGB(1, 1, 1));
      // The highlight is the lighter of the two.
      EXPECT_GT(parsedHighlight->relativeLuminance(), parsedBase->relativeLuminance());
    }
  }
}

}  // namespace
}  // namespace kelvo
