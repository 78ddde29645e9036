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

const std::pair<Family, const char*> families[] = {{Family::brand, "brand"},
                                                   {Family::twoColour, "twoColour"}};

TEST(KelvoPaletteTest, SampleOfTheDesignedColours) {
  const KelvoTheme& light = KelvoTheme::light;
  const KelvoTheme& dark = KelvoTheme::dark;
  const KelvoTheme& lightIC = KelvoTheme::lightIncreasedContrast;
  const KelvoTheme& darkIC = KelvoTheme::darkIncreasedContrast;
  EXPECT_EQ(hexOf(Token::canvas, light, Family::twoColour), "#FFFFFF");
  EXPECT_EQ(hexOf(Token::canvas, light, Family::brand), "#E9E1D2");
  EXPECT_EQ(hexOf(Token::destructive, darkIC, Family::brand), "#FF8A84");
  EXPECT_EQ(hexOf(Token::destructive, dark, Family::brand), "#FF6961");
  EXPECT_EQ(hexOf(Token::hairline, lightIC, Family::brand), "#A9A295");
  EXPECT_EQ(hexOf(Token::cardEdgeHighlight, light, Family::brand), "#F7F0E0");
  EXPECT_EQ(hexOf(Token::placeholderLabel, lightIC, Family::twoColour), "#444444");
  EXPECT_EQ(hexOf(Token::fieldBorder, light, Family::twoColour), "#5F4E33");
  EXPECT_EQ(hexOf(Token::systemTint, lightIC, Family::brand), "#6E4500");
  EXPECT_EQ(hexOf(Token::sidebarAccentLabel, lightIC, Family::brand), "#5A2607");
  EXPECT_EQ(hexOf(Token::accentGlow, light, Family::twoColour), "#FFB366");
  EXPECT_EQ(hexOf(Token::syncLocalOnly, darkIC, Family::brand), "#B4B4B9");
  EXPECT_EQ(hexOf(Token::osselGlow, darkIC, Family::twoColour), "#AEAEB2");
  EXPECT_EQ(hexOf(Token::typeDocument, darkIC, Family::brand), "#B3A487");
  EXPECT_EQ(hexOf(Token::kindBandText, light, Family::brand), "#E8E0D0");
  EXPECT_EQ(hexOf(Token::kindBandFact, dark, Family::brand), "#332A1D");
  EXPECT_EQ(hexOf(Token::kindBandImage, darkIC, Family::twoColour), "#2A2A2C");
  EXPECT_EQ(hexOf(Token::tileHighlight, dark, Family::twoColour), "#545456");
  EXPECT_EQ(hexOf(Token::onboardingEmber, light, Family::twoColour), "#35100C");
  for (const KelvoTheme& theme : KelvoTheme::everyPlatform) {
    for (const auto& [family, name] : families) {
      EXPECT_EQ(hexOf(Token::brandKelvoMid, theme, family), "#F57A1F") << name;
    }
  }
}

TEST(KelvoPaletteTest, EveryTokenResolvesAndThePlatformChangesNothing) {
  for (const Token token : allCases<Token>()) {
    for (const auto& [family, name] : families) {
      for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(KelvoPalette::value(token, KelvoTheme::all[i], family),
                  KelvoPalette::value(token, KelvoTheme::mac[i], family))
            << rawValue(token) << " " << name;
      }
    }
  }
}

TEST(KelvoPaletteTest, FamiliesShareTheTokensTheyHandEachOther) {
  const auto& added = KelvoPalette::addedWithTwoColours();
  EXPECT_EQ(added, (std::set<Token>{Token::raisedSurface, Token::destructive, Token::onDestructive,
                                    Token::tileSurface, Token::tileHighlight}));
  const auto& outside = KelvoPalette::outsideTheFamily();
  EXPECT_EQ(outside.size(), 8u);
  EXPECT_TRUE(outside.contains(Token::destructive));
  EXPECT_TRUE(outside.contains(Token::onboardingNavy));
  EXPECT_FALSE(outside.contains(Token::onDestructive));

  for (const Token token : allCases<Token>()) {
    const bool shared =
        added.contains(token) || (outside.contains(token) && token != Token::destructive);
    for (const KelvoTheme& theme : KelvoTheme::all) {
      const SRGB brand = KelvoPalette::value(token, theme, Family::brand);
      const SRGB twoColour = KelvoPalette::value(token, theme, Family::twoColour);
      if (shared) {
        EXPECT_EQ(brand, twoColour) << rawValue(token);
      }
      // Brand tokens never depend on the theme.
      if (outside.contains(token) && token != Token::destructive) {
        EXPECT_EQ(brand, KelvoPalette::value(token, KelvoTheme::light, Family::brand));
      }
    }
  }
}

