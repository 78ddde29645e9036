#include "widgets/WidgetStyle.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/design/KelvoPalette.hpp"

namespace kelvo {
namespace {

using widgetkit::Appearance;
using widgetkit::AppearanceName;
using widgetkit::View;

TEST(WidgetStyleTest, EachAppearanceNameGivesItsThemeAndOpaqueColours) {
  EXPECT_EQ(widgetTheme(Appearance(AppearanceName::darkAqua)), KelvoTheme::dark);
  EXPECT_EQ(widgetTheme(Appearance(AppearanceName::accessibilityHighContrastAqua)),
            KelvoTheme::lightIncreasedContrast);
  // An appearance that matches none of the four is drawn as aqua.
  EXPECT_EQ(widgetTheme(Appearance(std::string("vibrantDark"))), KelvoTheme::light);

  const Appearance dark(AppearanceName::accessibilityHighContrastDarkAqua);
  const SRGB expected = KelvoPalette::value(
      KelvoColorToken::hairline, KelvoTheme::darkIncreasedContrast, KelvoPaletteFamily::twoColour);
  EXPECT_EQ(widgetColor(KelvoColorToken::hairline).resolved(dark),
            (widgetkit::RGBA{expected.red(), expected.green(), expected.blue(), 1}));
}

TEST(WidgetStyleTest, TileBorderIsOneDevicePixelAndNeverThickerThanAPoint) {
  EXPECT_EQ(WidgetTile::borderWidth(3), 1.0 / 3);
  EXPECT_EQ(WidgetTile::borderWidth(1), 1);
  for (const double odd : {0.5, 0.0, -2.0, std::nan("")}) {
    EXPECT_EQ(WidgetTile::borderWidth(odd), 1) << odd;
  }

  // Fill, then the rounded clip, then the border over it.
  const View tile = WidgetTile{2}.body(View::spacer());
  const auto* border = tile.as<View::Border>();
  ASSERT_TRUE(border);
  EXPECT_EQ(border->stroke.lineWidth, 0.5);
  EXPECT_EQ(border->shape.cornerRadius, 12);
  const View& clipped = tile.children().front();
  ASSERT_TRUE(clipped.as<View::Clip>());
  EXPECT_TRUE(clipped.children().front().as<View::Background>());

  // The surface is the container background from version 14, a plain background before.
  EXPECT_TRUE(WidgetSurface{}.body(View::spacer()).as<View::ContainerBackground>());
  const View earlier = WidgetSurface{}.body(View::spacer(), 13);
  ASSERT_TRUE(earlier.as<View::Background>());
  EXPECT_TRUE(earlier.as<View::Background>()->ignoresSafeArea);
}

}  // namespace
}  // namespace kelvo
