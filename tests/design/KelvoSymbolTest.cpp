#include "core/design/KelvoSymbol.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(KelvoSymbolTest, AllowlistAndForbiddenSpellings) {
  EXPECT_EQ(KelvoSymbol::disclosure, "chevron.forward");
  EXPECT_EQ(KelvoSymbol::back, "chevron.backward");
  EXPECT_EQ(KelvoSymbol::expanded, KelvoSymbol::menu);
  EXPECT_EQ(KelvoSymbol::clear, "xmark.circle.fill");
  EXPECT_EQ(KelvoSymbol::directional[0], KelvoSymbol::disclosure);
  EXPECT_EQ(KelvoSymbol::directional[3], KelvoSymbol::menu);

  const auto& allowed = KelvoSymbol::allowlist();
  EXPECT_EQ(allowed.size(), 6u);
  EXPECT_EQ(allowed.count("chevron.down"), 1u);
  for (const std::string_view name : KelvoSymbol::directional) EXPECT_TRUE(allowed.contains(name));
  EXPECT_TRUE(allowed.contains("magnifyingglass"));
  EXPECT_TRUE(allowed.contains("square.and.arrow.up"));
  for (const std::string_view name : KelvoSymbol::nonMirroringSpellings) {
    EXPECT_FALSE(allowed.contains(name)) << name;
  }
  EXPECT_EQ(KelvoSymbol::nonMirroringSpellings[1], "chevron.left");
}

}  // namespace
}  // namespace kelvo
