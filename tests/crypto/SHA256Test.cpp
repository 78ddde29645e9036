#include "platform/crypto/SHA256.hpp"

#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/Hex.hpp"

namespace kelvo::crypto {
namespace {

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

}  // namespace
}  // namespace kelvo::crypto
