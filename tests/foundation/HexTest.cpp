#include "platform/foundation/Hex.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(HexTest, WritesLowerCaseAndReadsEitherCase) {
  const Bytes bytes = {0x00, 0x1A, 0xBC, 0xFF};
  EXPECT_EQ(hexString(bytes), "001abcff");
  EXPECT_EQ(parseHex("001ABCFF"), bytes);
  EXPECT_EQ(parseHex(""), Bytes{});
  for (const char* text : {"0", "001", "0g", " 00", "0x00", "+1"}) {
    EXPECT_EQ(parseHex(text), std::nullopt) << text;
  }
}

}  // namespace
}  // namespace kelvo
