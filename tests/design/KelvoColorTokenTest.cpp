#include "core/design/KelvoColorToken.hpp"

#include <gtest/gtest.h>

#include <set>
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
  std::set<std::string_view> raw;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    EXPECT_EQ(static_cast<std::size_t>(tokens[i]), i);
    raw.insert(rawValue(tokens[i]));
    EXPECT_EQ(fromRawValue<KelvoColorToken>(rawValue(tokens[i])), tokens[i]);
  }
  EXPECT_EQ(raw.size(), 63u);
  EXPECT_EQ(rawValue(KelvoColorToken::sidebarSelectionWash), "sidebarSelectionWash");
  for (const char* text : {"CardSurface", "cardsurface", "cardSurface ", "", "kindBand"}) {
    EXPECT_FALSE(fromRawValue<KelvoColorToken>(text)) << text;
  }
}

}  // namespace
}  // namespace kelvo
