#include "core/design/KelvoTheme.hpp"

#include <gtest/gtest.h>

#include <unordered_set>

namespace kelvo {
namespace {

using Appearance = KelvoTheme::Appearance;
using Platform = KelvoTheme::Platform;

TEST(KelvoThemeTest, StaticThemesAndTheirOrder) {
  EXPECT_EQ(KelvoTheme::light, (KelvoTheme{Appearance::light, false, Platform::touch}));
  EXPECT_EQ(KelvoTheme::dark, (KelvoTheme{Appearance::dark, false, Platform::touch}));
  EXPECT_EQ(KelvoTheme::lightIncreasedContrast,
            (KelvoTheme{Appearance::light, true, Platform::touch}));
  EXPECT_EQ(KelvoTheme::darkIncreasedContrast,
            (KelvoTheme{Appearance::dark, true, Platform::touch}));

  ASSERT_EQ(KelvoTheme::all.size(), 4u);
  EXPECT_EQ(KelvoTheme::all[1], KelvoTheme::dark);
  EXPECT_EQ(KelvoTheme::all[2], KelvoTheme::lightIncreasedContrast);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(KelvoTheme::mac[i], KelvoTheme::all[i].on(Platform::mac));
    EXPECT_EQ(KelvoTheme::mac[i].platform, Platform::mac);
    EXPECT_EQ(KelvoTheme::everyPlatform[i], KelvoTheme::all[i]);
    EXPECT_EQ(KelvoTheme::everyPlatform[i + 4], KelvoTheme::mac[i]);
    EXPECT_EQ(KelvoTheme::mac[i].on(Platform::touch), KelvoTheme::all[i]);
  }
}

TEST(KelvoThemeTest, EqualityAndHashCoverEveryField) {
  const std::unordered_set<KelvoTheme> themes(KelvoTheme::everyPlatform.begin(),
                                              KelvoTheme::everyPlatform.end());
  EXPECT_EQ(themes.size(), 8u);
  EXPECT_NE(KelvoTheme::light, KelvoTheme::light.on(Platform::mac));
  EXPECT_NE(KelvoTheme::light, KelvoTheme::lightIncreasedContrast);
}

}  // namespace
}  // namespace kelvo
