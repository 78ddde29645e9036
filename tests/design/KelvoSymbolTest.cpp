#include "core/design/KelvoSymbol.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(KelvoSymbolTest, AllowlistAndForbiddenSpellings) {
  EXPECT_EQ(KelvoSymbol::disclosure, "chevron.forward");
  EXPECT_EQ(KelvoSymbol::expanded, KelvoSymbol::menu);
  const auto& allowed = KelvoSymbol::allowlist();
  EXPECT_EQ(allowed.size(), 6u);
  for (const std::string_view name : KelvoSymbol::directional) EXPECT_TRUE(allowed.contains(name));
  EXPECT_TRUE(allowed.contains("xmark.circle.fill"));
  for (const std::string_view name : KelvoSymbol::nonMirroringSpellings) {
    EXPECT_FALSE(allowed.contains(name)) << name;
  }
}

}  // namespace
}  // namespace kelvo
