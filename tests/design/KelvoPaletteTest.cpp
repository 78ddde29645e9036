#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <unordered_set>
#include <utility>

#include "core/design/KelvoPalette.hpp"
#include "core/design/SRGB.hpp"

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

SRGB hex(const char* text) {
  const auto colour = SRGB::fromHex(text);
  EXPECT_TRUE(colour) << text;
  return colour.value_or(SRGB());
}

TEST(SRGBTest, ParsesSixHexDigitsWithOrWithoutHash) {
  const SRGB colour = hex("#E9E1D2");
  EXPECT_EQ(colour, hex("e9E1d2"));
  EXPECT_DOUBLE_EQ(colour.green(), 0xE1 / 255.0);
  // A leading sign is one of the six digits.
  EXPECT_EQ(hex("+12345").hexString(), "#012345");
  EXPECT_EQ(hex("#+12345").hexString(), "#012345");
  EXPECT_EQ(hex("-00000"), SRGB());

  for (const char* text : {"", "#", "##E9E1D", "#E9E1D2FF", "#FFF", " #E9E1D2", "#E9E1D2 ", "E9E1D",
                           "E9E1DG", "0xE9E1", "-00001", "-FFFFF", "+-1234", "++1234", "1234+5",
                           "#+", "12 345", "é9E1D2", "E9E1\xD2"}) {
    EXPECT_FALSE(SRGB::fromHex(text)) << text;
  }
  // Six characters of which one is a combining mark are still not six hex digits.
  EXPECT_FALSE(SRGB::fromHex("E9E1De\xCC\x81"));
  EXPECT_FALSE(SRGB::fromHex(std::string_view("E9E1\0D", 6)));
}

TEST(SRGBTest, ComponentsClampAndPrintRounded) {
  EXPECT_EQ(SRGB(-0.5, 1.5, 0.25), SRGB(0, 1, 0.25));
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(SRGB(std::nan(""), inf, -inf).hexString(), "#00FF00");
  // -0.0 is stored as 0.0, so equal values hash alike.
  EXPECT_EQ(std::hash<SRGB>{}(SRGB(-0.0, 0, 0)), std::hash<SRGB>{}(SRGB()));
  EXPECT_EQ((std::unordered_set<SRGB>{hex("#E9E1D2"), hex("e9e1d2"), hex("#E9E1D3")}).size(), 2u);

  EXPECT_EQ(SRGB(0.5, 0, 1).hexString(), "#8000FF");  // 127.5 gives 128
  EXPECT_EQ(SRGB(127.49 / 255, 0, 0).hexString(), "#7F0000");
  EXPECT_EQ(hex("#0A1B2C").hexString(), "#0A1B2C");
}

TEST(SRGBTest, LuminanceContrastAndRequirements) {
  const SRGB black;
  const SRGB white(1, 1, 1);
  EXPECT_EQ(white.contrastRatio(black), 21.0);
  const SRGB grey = hex("#767676");
  EXPECT_NEAR(grey.contrastRatio(white), 4.54, 0.005);
  // The threshold 0.03928 belongs to the linear branch.
  EXPECT_DOUBLE_EQ(SRGB(0.03928, 0, 0).relativeLuminance(), 0.2126 * 0.03928 / 12.92);

  EXPECT_TRUE(grey.satisfies(ContrastRequirement::normalText, white));
  EXPECT_FALSE(hex("#777777").satisfies(ContrastRequirement::normalText, white));
  EXPECT_TRUE(hex("#777777").satisfies(ContrastRequirement::largeText, white));
  EXPECT_TRUE(hex("#949494").satisfies(ContrastRequirement::nonText, white));
  EXPECT_FALSE(hex("#959595").satisfies(ContrastRequirement::nonText, white));
}

TEST(SRGBTest, BlendingLaysTheForegroundOverTheBackground) {
  const SRGB front = hex("#58606E");
  const SRGB back = hex("#F4EBD8");
  EXPECT_EQ(SRGB::blended(front, back, 2), front);
  EXPECT_EQ(SRGB::blended(front, back, -1), back);
  EXPECT_EQ(SRGB::blended(front, back, std::numeric_limits<double>::quiet_NaN()), back);
  // 0x58 * 0.08 + 0xF4 * 0.92 = 231.52, which rounds to 232 (E8).
  EXPECT_EQ(SRGB::blended(front, back, 0.08).hexString(), "#E8E0D0");
}

}  // namespace
}  // namespace kelvo
