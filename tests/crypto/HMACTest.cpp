#include "platform/crypto/HMAC.hpp"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kelvo::crypto
