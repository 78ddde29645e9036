#include "core/design/KelvoPalette.hpp"

#include <gtest/gtest.h>

#include <utility>

namespace kelvo {
namespace {

using Token = KelvoColorToken;
using Family = KelvoPaletteFamily;

std::string hexOf(Token token, const KelvoTheme& theme, Family family) {
  return KelvoPalette::value(token, theme, family).hexString();
}

TEST(KelvoPaletteTest, SampleOfTheDesignedColours) {
  const KelvoTheme &light = KelvoTheme::light, &dark = KelvoTheme::dark;
  const KelvoTheme &lightIC = KelvoTheme::lightIncreasedContrast,
                   &darkIC = KelvoTheme::darkIncreasedContrast;
  EXPECT_EQ(hexOf(Token::canvas, light, Family::twoColour), "#FFFFFF");
  EXPECT_EQ(hexOf(Token::canvas, light, Family::brand), "#E9E1D2");
  EXPECT_EQ(hexOf(Token::destructive, darkIC, Family::brand), "#FF8A84");
  EXPECT_EQ(hexOf(Token::destructive, dark, Family::brand), "#FF6961");
  EXPECT_EQ(hexOf(Token::placeholderLabel, lightIC, Family::twoColour), "#444444");
  EXPECT_EQ(hexOf(Token::sidebarAccentLabel, lightIC, Family::brand), "#5A2607");
  EXPECT_EQ(hexOf(Token::typeDocument, darkIC, Family::brand), "#B3A487");
  EXPECT_EQ(hexOf(Token::kindBandFact, dark, Family::brand), "#332A1D");
  EXPECT_EQ(hexOf(Token::tileHighlight, dark, Family::twoColour), "#545456");
  EXPECT_EQ(hexOf(Token::onboardingEmber, light, Family::twoColour), "#35100C");
}

TEST(KelvoPaletteTest, FamiliesShareTheTokensTheyHandEachOther) {
  EXPECT_EQ(allCases<Family>(), (std::array{Family::twoColour, Family::brand}));
  EXPECT_FALSE(fromRawValue<Family>("twocolour"));
  const auto& added = KelvoPalette::addedWithTwoColours();
  EXPECT_EQ(added, (std::set<Token>{Token::raisedSurface, Token::destructive, Token::onDestructive,
                                    Token::tileSurface, Token::tileHighlight}));
  const auto& outside = KelvoPalette::outsideTheFamily();
  EXPECT_EQ(outside.size(), 8u);

  for (const Token token : allCases<Token>()) {
    const bool brandOnly = outside.contains(token) && token != Token::destructive;
    for (std::size_t i = 0; i < 4; ++i) {
      const KelvoTheme& theme = KelvoTheme::all[i];
      const SRGB brand = KelvoPalette::value(token, theme, Family::brand);
      const SRGB twoColour = KelvoPalette::value(token, theme, Family::twoColour);
      // The platform never changes a colour.
      EXPECT_EQ(brand, KelvoPalette::value(token, KelvoTheme::mac[i], Family::brand));
      EXPECT_EQ(twoColour, KelvoPalette::value(token, KelvoTheme::mac[i], Family::twoColour));
      if (added.contains(token) || brandOnly) {
        EXPECT_EQ(brand, twoColour) << rawValue(token);
      }
      // Brand tokens never depend on the theme.
      if (brandOnly) {
        EXPECT_EQ(brand, KelvoPalette::value(token, KelvoTheme::light, Family::brand));
      }
    }
  }
  EXPECT_EQ(hexOf(Token::brandKelvoMid, KelvoTheme::darkIncreasedContrast, Family::twoColour),
            "#F57A1F");
}

TEST(KelvoPaletteTest, DesignedValuesAndLegacyOliveAccent) {
  EXPECT_EQ(KelvoPalette::designedValue(Token::typeImage), SRGB::fromHex("#C3603F"));
  EXPECT_FALSE(KelvoPalette::designedValue(Token::accent));
  int designed = 0, olive = 0;
  for (const Token token : allCases<Token>()) {
    designed += KelvoPalette::designedValue(token).has_value();
    olive += KelvoPalette::legacyOliveAccent(token, KelvoTheme::light).has_value();
  }
  EXPECT_EQ(designed, 4);
  EXPECT_EQ(olive, 7);
  EXPECT_EQ(KelvoPalette::legacyOliveAccent(Token::accent, KelvoTheme::light)->hexString(),
            "#4D6B3D");
  EXPECT_EQ(KelvoPalette::legacyOliveAccent(Token::accentWash,
                                            KelvoTheme::dark.on(KelvoTheme::Platform::mac))
                ->hexString(),
            "#2E3026");
}

TEST(KelvoPaletteDeathTest, AValueThatIsNoTokenIsAProgrammingError) {
  EXPECT_DEATH(KelvoPalette::value(static_cast<Token>(63), KelvoTheme::light, Family::brand),
               "not a colour token");
}

}  // namespace
}  // namespace kelvo
