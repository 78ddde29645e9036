#include "core/model/CardType.hpp"

#include <gtest/gtest.h>

#include <set>

namespace kelvo {
namespace {

TEST(CardTypeTest, RawValuesMatchExactlyAndInDeclarationOrder) {
  const auto cases = allCases<CardType>();
  ASSERT_EQ(cases.size(), 5u);
  const char* raw[] = {"text", "image", "file", "document", "fact"};
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(rawValue(cases[i]), raw[i]);
    EXPECT_EQ(fromRawValue<CardType>(raw[i]), cases[i]);
  }
  for (const char* text : {"Text", "doc", "", " text", "text ", "TEXT", "video"}) {
    EXPECT_FALSE(fromRawValue<CardType>(text)) << text;
  }
  EXPECT_EQ(fromRawValue<CardType>("document"), CardType::document);
  // A value from outside the enumeration has no raw value rather than reading past the table.
  EXPECT_EQ(rawValue(static_cast<CardType>(9)), "");
}

TEST(CardTypeTest, LabelsDifferPerUse) {
  EXPECT_EQ(badgeLabel(CardType::document), "Doc");
  EXPECT_EQ(badgeLabel(CardType::fact), "Fact");
}

TEST(CardTypeTest, LayoutBytesAndVariables) {
  std::set<CardTileLayout> layouts;
  for (CardType type : allCases<CardType>()) {
    layouts.insert(tileLayout(type));
    EXPECT_NE(tileLayout(type), CardTileLayout::link);
    EXPECT_EQ(supportsVariables(type), type == CardType::text);
  }
  EXPECT_EQ(layouts.size(), 5u);
  EXPECT_EQ(tileLayout(CardType::image), CardTileLayout::hero);
  EXPECT_EQ(tileLayout(CardType::document), CardTileLayout::page);
  EXPECT_FALSE(carriesBytes(CardType::text));
  EXPECT_FALSE(carriesBytes(CardType::fact));
  EXPECT_TRUE(carriesBytes(CardType::image) && carriesBytes(CardType::file) &&
              carriesBytes(CardType::document));
  EXPECT_EQ(CardTypeLimits::textPayloadLimit, 20'000);
  EXPECT_EQ(CardTypeLimits::textPayloadCounterThreshold, 18'000);
}

TEST(CardTileLayoutTest, ThumbnailsAndRawValues) {
  const auto cases = allCases<CardTileLayout>();
  ASSERT_EQ(cases.size(), 6u);
  EXPECT_EQ(rawValue(cases.back()), "link");
  EXPECT_TRUE(showsThumbnail(CardTileLayout::link));
  EXPECT_TRUE(showsThumbnail(CardTileLayout::hero));
  EXPECT_TRUE(showsThumbnail(CardTileLayout::page));
  EXPECT_FALSE(showsThumbnail(CardTileLayout::attachment));
  EXPECT_FALSE(showsThumbnail(CardTileLayout::snippet));
  EXPECT_FALSE(showsThumbnail(CardTileLayout::value));
  EXPECT_EQ(fromRawValue<CardTileLayout>("attachment"), CardTileLayout::attachment);
}

}  // namespace
}  // namespace kelvo
