#include "core/model/CardType.hpp"

#include <gtest/gtest.h>

#include <set>

#include "core/design/KelvoColorToken.hpp"
#include "core/design/KelvoIcon.hpp"

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
  for (const char* text : {"Text", "", " text", "video"}) {
    EXPECT_FALSE(fromRawValue<CardType>(text)) << text;
  }
  // A value from outside the enumeration has no raw value rather than reading past the table.
  EXPECT_EQ(rawValue(static_cast<CardType>(9)), "");
}

TEST(CardTypeTest, LabelsLayoutBytesAndVariables) {
  EXPECT_EQ(badgeLabel(CardType::document), "Doc");
  EXPECT_EQ(pluralLabel(CardType::document), "Docs");
  EXPECT_EQ(accessibilityName(CardType::document), "Document");
  EXPECT_EQ(pluralLabel(CardType::text), "Text");
  EXPECT_EQ(accessibilityName(CardType::text), "Text snippet");
  EXPECT_EQ(pluralLabel(CardType::fact), "Facts");

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

TEST(CardTypeTest, ColoursAndIconsStandTogetherInTypeOrder) {
  const auto cases = allCases<CardType>();
  const auto at = [](auto value) { return static_cast<std::size_t>(value); };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(at(tint(cases[i])), at(KelvoColorToken::typeText) + i);
    EXPECT_EQ(at(stripeToken(cases[i])), at(KelvoColorToken::kindStripeText) + i);
    EXPECT_EQ(at(bandToken(cases[i])), at(KelvoColorToken::kindBandText) + i);
    EXPECT_EQ(at(icon(cases[i])), at(KelvoIcon::textCard) + i);
  }
}

TEST(CardTileLayoutTest, ThumbnailsAndRawValues) {
  const auto cases = allCases<CardTileLayout>();
  ASSERT_EQ(cases.size(), 6u);
  EXPECT_EQ(rawValue(cases.back()), "link");
  // Exactly the link, hero and page tiles show a thumbnail.
  for (CardTileLayout layout : cases) {
    EXPECT_EQ(showsThumbnail(layout), layout == CardTileLayout::link ||
                                          layout == CardTileLayout::hero ||
                                          layout == CardTileLayout::page);
  }
}

}  // namespace
}  // namespace kelvo
