#include "platform/crypto/Random.hpp"

#include <gtest/gtest.h>

#include <set>

#include "platform/crypto/SymmetricKey.hpp"

namespace kelvo::crypto {
namespace {

TEST(RandomTest, DrawsFreshBytes) {
  EXPECT_TRUE(randomBytes(0).empty());
  EXPECT_EQ(randomBytes(32).size(), 32u);
  EXPECT_NE(randomBytes(32), randomBytes(32));
  std::set<std::uint64_t> values;
  for (int i = 0; i < 100; ++i) values.insert(randomUInt64());
  EXPECT_EQ(values.size(), 100u);
  // Every byte value turns up in 64 KiB; a stuck or truncated generator would not manage it.
  const Bytes many = randomBytes(65536);
  EXPECT_EQ(std::set<std::uint8_t>(many.begin(), many.end()).size(), 256u);

  const SymmetricKey key = SymmetricKey::random();
  EXPECT_EQ(key.bitCount(), 256u);
  EXPECT_EQ(SymmetricKey::random(16).bytes().size(), 16u);
  const SymmetricKey copy = key;
  EXPECT_TRUE(constantTimeEquals(copy.bytes(), key.bytes()));
}

TEST(RandomTest, ConstantTimeEqualsRefusesOtherLengths) {
  const Bytes a = toBytes("secret");
  EXPECT_TRUE(constantTimeEquals(a, toBytes("secret")));
  EXPECT_FALSE(constantTimeEquals(a, toBytes("secreT")));
  EXPECT_FALSE(constantTimeEquals(a, toBytes("secret!")));
  EXPECT_FALSE(constantTimeEquals(a, toBytes("secre")));
  EXPECT_FALSE(constantTimeEquals(a, {}));
  EXPECT_TRUE(constantTimeEquals({}, {}));
}

}  // namespace
}  // namespace kelvo::crypto
