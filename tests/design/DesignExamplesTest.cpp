// The usage examples at the top of the design vocabulary's headers, run as written.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "core/design/KelvoColorToken.hpp"
#include "core/design/KelvoIcon.hpp"
#include "core/design/KelvoPalette.hpp"
#include "core/design/KelvoTheme.hpp"
#include "core/design/KelvoTileHue.hpp"
#include "core/design/SRGB.hpp"

namespace kelvo {
namespace {

TEST(KelvoPalette, APIExamples) {
  for (const KelvoPaletteFamily family : allCases<KelvoPaletteFamily>()) {
    const KelvoTheme theme = KelvoTheme::dark.on(KelvoTheme::Platform::mac);
    const SRGB text = KelvoPalette::value(KelvoColorToken::primaryLabel, theme, family);
    const SRGB surface = KelvoPalette::value(KelvoColorToken::cardSurface, theme, family);
    const bool readable = text.satisfies(ContrastRequirement::normalText, surface);  // true

    EXPECT_TRUE(readable) << rawValue(family);
    EXPECT_EQ(text, KelvoPalette::value(KelvoColorToken::primaryLabel, KelvoTheme::dark, family));
  }
}

TEST(KelvoIcon, APIExamples) {
  const KelvoIcon icon = KelvoIcon::home;
  const std::string inlineAsset = assetName(icon, inlineWeight(icon));  // "ph-house"
  const std::string tileAsset = assetName(icon, tileWeight(icon));      // "ph-house-fill"
  const SRGB tile = base(tileHue(icon), KelvoTheme::Appearance::dark);
  const std::optional<KelvoIcon> stored = fromRawValue<KelvoIcon>("delete");  // delete_

  EXPECT_EQ(inlineAsset, "ph-house");
  EXPECT_EQ(tileAsset, "ph-house-fill");
  EXPECT_EQ(tile, SRGB::fromHex(hex(KelvoTileHue::kelvo, KelvoTheme::Appearance::dark)));
  EXPECT_EQ(stored, KelvoIcon::delete_);
  EXPECT_TRUE(kelvoIconAssetNames().contains(inlineAsset));
  EXPECT_TRUE(kelvoIconAssetNames().contains(tileAsset));
}

TEST(SRGB, APIExamples) {
  const SRGB ink = *SRGB::fromHex("#141210");
  const SRGB paper = *SRGB::fromHex("E9E1D2");
  const double ratio = ink.contrastRatio(paper);                                // about 14.4
  const bool readable = ink.satisfies(ContrastRequirement::normalText, paper);  // true
  const std::string wash = SRGB::blended(ink, paper, 0.08).hexString();         // "#D8D0C2"

  EXPECT_NEAR(ratio, 14.385, 0.001);
  EXPECT_TRUE(readable);
  EXPECT_EQ(wash, "#D8D0C2");
}

TEST(KelvoTheme, APIExamples) {
  for (const bool increased : {false, true}) {
    const KelvoTheme theme{KelvoTheme::Appearance::dark, increased, KelvoTheme::Platform::touch};
    const bool known = theme == KelvoTheme::darkIncreasedContrast;  // when increased
    std::unordered_set<KelvoTheme> covered(KelvoTheme::everyPlatform.begin(),
                                           KelvoTheme::everyPlatform.end());  // all eight

    EXPECT_EQ(known, increased);
    EXPECT_EQ(covered.size(), 8u);
    EXPECT_TRUE(covered.contains(theme.on(KelvoTheme::Platform::mac)));
  }
}

TEST(KelvoColorToken, APIExamples) {
  const KelvoColorToken token = KelvoColorToken::typeImage;
  const std::string_view stored = rawValue(token);  // "typeImage"
  const std::optional<KelvoColorToken> read = fromRawValue<KelvoColorToken>("TypeImage");
  const SRGB colour = KelvoPalette::value(token, KelvoTheme::light, KelvoPaletteFamily::brand);

  EXPECT_EQ(stored, "typeImage");
  EXPECT_EQ(read, std::nullopt);  // letter case counts
  EXPECT_EQ(colour, SRGB::fromHex("#99482B"));
}

}  // namespace
}  // namespace kelvo
