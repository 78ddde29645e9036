#include "core/model/DuplicateMergeReport.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace kelvo {
namespace {

TEST(DuplicateMergeReportTest, SumsLookUpsAndEmptiness) {
  DuplicateMergeReport report;
  report.removed = {{"Shelf", 1}, {"Card", 4}};
  report.indistinguishable = {{"Card", 2}};
  EXPECT_EQ(report.removedCount(), 5);
  EXPECT_EQ(report.indistinguishableCount(), 2);
  EXPECT_EQ(report.removedCount("Card"), 4);
  EXPECT_EQ(report.removedCount("card"), 0);

  // A failed save plays no part in emptiness, but does in equality.
  DuplicateMergeReport failed;
  failed.saveFailed = true;
  EXPECT_TRUE(failed.isEmpty());
  EXPECT_NE(failed, DuplicateMergeReport());
  failed.indistinguishable = {{"Card", 1}};
  EXPECT_FALSE(failed.isEmpty());

  // Sums never overflow.
  report.removed = {{"Card", std::numeric_limits<std::int64_t>::max()}, {"Shelf", 1}};
  EXPECT_EQ(report.removedCount(), std::numeric_limits<std::int64_t>::max());
}

}  // namespace
}  // namespace kelvo
