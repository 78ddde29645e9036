#include "platform/crypto/Random.hpp"

#include <gtest/gtest.h>

#include <set>

#include "platform/crypto/SymmetricKey.hpp"

namespace kelvo::crypto {
namespace {

TEST(RandomTest, DrawsFreshBytesAndComparesInConstantTime) {
  EXPECT_TRUE(randomBytes(0).empty());
  EXPECT_NE(randomBytes(32), randomBytes(32));
  // Every byte value turns up in 64 KiB; a stuck or truncated generator would not manage it.
  const Bytes many = randomBytes(65536);
  EXPECT_EQ(std::set<std::uint8_t>(many.begin(), many.end()).size(), 256u);
  EXPECT_NE(randomUInt64(), randomUInt64());
  EXPECT_EQ(SymmetricKey::random().bitCount(), 256u);

  const Bytes a = toBytes("secret");
  EXPECT_TRUE(constantTimeEquals(a, toBytes("secret")));
  EXPECT_FALSE(constantTimeEquals(a, toBytes("secreT")));
  EXPECT_FALSE(constantTimeEquals(a, toBytes("secret!")));  // a prefix is not enough
  EXPECT_FALSE(constantTimeEquals(a, toBytes("secre")));
  EXPECT_FALSE(constantTimeEquals(a, {}));
  EXPECT_TRUE(constantTimeEquals({}, {}));
}

}  // namespace
}  // namespace kelvo::crypto
