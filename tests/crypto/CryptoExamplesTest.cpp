// The usage examples at the top of the crypto layer's headers, run as written.

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/crypto/ChaChaPoly.hpp"
#include "platform/crypto/HMAC.hpp"
#include "platform/crypto/Random.hpp"
#include "platform/crypto/SHA256.hpp"
#include "platform/crypto/SymmetricKey.hpp"
#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/Hex.hpp"

namespace kelvo {
namespace {

TEST(SHA256, APIExamples) {
  const crypto::SHA256::Digest digest = crypto::SHA256::hash("abc");
  const std::string hex = hexString(digest);  // "ba7816bf…15ad"
  crypto::SHA256 hasher;
  hasher.update("ab");
  hasher.update("c");
  const bool same = hasher.finalize() == digest;  // true

  EXPECT_EQ(hex, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_TRUE(same);
}

TEST(HMAC, APIExamples) {
  const crypto::SymmetricKey key = crypto::SymmetricKey::random();
  const Bytes challenge = crypto::randomBytes(32);
  const crypto::HMACSHA256::Code proof = crypto::HMACSHA256::authenticationCode(challenge, key);
  const bool valid = crypto::HMACSHA256::isValidAuthenticationCode(proof, challenge, key);

  EXPECT_TRUE(valid);
  EXPECT_FALSE(crypto::HMACSHA256::isValidAuthenticationCode(proof, challenge,
                                                             crypto::SymmetricKey::random()));
}

TEST(ChaChaPoly, APIExamples) {
  const crypto::SymmetricKey key = crypto::SymmetricKey::random();               // 256 bits
  const Bytes sealed = crypto::ChaChaPoly::sealCombined(toBytes("hello"), key);  // 5 + 28 bytes
  const std::optional<Bytes> opened = crypto::ChaChaPoly::openCombined(sealed, key);
  const crypto::SymmetricKey other = crypto::SymmetricKey::random();
  const bool refused = !crypto::ChaChaPoly::openCombined(sealed, other);  // true: wrong key

  EXPECT_EQ(sealed.size(), 5u + 28u);
  ASSERT_TRUE(opened);
  EXPECT_EQ(toString(*opened), "hello");
  EXPECT_TRUE(refused);
  Bytes changed = sealed;
  changed.back() ^= 1;
  EXPECT_FALSE(crypto::ChaChaPoly::openCombined(changed, key));
}

TEST(SymmetricKey, APIExamples) {
  const std::string sharedSecret = "482915";

  const crypto::SymmetricKey fresh = crypto::SymmetricKey::random();  // 256 bits
  const crypto::SymmetricKey agreed(crypto::SHA256::hash(sharedSecret));
  const std::size_t bits = agreed.bitCount();  // 256

  EXPECT_EQ(fresh.bitCount(), 256u);
  EXPECT_EQ(bits, 256u);
  EXPECT_EQ(hexString(agreed.bytes()), hexString(crypto::SHA256::hash("482915")));
}

TEST(Random, APIExamples) {
  for (const auto& [candidate, expected] :
       {std::pair<std::string, bool>{"7f3a9c", true}, {"7f3a9d", false}, {"7f3a9", false}}) {
    const std::string token = "7f3a9c";

    const Bytes challenge = crypto::randomBytes(32);
    const std::uint64_t draw = crypto::randomUInt64();
    const bool matches = crypto::constantTimeEquals(asBytes(token), asBytes(candidate));

    EXPECT_EQ(challenge.size(), 32u);
    EXPECT_NE(draw, crypto::randomUInt64());  // a repeat has odds of one in 2^64
    EXPECT_EQ(matches, expected) << candidate;
  }
}

}  // namespace
}  // namespace kelvo
