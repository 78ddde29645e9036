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

TEST(WidgetStyleTest, EachAppearanceNameGivesItsTheme) {
  EXPECT_EQ(widgetTheme(Appearance(AppearanceName::aqua)), KelvoTheme::light);
  EXPECT_EQ(widgetTheme(Appearance(AppearanceName::darkAqua)), KelvoTheme::dark);
  EXPECT_EQ(widgetTheme(Appearance(AppearanceName::accessibilityHighContrastAqua)),
            KelvoTheme::lightIncreasedContrast);
  EXPECT_EQ(widgetTheme(Appearance(AppearanceName::accessibilityHighContrastDarkAqua)),
            KelvoTheme::darkIncreasedContrast);
  // An appearance that matches none of the four is drawn as aqua.
  EXPECT_EQ(widgetTheme(Appearance(std::string("vibrantDark"))), KelvoTheme::light);
  EXPECT_EQ(widgetTheme(Appearance(std::string(""))), KelvoTheme::light);
  // The widget stays on the touch platform.
  for (const AppearanceName name : widgetkit::allAppearanceNames()) {
    EXPECT_EQ(widgetTheme(Appearance(name)).platform, KelvoTheme::Platform::touch);
  }
}

TEST(WidgetStyleTest, ColoursComeFromTheTwoColourPaletteOpaque) {
  bool differsFromBrand = false;
  for (const KelvoColorToken token :
       {KelvoColorToken::groupedSurface, KelvoColorToken::cardSurface, KelvoColorToken::hairline,
        KelvoColorToken::accentLabel, KelvoColorToken::primaryLabel,
        KelvoColorToken::secondaryLabel}) {
    const widgetkit::Color colour = widgetColor(token);
    for (const AppearanceName name : widgetkit::allAppearanceNames()) {
      const KelvoTheme theme = widgetTheme(Appearance(name));
      const SRGB expected = KelvoPalette::value(token, theme, KelvoPaletteFamily::twoColour);
      const widgetkit::RGBA resolved = colour.resolved(Appearance(name));
      EXPECT_EQ(resolved, (widgetkit::RGBA{expected.red(), expected.green(), expected.blue(), 1}))
          << rawValue(token) << " in " << widgetkit::rawValue(name);
      differsFromBrand |= KelvoPalette::value(token, theme, KelvoPaletteFamily::brand) != expected;
    }
  }
  EXPECT_TRUE(differsFromBrand);
}

TEST(WidgetStyleTest, TileBorderIsOneDevicePixelAndNeverThickerThanAPoint) {
  EXPECT_EQ(WidgetTile::borderWidth(2), 0.5);
  EXPECT_EQ(WidgetTile::borderWidth(3), 1.0 / 3);
  EXPECT_EQ(WidgetTile::borderWidth(1), 1);
  EXPECT_EQ(WidgetTile::borderWidth(0.5), 1);
  EXPECT_EQ(WidgetTile::borderWidth(0), 1);
  EXPECT_EQ(WidgetTile::borderWidth(-2), 1);
  EXPECT_EQ(WidgetTile::borderWidth(std::nan("")), 1);

  // Fill, then the rounded clip, then the border over it.
  const View tile = WidgetTile{2}.body(View::spacer());
  const auto* border = tile.as<View::Border>();
  ASSERT_TRUE(border);
  EXPECT_EQ(border->stroke.lineWidth, 0.5);
  EXPECT_EQ(border->stroke.miterLimit, 10);
  EXPECT_EQ(border->stroke.cap, widgetkit::LineCap::butt);
  EXPECT_EQ(border->stroke.join, widgetkit::LineJoin::miter);
  EXPECT_EQ(border->shape.cornerRadius, 12);
  EXPECT_EQ(border->shape.style, widgetkit::RoundedCornerStyle::continuous);
  const View& clipped = tile.children().front();
  ASSERT_TRUE(clipped.as<View::Clip>());
  EXPECT_EQ(clipped.as<View::Clip>()->shape.cornerRadius, 12);
  const auto* fill = clipped.children().front().as<View::Background>();
  ASSERT_TRUE(fill);
  EXPECT_TRUE(fill->ignoresSafeArea);
}

TEST(WidgetStyleTest, SurfaceUsesTheContainerBackgroundFromVersionFourteen) {
  const View current = WidgetSurface{}.body(View::spacer());
  ASSERT_TRUE(current.as<View::ContainerBackground>());
  EXPECT_EQ(
      current.as<View::ContainerBackground>()->color.resolved(Appearance(AppearanceName::darkAqua)),
      widgetColor(KelvoColorToken::groupedSurface).resolved(Appearance(AppearanceName::darkAqua)));
  const View earlier = WidgetSurface{}.body(View::spacer(), 13);
  ASSERT_TRUE(earlier.as<View::Background>());
  EXPECT_TRUE(earlier.as<View::Background>()->ignoresSafeArea);
}

}  // namespace
}  // namespace kelvo
