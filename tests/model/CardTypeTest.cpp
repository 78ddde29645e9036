#include "core/model/CardType.hpp"

#include <gtest/gtest.h>
#include "core/model/FactKind.hpp"
#include "tests/support/GermanCatalogue.hpp"

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

TEST(FactKindTest, NamesAreLocalisedExceptIDNumber) {
  testing::GermanCatalogue german({{"Email", "E-Mail"}, {"ID number", "Ausweisnummer"}});
  if (!german.installed()) GTEST_SKIP() << "no C.UTF-8 locale";
  EXPECT_EQ(displayName(FactKind::email), "E-Mail");
  EXPECT_EQ(displayName(FactKind::idNumber), "ID number");
}

}  // namespace
}  // namespace kelvo
