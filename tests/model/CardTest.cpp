#include "core/model/Card.hpp"

#include <gtest/gtest.h>

#include <numeric>

#include "platform/crypto/SHA256.hpp"

namespace kelvo {
namespace {

std::string joined(const std::vector<std::string>& parts) {
  return std::accumulate(parts.begin(), parts.end(), std::string());
}

TEST(CardTest, HexDigestKeepsLeadingZeros) {
  // SHA-256 of "abc".
  const std::array<std::uint8_t, 32> abc{0xba, 0x78, 0x16, 0xbf, 0x8f, 0x01, 0xcf, 0xea,
                                         0x41, 0x41, 0x40, 0xde, 0x5d, 0xae, 0x22, 0x23,
                                         0xb0, 0x03, 0x61, 0xa3, 0x96, 0x17, 0x7a, 0x9c,
                                         0xb4, 0x10, 0xff, 0x61, 0xf2, 0x00, 0x15, 0xad};
  const auto parts = Card::hexDigest(abc);
  ASSERT_EQ(parts.size(), 32u);
  for (const auto& part : parts) EXPECT_EQ(part.size(), 2u);
  EXPECT_EQ(parts[5], "01");
  EXPECT_EQ(joined(parts), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

  std::array<std::uint8_t, 32> edges{};
  edges[1] = 0x0f;
  edges[2] = 0xf0;
  edges[31] = 0xff;
  const std::string text = joined(Card::hexDigest(edges));
  EXPECT_EQ(text.size(), 64u);
  EXPECT_EQ(text.substr(0, 6), "000ff0");
  EXPECT_EQ(text.substr(62), "ff");
  EXPECT_EQ(text.find_first_not_of("0123456789abcdef"), std::string::npos);

  // The content hash of a text card holding "abc": the type, one 0x1F byte, the payload.
  EXPECT_EQ(joined(Card::hexDigest(crypto::SHA256::hash(std::string_view("text\x1f"
                                                                         "abc")))),
            "925bb70375861465ab46da072bf31810cca2824653ded152895f344258ddef6d");
}

}  // namespace
}  // namespace kelvo
