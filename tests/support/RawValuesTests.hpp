#pragma once

// Every enumeration stored by raw value, through its one table: distinct raw values that read
// back as their case, exact matching, and no raw value for a value cast from outside the
// enumeration. (Declaration order is a static_assert of the table.) Each layer's tests include
// this once and instantiate it with that layer's enumerations:
//
//   INSTANTIATE_TYPED_TEST_SUITE_P(Design, RawValuesTest, ::testing::Types<KelvoIcon, ...>);

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "platform/foundation/RawValues.hpp"

namespace kelvo::testing {

template <class E>
class RawValuesTest : public ::testing::Test {};
TYPED_TEST_SUITE_P(RawValuesTest);

TYPED_TEST_P(RawValuesTest, EveryCaseReadsBackExactlyAndNothingElseDoes) {
  using E = TypeParam;
  const auto& table = RawValues<E>::table;
  std::set<std::string_view> seen;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const E value = table[i].first;
    const std::string_view raw = rawValue(value);
    EXPECT_FALSE(raw.empty());
    EXPECT_TRUE(seen.insert(raw).second) << raw;
    EXPECT_EQ(fromRawValue<E>(raw), value) << raw;
    EXPECT_FALSE(fromRawValue<E>(std::string(raw) + " ")) << raw;
  }
  EXPECT_EQ(rawValue(static_cast<E>(table.size())), "");
  EXPECT_FALSE(fromRawValue<E>(""));
}

REGISTER_TYPED_TEST_SUITE_P(RawValuesTest, EveryCaseReadsBackExactlyAndNothingElseDoes);

}  // namespace kelvo::testing
