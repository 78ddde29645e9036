#include "core/organisation/MasonryLayout.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace kelvo {
namespace {

using Columns = std::vector<std::vector<std::size_t>>;

TEST(MasonryLayoutTest, ColumnCount) {
  using MasonryLayout::columnCount;
  constexpr double infinity = std::numeric_limits<double>::infinity();
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double width, minimumWidth, spacing;
    int lower, upper, expected;
  };
  const Case cases[] = {
      {700, 200, 20, 1, 5, 3},  // 720 / 220 = 3.27
      {1000, 240, 16, 1, 6, 3},          {1040, 240, 16, 1, 6, 4},  {1e300, 200, 20, 1, 5, 5},
      {1e300, 1e-300, 0, 2, 4096, 4096}, {0, 200, 20, 2, 5, 2},     {-1, 200, 20, 2, 5, 2},
      {infinity, 200, 20, 2, 5, 2},      {nan, 200, 20, 2, 5, 2},   {700, 0, 20, 2, 5, 2},
      {700, nan, 20, 2, 5, 2},           {700, 200, -200, 2, 5, 2},  // no meaningful quotient
      {700, 200, nan, 2, 5, 2},          {700, 200, 20, 0, 0, 1},   {700, 200, 20, 3, 2, 3},
      {100, 200, 20, -5, 5, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(columnCount(c.width, c.minimumWidth, c.spacing, c.lower, c.upper), c.expected)
        << c.width << " " << c.minimumWidth << " " << c.spacing;
  }
}

TEST(MasonryLayoutTest, Distribute) {
  using MasonryLayout::distribute;
  const std::vector<double> uneven{100, 50, 50, 50};
  EXPECT_EQ(distribute(uneven, 2, 10), (Columns{{0, 3}, {1, 2}}));
  const std::vector<double> equal(7, 40);
  EXPECT_EQ(distribute(equal, 3, 8), (Columns{{0, 3, 6}, {1, 4}, {2, 5}}));
  EXPECT_EQ(distribute({}, 4, 8), (Columns(4)));
  EXPECT_EQ(distribute(uneven, 0, 10), (Columns{{0, 1, 2, 3}}));
  EXPECT_EQ(distribute(uneven, -2, 10), (Columns{{0, 1, 2, 3}}));
  // Damaged heights count as 0; the spacing between items still decides.
  const std::vector<double> damaged{std::numeric_limits<double>::quiet_NaN(), -5,
                                    std::numeric_limits<double>::infinity(), 30};
  EXPECT_EQ(distribute(damaged, 2, 10), (Columns{{0, 1}, {2, 3}}));
  EXPECT_EQ(distribute(damaged, 2, -10), (Columns{{0, 1, 2, 3}, {}}));
  // Many columns: the same dealing.
  const auto wide = distribute(std::vector<double>(100, 40), 40, 8);
  for (std::size_t index = 0; index < 100; ++index) {
    EXPECT_EQ(wide[index % 40][index / 40], index);
  }
  const std::vector<double> wideUneven{100, 50, 50, 50, 10};
  EXPECT_EQ(distribute(wideUneven, 40, 10)[4], (std::vector<std::size_t>{4}));
  EXPECT_EQ(distribute(uneven, std::numeric_limits<int>::max(), 0).size(),
            static_cast<std::size_t>(MasonryLayout::maximumColumns));
}

}  // namespace
}  // namespace kelvo
