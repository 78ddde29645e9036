#include "platform/crypto/ChaChaPoly.hpp"

#include <gtest/gtest.h>

#include <thread>

#include "platform/foundation/Hex.hpp"

namespace kelvo::crypto {
namespace {

Bytes hex(std::string_view text) { return parseHex(text).value(); }

// Opens the box in place: it is a temporary.
std::optional<Bytes> openCombined(const Bytes& combined, const SymmetricKey& key) {
  return ChaChaPoly::open(*ChaChaPoly::SealedBox::fromCombined(combined), key);
}

TEST(ChaChaPolyTest, RFC8439AeadVector) {
  Bytes keyBytes(32);
  for (size_t i = 0; i < keyBytes.size(); ++i) keyBytes[i] = static_cast<std::uint8_t>(0x80 + i);
  const SymmetricKey key(keyBytes);
  ChaChaPoly::Nonce nonce;
  const Bytes nonceBytes = hex("070000004041424344454647");
  std::copy(nonceBytes.begin(), nonceBytes.end(), nonce.begin());
  const Bytes aad = hex("50515253c0c1c2c3c4c5c6c7");
  const Bytes plaintext = toBytes(
      "Ladies and Gentlemen of the class of '99: If I could offer you only one tip for the "
      "future, sunscreen would be it.");

  const auto box = ChaChaPoly::seal(plaintext, key, nonce, aad);
  EXPECT_EQ(hexString(box.ciphertext()),
            "d31a8d34648e60db7b86afbc53ef7ec2a4aded51296e08fea9e2b5a736ee62d6"
            "3dbea45e8ca9671282fafb69da92728b1a71de0a9e060b2905d6a5b67ecd3b36"
            "92ddbd7f2d778b8c9803aee328091b58fab324e4fad675945585808b4831d7bc"
            "3ff4def08e4b7a9de576d26586cec64b6116");
  EXPECT_EQ(hexString(box.tag()), "1ae10b594f09e26a7e902ecbd0600691");
  EXPECT_EQ(ChaChaPoly::open(box, key, aad), plaintext);
  EXPECT_EQ(ChaChaPoly::open(box, key), std::nullopt);  // the associated data is part of the tag
  auto copy = box;
  EXPECT_EQ(ChaChaPoly::open(std::move(copy), key, aad), plaintext);
  EXPECT_TRUE(copy.ciphertext().empty());  // the box is left empty

  // Each call starts afresh, whatever the calls before it on the thread did or failed to do.
  EXPECT_EQ(ChaChaPoly::seal(plaintext, key, nonce, aad).combined(), box.combined());
  std::thread([&] {
    EXPECT_EQ(ChaChaPoly::open(box, SymmetricKey::random(), aad), std::nullopt);
    EXPECT_EQ(ChaChaPoly::seal(plaintext, key, nonce, aad).combined(), box.combined());
  }).join();
}

// Both ways of opening (through a box and in place) refuse every altered byte, a wrong key and
// a short form; the in-place seal gives exactly the box's combined bytes.
TEST(ChaChaPolyTest, OpensOnlyWhatItSealed) {
  const SymmetricKey key = SymmetricKey::random();
  const Bytes plaintext = toBytes("keep this card");
  const Bytes combined = ChaChaPoly::seal(plaintext, key).combined();
  ASSERT_EQ(combined.size(), plaintext.size() + 28);
  EXPECT_EQ(openCombined(combined, key), plaintext);
  EXPECT_EQ(ChaChaPoly::openCombined(combined, key), plaintext);
  for (size_t i = 0; i < combined.size(); ++i) {
    Bytes altered = combined;
    altered[i] ^= 0x01;
    EXPECT_EQ(openCombined(altered, key), std::nullopt) << "byte " << i;
    EXPECT_EQ(ChaChaPoly::openCombined(altered, key), std::nullopt) << "byte " << i;
  }
  for (const SymmetricKey& wrong : {SymmetricKey::random(), SymmetricKey::random(16)}) {
    EXPECT_EQ(openCombined(combined, wrong), std::nullopt);
    EXPECT_EQ(ChaChaPoly::openCombined(combined, wrong), std::nullopt);
  }
  EXPECT_THROW(ChaChaPoly::seal(plaintext, SymmetricKey::random(16)), CryptoError);
  EXPECT_THROW(ChaChaPoly::sealCombined({}, SymmetricKey::random(16)), CryptoError);
  // A fresh nonce for every seal: the same plaintext never gives the same box.
  EXPECT_NE(ChaChaPoly::seal(plaintext, key).combined(), combined);
  EXPECT_NE(ChaChaPoly::sealCombined(plaintext, key), combined);
  for (size_t length = 0; length < 28; ++length) {
    EXPECT_FALSE(ChaChaPoly::SealedBox::fromCombined(Bytes(length, 0xAB))) << length;
  }
  EXPECT_EQ(ChaChaPoly::openCombined(Bytes(27, 0), key), std::nullopt);
  EXPECT_EQ(openCombined(Bytes(28, 0), key), std::nullopt);

  const ChaChaPoly::Nonce nonce{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  for (const Bytes& text : {Bytes{}, plaintext, Bytes(5000, 0x5A)}) {
    const Bytes inPlace = ChaChaPoly::sealCombined(text, key, nonce);
    EXPECT_EQ(inPlace, ChaChaPoly::seal(text, key, nonce).combined());
    EXPECT_EQ(ChaChaPoly::openCombined(inPlace, key), text);
  }
}

}  // namespace
}  // namespace kelvo::crypto
