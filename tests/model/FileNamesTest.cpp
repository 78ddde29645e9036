#include "core/model/FileNames.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(FileNamesTest, PartsOfAName) {
  EXPECT_EQ(FileNames::lastPathComponent("a/b/c.txt"), "c.txt");
  EXPECT_EQ(FileNames::lastPathComponent("a//b//"), "b");
  EXPECT_EQ(FileNames::lastPathComponent("///"), "");
  EXPECT_EQ(FileNames::lastPathComponent(""), "");

  EXPECT_EQ(FileNames::pathExtension("report.final.PDF"), "PDF");
  EXPECT_EQ(FileNames::pathExtension("folder.d/README"), "");
  EXPECT_EQ(FileNames::pathExtension("dir/x.txt/"), "txt");
  EXPECT_EQ(FileNames::pathExtension("trailing."), "");
  EXPECT_EQ(FileNames::pathExtension(".profile"), "profile");

  EXPECT_EQ(FileNames::deletingPathExtension("a/b.txt"), "a/b");
  EXPECT_EQ(FileNames::deletingPathExtension("dir/x.txt/"), "dir/x");
  EXPECT_EQ(FileNames::deletingPathExtension("README"), "README");
  EXPECT_EQ(FileNames::deletingPathExtension("trailing."), "trailing.");
}

}  // namespace
}  // namespace kelvo
