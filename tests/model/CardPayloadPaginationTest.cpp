#include "core/model/CardPayloadPagination.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "platform/foundation/Locale.hpp"

namespace kelvo::CardPayload {
namespace {

TEST(CardPayloadPaginationTest, IndexLabelAndStorableCount) {
  Pagination pages(5, 9);
  EXPECT_EQ(pages.pageIndex(), 4);
  EXPECT_FALSE(pages.canGoForward());
  pages.goForward();
  EXPECT_EQ(pages.pageIndex(), 4);
  pages.go(-1);
  pages.goBack();
  EXPECT_EQ(pages.pageIndex(), 0);
  pages.go(std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(pages.pageIndex(), 4);

  Pagination negative(-2, -5);
  EXPECT_EQ(negative.pageCount(), 0);
  EXPECT_FALSE(negative.hasPages());
  negative.go(3);
  EXPECT_EQ(negative.pageIndex(), 0);
  EXPECT_EQ(negative.label(), std::nullopt);
  const Pagination single(1, 0);
  EXPECT_TRUE(single.hasPages());
  EXPECT_FALSE(single.isPaged());
  EXPECT_FALSE(single.canGoForward());

  EXPECT_EQ(Pagination(1'500, 1'233).label(), "Page 1,234 of 1,500");
  Locale::setCurrent(Locale("de_DE"));
  EXPECT_EQ(Pagination(1'500, 1'233).label(), "Page 1.234 of 1.500");

  EXPECT_EQ(Pagination::storable(0), std::nullopt);
  EXPECT_EQ(Pagination::storable(-4), std::nullopt);
  EXPECT_EQ(Pagination::storable(3), 3);
}

}  // namespace
}  // namespace kelvo::CardPayload
