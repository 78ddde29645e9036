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

}  // namespace
}  // namespace kelvo
