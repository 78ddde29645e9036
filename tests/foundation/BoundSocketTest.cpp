// The socket a test asks for (tests/support) is made at the path it names however deep that
// is, since the code under test must meet it there.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "tests/support/NonRegularFiles.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

long openFiles() { return std::distance(fs::directory_iterator("/proc/self/fd"), {}); }

TEST(BoundSocketTest, APathPastTheSocketLimitIsBoundWhereItSaysAndANameTooLongIsTold) {
  const testing::TemporaryDirectory folder;
  // Past the 107 bytes a socket's path holds however short the temporary folder is.
  const fs::path deep = folder.path() / std::string(100, 'd') / std::string(100, 'e');
  fs::create_directories(deep);
  const long before = openFiles();
  {
    const testing::BoundSocket bound(deep / "socket");
    ASSERT_TRUE(bound.isBound()) << bound.failure();
    EXPECT_EQ(fs::symlink_status(deep / "socket").type(), fs::file_type::socket);
    EXPECT_EQ(openFiles(), before + 1) << "the socket alone, not its folder too";
  }
  const testing::BoundSocket tooLong(deep / std::string(100, 'n'));
  EXPECT_FALSE(tooLong.isBound());
  EXPECT_NE(tooLong.failure().find("is too long for a socket even as /proc/self/fd/"),
            std::string::npos)
      << tooLong.failure();
  EXPECT_EQ(std::distance(fs::directory_iterator(deep), {}), 1);
}

}  // namespace
}  // namespace kelvo
