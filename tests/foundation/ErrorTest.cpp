#include "platform/foundation/Error.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(ErrorDeathTest, FatalWritesItsMessageAndAborts) {
  EXPECT_DEATH(fatal("KelvoModel has no entity named card"), "KelvoModel has no entity named card");
}

TEST(ErrorTest, ErrorsAreRuntimeErrors) {
  try {
    throw Error("store failed");
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "store failed");
  }
}

}  // namespace
}  // namespace kelvo
