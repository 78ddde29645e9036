#include "core/model/CardType.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(CardTypeTest, RawValuesMatchExactly) {
  EXPECT_EQ(fromRawValue<CardType>("document"), CardType::document);
  for (const char* text : {"Text", "", " text", "video"}) {
    EXPECT_FALSE(fromRawValue<CardType>(text)) << text;
  }
  // A value from outside the enumeration has no raw value rather than reading past the table.
  EXPECT_EQ(rawValue(static_cast<CardType>(9)), "");
}

TEST(CardTypeTest, LabelsAndVariables) {
  EXPECT_EQ(badgeLabel(CardType::document), "Doc");
  EXPECT_EQ(pluralLabel(CardType::document), "Docs");
  EXPECT_EQ(accessibilityName(CardType::document), "Document");
  EXPECT_EQ(pluralLabel(CardType::text), "Text");
  EXPECT_EQ(accessibilityName(CardType::text), "Text snippet");
  EXPECT_EQ(pluralLabel(CardType::fact), "Facts");
  for (CardType type : allCases<CardType>()) {
    EXPECT_NE(tileLayout(type), CardTileLayout::link);
    EXPECT_EQ(supportsVariables(type), type == CardType::text);
  }
}

}  // namespace
}  // namespace kelvo
