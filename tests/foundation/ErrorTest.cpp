#include "platform/foundation/Error.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(ErrorDeathTest, FatalWritesItsMessageAndAborts) {
  EXPECT_DEATH(fatal("KelvoModel has no entity named card"), "KelvoModel has no entity named card");
}

}  // namespace
}  // namespace kelvo
