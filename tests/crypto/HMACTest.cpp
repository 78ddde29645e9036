#include "platform/crypto/HMAC.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/crypto/Random.hpp"
#include "platform/crypto/SHA256.hpp"
#include "platform/crypto/SymmetricKey.hpp"
#include "platform/foundation/Hex.hpp"

namespace kelvo::crypto {
namespace {

Bytes repeated(std::uint8_t byte, size_t count) { return Bytes(count, byte); }

TEST(HMACTest, RFC4231TestCases) {
  struct Case {
    Bytes key;
    Bytes data;
    const char* code;
  };
  Bytes counting(25);
  for (size_t i = 0; i < counting.size(); ++i) counting[i] = static_cast<std::uint8_t>(i + 1);
  const Case cases[] = {
      {repeated(0x0b, 20), toBytes("Hi There"),
       "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
      {toBytes("Jefe"), toBytes("what do ya want for nothing?"),
       "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
      {repeated(0xaa, 20), repeated(0xdd, 50),
       "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe"},
      {counting, repeated(0xcd, 50),
       "82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b"},
      // Test case 5 publishes only the first 128 bits.
      {repeated(0x0c, 20), toBytes("Test With Truncation"), "a3b6167473100ee06e0c796c2955552b"},
      {repeated(0xaa, 131), toBytes("Test Using Larger Than Block-Size Key - Hash Key First"),
       "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
      {repeated(0xaa, 131),
       toBytes("This is a test using a larger than block-size key and a larger than block-size "
               "data. The key needs to be hashed before being used by the HMAC algorithm."),
       "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const SymmetricKey key(cases[i].key);
    const auto code = HMACSHA256::authenticationCode(cases[i].data, key);
    const std::string expected = cases[i].code;
    EXPECT_EQ(hexString(code).substr(0, expected.size()), expected) << "test case " << i + 1;
    EXPECT_TRUE(HMACSHA256::isValidAuthenticationCode(code, cases[i].data, key));
  }
  EXPECT_EQ(hexString(HMACSHA256::authenticationCode({}, SymmetricKey(Bytes{}))),
            "b613679a0814d9ec772f95d778c35fc5ff1697c493715653c6c712144292c5ad");
}

TEST(HMACTest, RefusesAnyOtherCode) {
  const SymmetricKey key(toBytes("key"));
  const Bytes message = toBytes("challenge");
  auto code = HMACSHA256::authenticationCode(message, key);
  EXPECT_FALSE(HMACSHA256::isValidAuthenticationCode(code, toBytes("challengE"), key));
  EXPECT_FALSE(HMACSHA256::isValidAuthenticationCode(code, message, SymmetricKey(toBytes("kez"))));
  EXPECT_FALSE(HMACSHA256::isValidAuthenticationCode(std::span(code).first(31), message, key));
  EXPECT_FALSE(HMACSHA256::isValidAuthenticationCode({}, message, key));
  code[31] ^= 1;
  EXPECT_FALSE(HMACSHA256::isValidAuthenticationCode(code, message, key));
}

TEST(SHA256Test, FIPS180KnownAnswers) {
  EXPECT_EQ(hexString(SHA256::hash("")),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(hexString(SHA256::hash("abc")),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(hexString(SHA256::hash("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");

  // One million "a", fed in uneven pieces, and at once.
  SHA256 hasher;
  const std::string piece(997, 'a');
  size_t fed = 0;
  for (; fed + piece.size() <= 1'000'000; fed += piece.size()) hasher.update(piece);
  hasher.update(std::string(1'000'000 - fed, 'a'));
  const auto digest = hasher.finalize();
  EXPECT_EQ(hexString(digest), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  EXPECT_EQ(SHA256::hash(std::string(1'000'000, 'a')), digest);
}

TEST(SHA256Test, FinalizeStartsAgainAndZeroBytesCount) {
  SHA256 hasher;
  hasher.update("abc");
  EXPECT_EQ(hasher.finalize(), SHA256::hash("abc"));
  EXPECT_EQ(hasher.finalize(), SHA256::hash(""));
  hasher.update("abc");
  SHA256 moved = std::move(hasher);
  EXPECT_EQ(moved.finalize(), SHA256::hash("abc"));
  EXPECT_NE(SHA256::hash(std::string("a\0b", 3)), SHA256::hash("a"));
}

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
