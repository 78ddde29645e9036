#include "core/guidance/OnboardingLayout.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "core/design/KelvoPalette.hpp"
#include "core/guidance/OnboardingOsselAnchor.hpp"
#include "core/guidance/OnboardingWash.hpp"

namespace kelvo {
namespace {

using L = OnboardingLayout;
using T = OnboardingTypeSize;
using I = OnboardingPage::Illustration;
constexpr auto ltr = OnboardingWritingDirection::leftToRight;
constexpr auto rtl = OnboardingWritingDirection::rightToLeft;

TEST(OnboardingLayoutTest, BandAndCopy) {
  EXPECT_EQ(L::illustrationHeight(T::standard, 340), 230);
  EXPECT_EQ(L::illustrationHeight(T::standard, 339.9), std::nullopt);
  EXPECT_EQ(L::illustrationHeight(T::large, 320), 170);
  EXPECT_EQ(L::illustrationHeight(T::large, 319.9), std::nullopt);
  EXPECT_EQ(L::illustrationHeight(T::accessibility, 1e6), std::nullopt);
  EXPECT_EQ(L::illustrationHeight(T::standard, std::nan("")), std::nullopt);
  EXPECT_EQ(L::copyCeiling(T::standard, 230), 176);
  EXPECT_EQ(L::copyCeiling(T::standard, std::nullopt), std::nullopt);
  EXPECT_EQ(L::copyCeiling(T::accessibility, 230), std::nullopt);
  EXPECT_EQ(L::composition(1000), (L::Composition{420, 290}));
  EXPECT_EQ(L::composition(420), (L::Composition{420, 0}));
  EXPECT_EQ(L::composition(-5), (L::Composition{0, 0}));
  EXPECT_EQ(L::composition(INFINITY), (L::Composition{0, 0}));
  EXPECT_EQ(horizontalSign(direction(true)), -1.0);
}

TEST(OnboardingLayoutTest, MascotStaysOnTheBand) {
  const auto copy = OnboardingOsselAnchor::anchor(I::copy);
  EXPECT_EQ(copy.scaledHeight(230), 38);
  EXPECT_EQ(copy.scaledHeight(170), 36);
  EXPECT_EQ(copy.scaledHeight(30), 30);
  EXPECT_NEAR(copy.centreY(230), 179.4, 1e-9);
  EXPECT_EQ(copy.centreY(40), 22);
  EXPECT_EQ(copy.centreY(std::nan("")), 0);

  const auto fill = OnboardingOsselAnchor::anchor(I::fill);
  EXPECT_NEAR(fill.centreX(400, 230, ltr), 375.083, 1e-3);
  EXPECT_NEAR(fill.centreX(400, 230, rtl), 24.917, 1e-3);
  EXPECT_NEAR(fill.laneInset(230), 49.833, 1e-3);
  const auto grid = OnboardingOsselAnchor::anchor(I::grid);
  EXPECT_NEAR(grid.centreX(400, 230, ltr), 27.333, 1e-3);
  const auto identity = OnboardingOsselAnchor::anchor(I::identity);
  EXPECT_EQ(identity, OnboardingOsselAnchor::anchor(I::keep));
  EXPECT_EQ(identity.centreX(400, 230, rtl), 200);
  EXPECT_EQ(identity.centreX(INFINITY, INFINITY, ltr), 0);

  const OnboardingOsselAnchor clamped(OnboardingOsselAnchor::Lane::centre, std::nan(""), -4,
                                      Ossel::Expression::idle);
  EXPECT_EQ(clamped.verticalFraction(), 0);
  EXPECT_EQ(clamped.height(), 1);
}

TEST(OnboardingLayoutTest, Wash) {
  const OnboardingWash::Layer odd(KelvoColorToken::accentWash, 1.4, -0.2, -1);
  EXPECT_EQ(odd.opacity(), 1);
  EXPECT_EQ(odd.centreY(), 0);
  EXPECT_EQ(odd.radiusFraction(), 0);
  const auto& light = OnboardingWash::layers(KelvoTheme::Appearance::light);
  const auto& dark = OnboardingWash::layers(KelvoTheme::Appearance::dark);
  ASSERT_EQ(light.size(), 1u);
  ASSERT_EQ(dark.size(), 2u);
  EXPECT_EQ(dark[1], OnboardingWash::Layer(KelvoColorToken::accentGlow, 0.07, 0.2, 0.42));
  EXPECT_NEAR(OnboardingWash::radius(1024, 768, light[0]), 634.88, 1e-9);
  EXPECT_NEAR(OnboardingWash::radius(390, 844, dark[0]), 590.8, 1e-9);
  EXPECT_EQ(OnboardingWash::radius(NAN, -1, dark[0]), 0);

  const auto mix = [](SRGB base, SRGB over, double a) {
    return SRGB(base.red() + (over.red() - base.red()) * a,
                base.green() + (over.green() - base.green()) * a,
                base.blue() + (over.blue() - base.blue()) * a);
  };
  for (const KelvoTheme& theme :
       {KelvoTheme::light, KelvoTheme::dark, KelvoTheme::light.on(KelvoTheme::Platform::mac),
        KelvoTheme::dark.on(KelvoTheme::Platform::mac)}) {
    const auto colour = [&](KelvoColorToken token) {
      return KelvoPalette::value(token, theme, KelvoPaletteFamily::brand);
    };
    SRGB expected =
        mix(colour(KelvoColorToken::groupedSurface), colour(KelvoColorToken::accentWash),
            theme.appearance == KelvoTheme::Appearance::light ? 0.55 : 0.5);
    if (theme.appearance == KelvoTheme::Appearance::dark) {
      expected = mix(expected, colour(KelvoColorToken::accentGlow), 0.07);
    }
    EXPECT_EQ(OnboardingWash::brightestBackground(theme), expected);
  }
}

}  // namespace
}  // namespace kelvo
