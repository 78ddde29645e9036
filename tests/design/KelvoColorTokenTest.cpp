#include "core/design/KelvoColorToken.hpp"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace kelvo
