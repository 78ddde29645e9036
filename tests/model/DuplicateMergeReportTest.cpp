#include "core/model/DuplicateMergeReport.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace kelvo {
namespace {

TEST(DuplicateMergeReportTest, SumsAndLookUps) {
  DuplicateMergeReport report;
  EXPECT_TRUE(report.isEmpty());
  EXPECT_EQ(report.removedCount(), 0);
  EXPECT_EQ(report.removedCount("Card"), 0);
  EXPECT_EQ(report, DuplicateMergeReport());

  report.removed = {{"Shelf", 1}, {"Card", 4}};
  report.indistinguishable = {{"Card", 2}};
  EXPECT_EQ(report.removedCount(), 5);
  EXPECT_EQ(report.indistinguishableCount(), 2);
  EXPECT_EQ(report.removedCount("Card"), 4);
  EXPECT_EQ(report.removedCount("SmartShelf"), 0);
  EXPECT_EQ(report.removedCount("card"), 0);
  EXPECT_FALSE(report.isEmpty());

  // A failed save plays no part in emptiness, but does in equality.
  DuplicateMergeReport failed;
  failed.saveFailed = true;
  EXPECT_TRUE(failed.isEmpty());
  EXPECT_NE(failed, DuplicateMergeReport());

  DuplicateMergeReport onlyIndistinguishable;
  onlyIndistinguishable.indistinguishable = {{"Card", 1}};
  EXPECT_FALSE(onlyIndistinguishable.isEmpty());

  // Sums never overflow.
  DuplicateMergeReport huge;
  huge.removed = {{"Card", std::numeric_limits<std::int64_t>::max()}, {"Shelf", 1}};
  EXPECT_EQ(huge.removedCount(), std::numeric_limits<std::int64_t>::max());
}

}  // namespace
}  // namespace kelvo
