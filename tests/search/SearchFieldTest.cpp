#include "core/search/SearchField.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(SearchFieldTest, RawValuesAndWeights) {
  const auto cases = allCases<SearchField>();
  const std::array<std::pair<std::string_view, double>, 6> expected{{{"title", 10.0},
                                                                     {"content", 5.0},
                                                                     {"extractedText", 2.0},
                                                                     {"autoTag", 4.0},
                                                                     {"shelfName", 3.0},
                                                                     {"factLabel", 8.0}}};
  ASSERT_EQ(cases.size(), expected.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(rawValue(cases[i]), expected[i].first);
    EXPECT_EQ(weight(cases[i]), expected[i].second);
    EXPECT_EQ(fromRawValue<SearchField>(expected[i].first), cases[i]);
  }
  EXPECT_FALSE(fromRawValue<SearchField>("Title"));  // raw values are case-sensitive
}

}  // namespace
}  // namespace kelvo