// Holds the transcribed table to the design rules it was derived from.
TEST(KelvoPaletteTest, DerivedTokensFollowTheirSources) {
  const std::pair<Token, Token> kinds[] = {{Token::typeText, Token::kindBandText},
                                           {Token::typeImage, Token::kindBandImage},
                                           {Token::typeFile, Token::kindBandFile},
                                           {Token::typeDocument, Token::kindBandDocument},
                                           {Token::typeFact, Token::kindBandFact}};
  for (const KelvoTheme& theme : KelvoTheme::everyPlatform) {
    for (const auto& [family, name] : families) {
      const auto value = [&](Token token) { return KelvoPalette::value(token, theme, family); };
      const SRGB card = value(Token::cardSurface);
      for (const auto& [kind, band] : kinds) {
        const auto expected = SRGB::fromHex(SRGB::blended(value(kind), card, 0.08).hexString());
        EXPECT_EQ(value(band), expected) << rawValue(band) << " " << name;
        const auto stripe =
            static_cast<Token>(static_cast<int>(kind) + static_cast<int>(Token::kindStripeText) -
                               static_cast<int>(Token::typeText));
        EXPECT_EQ(value(stripe), value(kind)) << rawValue(stripe) << " " << name;
      }
      EXPECT_EQ(value(Token::sidebarHeadingLabel), value(Token::sidebarLabel));
      EXPECT_EQ(value(Token::sidebarGlyph), value(Token::sidebarSecondaryLabel));
      EXPECT_EQ(value(Token::sidebarSelectionBar), value(Token::accent));
      if (family == Family::twoColour) {
        EXPECT_EQ(value(Token::canvas), value(Token::contentCanvas));
        EXPECT_EQ(value(Token::cardEdgeHighlight), value(Token::hairline));
        EXPECT_EQ(value(Token::sidebarAccentLabel), value(Token::accentLabel));
        EXPECT_EQ(value(Token::sidebarSelectionWash), value(Token::raisedSurface));
        EXPECT_EQ(value(Token::accentWash), value(Token::raisedSurface));
        EXPECT_EQ(value(Token::accentGradientTop), value(Token::accent));
        EXPECT_EQ(value(Token::accentGradientBottom), value(Token::accent));
        EXPECT_EQ(value(Token::syncError), value(Token::primaryLabel));
        for (const Token follower :
             {Token::syncSynced, Token::syncSyncing, Token::syncLocalOnly, Token::typeText,
              Token::typeImage, Token::typeFile, Token::typeDocument, Token::typeFact}) {
          EXPECT_EQ(value(follower), value(Token::secondaryLabel)) << rawValue(follower);
        }
      } else if (theme.appearance == KelvoTheme::Appearance::dark) {
        const SRGB wash = SRGB::blended(*SRGB::fromHex("#FFB84D"), *SRGB::fromHex("#2C2C2E"), 0.25);
        EXPECT_EQ(value(Token::sidebarSelectionWash), SRGB::fromHex(wash.hexString()));
        EXPECT_EQ(value(Token::accent), SRGB::fromHex("#FFB84D"));
        EXPECT_EQ(value(Token::sidebarSurface), SRGB::fromHex("#2C2C2E"));
        for (const Token handed : {Token::systemTint, Token::tileGlyph}) {
          EXPECT_EQ(value(handed), KelvoPalette::value(handed, theme, Family::twoColour));
        }
      }
    }
  }
}

TEST(KelvoPaletteTest, DesignedValuesAndLegacyOliveAccent) {
  EXPECT_EQ(KelvoPalette::designedValue(Token::secondaryLabel), SRGB::fromHex("#8A857C"));
  EXPECT_EQ(KelvoPalette::designedValue(Token::placeholderLabel), SRGB::fromHex("#B5B0A6"));
  EXPECT_EQ(KelvoPalette::designedValue(Token::typeImage), SRGB::fromHex("#C3603F"));
  EXPECT_EQ(KelvoPalette::designedValue(Token::syncSynced), SRGB::fromHex("#4CA64C"));
  int designed = 0;
  int olive = 0;
  for (const Token token : allCases<Token>()) {
    designed += KelvoPalette::designedValue(token).has_value();
    olive += KelvoPalette::legacyOliveAccent(token, KelvoTheme::light).has_value();
  }
  EXPECT_EQ(designed, 4);
  EXPECT_EQ(olive, 7);
  EXPECT_FALSE(KelvoPalette::designedValue(Token::accent));
  EXPECT_FALSE(KelvoPalette::legacyOliveAccent(Token::canvas, KelvoTheme::light));

  const auto oliveHex = [](Token token, const KelvoTheme& theme) {
    return KelvoPalette::legacyOliveAccent(token, theme)->hexString();
  };
  EXPECT_EQ(oliveHex(Token::accent, KelvoTheme::light), "#4D6B3D");
  EXPECT_EQ(oliveHex(Token::accentLabel, KelvoTheme::light), "#3F5732");
  EXPECT_EQ(oliveHex(Token::accentLabel, KelvoTheme::lightIncreasedContrast), "#33452A");
  EXPECT_EQ(oliveHex(Token::accentLabel, KelvoTheme::darkIncreasedContrast), "#A5CA91");
  EXPECT_EQ(oliveHex(Token::onAccent, KelvoTheme::dark), "#141A0F");
  EXPECT_EQ(oliveHex(Token::accentWash, KelvoTheme::dark.on(KelvoTheme::Platform::mac)), "#2E3026");
  EXPECT_EQ(oliveHex(Token::accentGradientTop, KelvoTheme::lightIncreasedContrast), "#547543");
}

TEST(KelvoPaletteTest, FamilyRawValues) {
  EXPECT_EQ(allCases<Family>(), (std::array{Family::twoColour, Family::brand}));
  EXPECT_EQ(rawValue(Family::twoColour), "twoColour");
  EXPECT_EQ(fromRawValue<Family>("brand"), Family::brand);
  EXPECT_FALSE(fromRawValue<Family>("twocolour"));
}

TEST(KelvoPaletteDeathTest, AValueThatIsNoTokenIsAProgrammingError) {
  EXPECT_DEATH(KelvoPalette::value(static_cast<Token>(63), KelvoTheme::light, Family::brand),
               "not a colour token");
}

}  // namespace
}  // namespace kelvo
