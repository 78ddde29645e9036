#include "core/model/CardPayloadPagination.hpp"

#include <gtest/gtest.h>

#include <limits>

#include "platform/foundation/Locale.hpp"

namespace kelvo::CardPayload {
namespace {

TEST(CardPayloadPaginationTest, IndexStaysWithinThePages) {
  Pagination pages(5, 9);
  EXPECT_EQ(pages.pageIndex(), 4);
  EXPECT_FALSE(pages.canGoForward());
  EXPECT_TRUE(pages.canGoBack());
  pages.goForward();
  EXPECT_EQ(pages.pageIndex(), 4);
  pages.go(-1);
  EXPECT_EQ(pages.pageIndex(), 0);
  pages.goBack();
  EXPECT_EQ(pages.pageIndex(), 0);
  pages.goForward();
  EXPECT_EQ(pages.pageIndex(), 1);
  pages.go(std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(pages.pageIndex(), 4);
  EXPECT_TRUE(pages.isPaged());

  const Pagination none(0, 3);
  EXPECT_EQ(none.pageIndex(), 0);
  EXPECT_FALSE(none.hasPages());
  EXPECT_FALSE(none.canGoForward());
  EXPECT_EQ(none.label(), std::nullopt);
  Pagination negative(-2, -5);
  EXPECT_EQ(negative.pageCount(), 0);
  negative.go(3);
  EXPECT_EQ(negative.pageIndex(), 0);

  const Pagination single(1, 0);
  EXPECT_TRUE(single.hasPages());
  EXPECT_FALSE(single.isPaged());
  EXPECT_FALSE(single.canGoForward());
}

TEST(CardPayloadPaginationTest, LabelsAndStorableCounts) {
  EXPECT_EQ(Pagination(12, 0).label(), "Page 1 of 12");
  EXPECT_EQ(Pagination(1'500, 1'233).label(), "Page 1,234 of 1,500");
  Locale::setCurrent(Locale("de_DE"));
  EXPECT_EQ(Pagination(1'500, 1'233).label(), "Page 1.234 of 1.500");

  EXPECT_EQ(Pagination::storable(0), std::nullopt);
  EXPECT_EQ(Pagination::storable(-4), std::nullopt);
  EXPECT_EQ(Pagination::storable(3), 3);
}

}  // namespace
}  // namespace kelvo::CardPayload
