#include "core/design/KelvoTheme.hpp"

#include <gtest/gtest.h>

#include <unordered_set>

namespace kelvo {
namespace {

using Platform = KelvoTheme::Platform;

TEST(KelvoThemeTest, StaticThemesTheirOrderAndHashes) {
  ASSERT_EQ(KelvoTheme::all.size(), 4u);
  EXPECT_EQ(KelvoTheme::all[2], KelvoTheme::lightIncreasedContrast);
  EXPECT_EQ(KelvoTheme::all[3], (KelvoTheme{KelvoTheme::Appearance::dark, true, Platform::touch}));
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(KelvoTheme::mac[i], KelvoTheme::all[i].on(Platform::mac));
    EXPECT_EQ(KelvoTheme::everyPlatform[i], KelvoTheme::all[i]);
    EXPECT_EQ(KelvoTheme::everyPlatform[i + 4], KelvoTheme::mac[i]);
  }
  // Equality and hash cover every field.
  const std::unordered_set<KelvoTheme> themes(KelvoTheme::everyPlatform.begin(),
                                              KelvoTheme::everyPlatform.end());
  EXPECT_EQ(themes.size(), 8u);
}

}  // namespace
}  // namespace kelvo
