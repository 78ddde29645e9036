#include <gtest/gtest.h>

#include <limits>
#include <map>
#include <unordered_set>

#include "core/design/AppearancePreference.hpp"
#include "core/design/CaptureAttachOption.hpp"
#include "core/design/KelvoColorToken.hpp"
#include "core/design/KelvoIcon.hpp"
#include "core/design/KelvoIconAsset.hpp"
#include "core/design/KelvoPalette.hpp"
#include "core/design/KelvoSymbol.hpp"
#include "core/design/KelvoTheme.hpp"
#include "core/design/KelvoTileHue.hpp"
#include "core/design/Ossel.hpp"
#include "core/design/OsselAnticPolicy.hpp"
#include "tests/support/RawValuesTests.hpp"

namespace kelvo::testing {
using DesignEnumerations =
    ::testing::Types<AppearancePreference, CaptureAttachOption, KelvoColorToken, KelvoIcon,
                     KelvoIconWeight, KelvoPaletteFamily, KelvoTileHue, Ossel::Detail,
                     Ossel::Expression>;
INSTANTIATE_TYPED_TEST_SUITE_P(Design, RawValuesTest, DesignEnumerations);
}  // namespace kelvo::testing

namespace kelvo {
namespace {

TEST(KelvoColorTokenTest, SixtyThreeTokensInDeclarationOrder) {
  const auto& tokens = allCases<KelvoColorToken>();
  ASSERT_EQ(tokens.size(), 63u);
  EXPECT_EQ(tokens.front(), KelvoColorToken::canvas);
  EXPECT_EQ(tokens[23], KelvoColorToken::accent);
  EXPECT_EQ(tokens[45], KelvoColorToken::tileSurface);
  EXPECT_EQ(tokens.back(), KelvoColorToken::kindBandFact);
  EXPECT_EQ(rawValue(KelvoColorToken::sidebarSelectionWash), "sidebarSelectionWash");
  for (const char* text : {"CardSurface", "cardsurface", "cardSurface ", "", "kindBand"}) {
    EXPECT_FALSE(fromRawValue<KelvoColorToken>(text)) << text;
  }
}

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
  EXPECT_EQ(inlineWeight(KelvoIcon::remindersDue), KelvoIconWeight::fill);
  EXPECT_EQ(inlineWeight(KelvoIcon::home), KelvoIconWeight::regular);
  EXPECT_EQ(tileWeight(KelvoIcon::home), KelvoIconWeight::fill);

  std::map<KelvoTileHue, int> hues;
  int filled = 0;
  for (const KelvoIcon icon : allCases<KelvoIcon>()) {
    ++hues[tileHue(icon)];
    filled += inlineWeight(icon) == KelvoIconWeight::fill;
  }
  EXPECT_EQ(filled, 8);
  // Column totals of the table in hue order, so a shifted row shows.
  const int totals[] = {16, 7, 21, 5, 8, 6, 33, 6, 7, 52};
  for (std::size_t i = 0; i < 10; ++i) {
    EXPECT_EQ(hues[allCases<KelvoTileHue>()[i]], totals[i]) << i;
  }
}

TEST(KelvoIconTest, AssetNamesPathsAndTheFetchList) {
  EXPECT_EQ(assetName(KelvoIcon::home, KelvoIconWeight::regular), "ph-house");
  EXPECT_EQ(assetName(KelvoIcon::home, KelvoIconWeight::bold), "ph-house-bold");
  EXPECT_EQ((KelvoIconAsset{"house", KelvoIconWeight::bold}).path(), "assets/bold/house-bold.svg");
  EXPECT_EQ((KelvoIconAsset{"house", KelvoIconWeight::regular}).path(), "assets/regular/house.svg");

  EXPECT_EQ(kelvoIconGlyphs().size(), 138u);
  const auto list = kelvoIconFetchList();
  ASSERT_EQ(list.size(), 552u);
  EXPECT_EQ(list[0].assetName(), "ph-archive");
  EXPECT_EQ(list[3].assetName(), "ph-archive-fill");
  EXPECT_EQ(list.back().path(), "assets/fill/x-fill.svg");
  for (std::size_t i = 1; i < list.size(); ++i) {
    EXPECT_LT(list[i - 1].assetName(), list[i].assetName());
  }
  const auto names = kelvoIconAssetNames();
  EXPECT_EQ(names.size(), 552u);
  EXPECT_TRUE(names.contains(assetName(KelvoIcon::devices, KelvoIconWeight::duotone)));
}

TEST(KelvoTileHueTest, TenHuesWithTheirColoursPerAppearance) {
  using Appearance = KelvoTheme::Appearance;
  const auto& hues = allCases<KelvoTileHue>();
  ASSERT_EQ(hues.size(), 10u);
  EXPECT_EQ(rawValue(hues[7]), "teal");
  EXPECT_FALSE(fromRawValue<KelvoTileHue>("Kelvo"));

  EXPECT_EQ(hex(KelvoTileHue::kelvo, Appearance::light), "#A86B00");
  EXPECT_EQ(highlightHex(KelvoTileHue::kelvo, Appearance::dark), "#CE8200");
  EXPECT_EQ(hex(KelvoTileHue::pink, Appearance::dark), "#E8427F");
  EXPECT_EQ(highlightHex(KelvoTileHue::teal, Appearance::light), "#099EA6");
  EXPECT_EQ(highlight(KelvoTileHue::teal, Appearance::light), SRGB::fromHex("#099EA6"));
  EXPECT_EQ(glyph(KelvoTileHue::pink, Appearance::dark), SRGB(1, 1, 1));

  for (const KelvoTileHue hue : hues) {
    for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
      // Every hex parses, and the highlight is the lighter of the two.
      EXPECT_GT(highlight(hue, appearance).relativeLuminance(),
                base(hue, appearance).relativeLuminance())
          << rawValue(hue);
      EXPECT_EQ(base(hue, appearance), SRGB::fromHex(hex(hue, appearance))) << rawValue(hue);
    }
  }
}

