#include "core/model/CardType.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <set>

#include "core/design/KelvoColorToken.hpp"
#include "core/design/KelvoIcon.hpp"
#include "core/model/CardSyncState.hpp"
#include "core/model/FactKind.hpp"
#include "platform/foundation/JSONReader.hpp"

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
  EXPECT_EQ(pluralLabel(CardType::document), "Docs");
  EXPECT_EQ(accessibilityName(CardType::document), "Document");
  EXPECT_EQ(pluralLabel(CardType::text), "Text");
  EXPECT_EQ(accessibilityName(CardType::text), "Text snippet");
  EXPECT_EQ(pluralLabel(CardType::image), "Images");
  EXPECT_EQ(pluralLabel(CardType::file), "Files");
  EXPECT_EQ(pluralLabel(CardType::fact), "Facts");
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

TEST(CardTypeTest, ColoursAndIconsStandTogetherInTypeOrder) {
  const auto cases = allCases<CardType>();
  const auto at = [](auto value) { return static_cast<std::size_t>(value); };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(at(tint(cases[i])), at(KelvoColorToken::typeText) + i);
    EXPECT_EQ(at(stripeToken(cases[i])), at(KelvoColorToken::kindStripeText) + i);
    EXPECT_EQ(at(bandToken(cases[i])), at(KelvoColorToken::kindBandText) + i);
    EXPECT_EQ(at(icon(cases[i])), at(KelvoIcon::textCard) + i);
  }
  EXPECT_EQ(tint(CardType::fact), KelvoColorToken::typeFact);
  EXPECT_EQ(bandToken(CardType::document), KelvoColorToken::kindBandDocument);
  EXPECT_EQ(icon(CardType::image), KelvoIcon::imageCard);
}

TEST(CardTypeTest, CodedAsItsRawValueAndStrictWhenRead) {
  Json record;
  record["type"] = rawValue(CardType::document);
  record["kind"] = rawValue(FactKind::idNumber);
  record["sync"] = rawValue(CardSyncState::pendingPush);
  EXPECT_EQ(json::write(record), R"({"kind":"idNumber","sync":"pendingPush","type":"document"})");
  const JSONReader reader(record);
  EXPECT_EQ(reader["type"].rawValue(RawValues<CardType>::table, "CardType"), CardType::document);
  EXPECT_EQ(reader["kind"].rawValue(RawValues<FactKind>::table, "FactKind"), FactKind::idNumber);

  const Json video = json::parse(R"({"type":"video"})");
  try {
    JSONReader(video)["type"].rawValue(RawValues<CardType>::table, "CardType");
    ADD_FAILURE() << "an unknown card type decoded";
  } catch (const DecodingError& error) {
    EXPECT_EQ(error.kind(), DecodingError::Kind::dataCorrupted);
    EXPECT_EQ(error.codingPathText(), "type");
  }
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
