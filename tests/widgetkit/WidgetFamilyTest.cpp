#include "platform/widgetkit/WidgetFamily.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/widgetkit/Appearance.hpp"
#include "platform/widgetkit/Color.hpp"

namespace kelvo::widgetkit {
namespace {

TEST(WidgetFamilyTest, StandardSizesAndRawValues) {
  EXPECT_EQ(displaySize(WidgetFamily::systemSmall), (Size{170, 170}));
  EXPECT_EQ(displaySize(WidgetFamily::systemMedium), (Size{364, 170}));
  ASSERT_EQ(allWidgetFamilies().size(), 4u);
  for (const WidgetFamily family : allWidgetFamilies()) {
    EXPECT_EQ(widgetFamilyFromRawValue(rawValue(family)), family);
    EXPECT_GT(displaySize(family).width, 0);
  }
  EXPECT_EQ(rawValue(WidgetFamily::systemSmall), "systemSmall");
  EXPECT_FALSE(widgetFamilyFromRawValue("small"));
}

TEST(WidgetFamilyTest, AppearancesMatchTheirOwnNameThenTheirPlainForm) {
  const auto all = {AppearanceName::darkAqua, AppearanceName::accessibilityHighContrastDarkAqua,
                    AppearanceName::aqua, AppearanceName::accessibilityHighContrastAqua};
  for (const AppearanceName name : allAppearanceNames()) {
    EXPECT_EQ(Appearance(name).bestMatch(all), name) << rawValue(name);
    EXPECT_EQ(appearanceNameFromRawValue(rawValue(name)), name);
  }
  // The order of the candidates does not matter: an exact match wins over an earlier fallback.
  const Appearance contrastDark(AppearanceName::accessibilityHighContrastDarkAqua);
  EXPECT_EQ(contrastDark.bestMatch(
                {AppearanceName::darkAqua, AppearanceName::accessibilityHighContrastDarkAqua}),
            AppearanceName::accessibilityHighContrastDarkAqua);
  EXPECT_EQ(contrastDark.bestMatch({AppearanceName::aqua, AppearanceName::darkAqua}),
            AppearanceName::darkAqua);
  // A plain appearance never matches a high-contrast name, nor light a dark one.
  EXPECT_FALSE(
      Appearance(AppearanceName::darkAqua)
          .bestMatch({AppearanceName::accessibilityHighContrastDarkAqua, AppearanceName::aqua}));
  // Names the host does not know match nothing, however close.
  for (const char* name : {"vibrantDark", "DarkAqua", ""}) {
    EXPECT_FALSE(Appearance(std::string(name)).bestMatch(all)) << name;
  }
}

TEST(WidgetFamilyTest, ColoursClampAndResolvePerAppearance) {
  EXPECT_EQ((RGBA{1.2, -0.5, 0.5, 2}).clamped(), (RGBA{1, 0, 0.5, 1}));
  EXPECT_EQ((RGBA{std::nan(""), 0, 0, 1}).clamped().red, 0);
  EXPECT_EQ((RGBA{0.0019, 0.999, 0.998, 1}).hexString(), "#00FFFE");

  int calls = 0;
  const Color dynamic = Color::dynamic([&calls](const Appearance& appearance) {
    ++calls;
    return appearance.name() == "darkAqua" ? RGBA{0, 0, 0, 1} : RGBA{1, 1, 1, 3};
  });
  EXPECT_EQ(dynamic.resolved(Appearance(AppearanceName::darkAqua)), (RGBA{0, 0, 0, 1}));
  EXPECT_EQ(dynamic.resolved(Appearance(AppearanceName::aqua)), (RGBA{1, 1, 1, 1}));
  EXPECT_EQ(calls, 2);  // asked anew for every draw
}

}  // namespace
}  // namespace kelvo::widgetkit