TEST(KelvoSymbolTest, AllowlistAndForbiddenSpellings) {
  EXPECT_EQ(KelvoSymbol::disclosure, "chevron.forward");
  const auto& allowed = KelvoSymbol::allowlist();
  EXPECT_EQ(allowed.size(), 6u);
  for (const std::string_view name : KelvoSymbol::directional) EXPECT_TRUE(allowed.contains(name));
  EXPECT_TRUE(allowed.contains("xmark.circle.fill"));
  for (const std::string_view name : KelvoSymbol::nonMirroringSpellings) {
    EXPECT_FALSE(allowed.contains(name)) << name;
  }
}

TEST(KelvoThemeTest, StaticThemesTheirOrderAndHashes) {
  ASSERT_EQ(KelvoTheme::all.size(), 4u);
  EXPECT_EQ(KelvoTheme::all[2], KelvoTheme::lightIncreasedContrast);
  EXPECT_EQ(KelvoTheme::all[3],
            (KelvoTheme{KelvoTheme::Appearance::dark, true, KelvoTheme::Platform::touch}));
  EXPECT_EQ(KelvoTheme::everyPlatform[5], KelvoTheme::all[1].on(KelvoTheme::Platform::mac));
  // Equality and hash cover every field.
  const std::unordered_set<KelvoTheme> themes(KelvoTheme::everyPlatform.begin(),
                                              KelvoTheme::everyPlatform.end());
  EXPECT_EQ(themes.size(), 8u);
}

using Detail = Ossel::Detail;
using Expression = Ossel::Expression;

TEST(OsselTest, ProportionsAndDetail) {
  EXPECT_DOUBLE_EQ(Ossel::height(29), 36);
  EXPECT_EQ(Ossel::detail(60), Detail::full);
  EXPECT_EQ(Ossel::detail(59.99), Detail::simplified);
  EXPECT_EQ(Ossel::detail(36), Detail::simplified);
  EXPECT_EQ(Ossel::detail(35.9), Detail::minimal);
  EXPECT_EQ(Ossel::detail(std::numeric_limits<double>::quiet_NaN()), Detail::minimal);
  EXPECT_EQ(Ossel::detail(std::numeric_limits<double>::infinity()), Detail::full);
  EXPECT_FALSE(showsMouth(Detail::minimal));
  EXPECT_FALSE(showsHighlight(Detail::simplified));
}

TEST(OsselTest, Expressions) {
  const auto& expressions = allCases<Expression>();
  ASSERT_EQ(expressions.size(), 6u);
  EXPECT_EQ(expressions.back(), Expression::working);
  EXPECT_FALSE(fromRawValue<Expression>("Waving"));
  EXPECT_EQ(mouthShape(Expression::winking), Ossel::MouthShape::smile);
  EXPECT_EQ(duration(Expression::waving), 1.2);
  int throttled = 0;
  for (const Expression expression : expressions) throttled += isThrottledAntic(expression);
  EXPECT_EQ(throttled, 3);
  EXPECT_NE(Ossel::Timing::leftEyeBlinkInterval, Ossel::Timing::rightEyeBlinkInterval);
}

TEST(OsselAnticPolicyTest, ThrottledAnticsWaitTenSeconds) {
  const Date start(1000);
  OsselAnticPolicy policy;
  EXPECT_EQ(policy.cooldownRemaining(start), 0.0);
  policy.record(Expression::waving, start);
  const Date soon = start + 9.9;
  EXPECT_FALSE(policy.allows(Expression::waving, soon, false));
  EXPECT_FALSE(policy.allows(Expression::winking, soon, false));
  EXPECT_NEAR(policy.cooldownRemaining(soon), 0.1, 1e-9);
  EXPECT_TRUE(policy.allows(Expression::catching, soon, false));
  EXPECT_TRUE(policy.allows(Expression::waving, start + 10, false));
  EXPECT_EQ(policy.cooldownRemaining(start + 100), 0.0);

  // Only throttled antics start a cooldown.
  OsselAnticPolicy quiet;
  for (const Expression expression :
       {Expression::idle, Expression::catching, Expression::working}) {
    quiet.record(expression, start);
    EXPECT_EQ(quiet, OsselAnticPolicy{}) << rawValue(expression);
  }
}

TEST(OsselAnticPolicyTest, TypingRefusesAllButIdle) {
  const OsselAnticPolicy policy;
  const Date now(0);
  EXPECT_TRUE(policy.allows(Expression::idle, now, true));
  for (const Expression expression :
       {Expression::waving, Expression::catching, Expression::bouncing, Expression::working}) {
    EXPECT_FALSE(policy.allows(expression, now, true)) << rawValue(expression);
    EXPECT_TRUE(policy.allows(expression, now, false)) << rawValue(expression);
  }
}

}  // namespace
}  // namespace kelvo
