#include "core/search/SearchField.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(SearchFieldTest, RawValuesAndWeights) {
  const auto cases = allCases<SearchField>();
  ASSERT_EQ(cases.size(), 6u);
  const std::array<std::pair<std::string_view, double>, 6> expected{{{"title", 10.0},
                                                                     {"content", 5.0},
                                                                     {"extractedText", 2.0},
                                                                     {"autoTag", 4.0},
                                                                     {"shelfName", 3.0},
                                                                     {"factLabel", 8.0}}};
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(rawValue(cases[i]), expected[i].first);
    EXPECT_EQ(weight(cases[i]), expected[i].second);
    EXPECT_EQ(fromRawValue<SearchField>(expected[i].first), cases[i]);
  }
  // Raw values are case-sensitive.
  EXPECT_FALSE(fromRawValue<SearchField>("Title"));
  EXPECT_FALSE(fromRawValue<SearchField>("title "));
  EXPECT_FALSE(fromRawValue<SearchField>(""));
}

}  // namespace
}  // namespace kelvo
