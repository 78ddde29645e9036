#include "platform/foundation/Base64.hpp"

#include <gtest/gtest.h>

#include <unordered_set>

#include "platform/foundation/Hex.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {
namespace {

TEST(Base64Test, CodesTheRFC4648VectorsAndEveryByte) {
  const std::pair<const char*, const char*> vectors[] = {
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}};
  for (const auto& [plain, encoded] : vectors) {
    EXPECT_EQ(base64Encoded(asBytes(plain)), encoded);
    EXPECT_EQ(base64Decoded(encoded), toBytes(plain)) << encoded;
  }
  Bytes all(256);
  for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<std::uint8_t>(i);
  for (size_t length = 0; length <= all.size(); length += 37) {
    const Bytes part(all.begin(), all.begin() + static_cast<long>(length));
    EXPECT_EQ(base64Decoded(base64Encoded(part)), part);
  }
  EXPECT_EQ(base64Encoded(Bytes{0xFB, 0xFF, 0xBF}), "+/+/");
}

TEST(Base64Test, DecodingIsStrict) {
  for (const char* text : {"Zg", "Zg=", "Zg===", "====", "Zm9v\n", "Zm 9v", "Zg==Zg==", "Zm=v",
                           "Zm9-", "Zm9_", "Zh==", "Zm9=", "\xC3\xA9\xC3\xA9"}) {
    EXPECT_EQ(base64Decoded(text), std::nullopt) << text;
  }
}

TEST(HexTest, WritesLowerCaseAndReadsEitherCase) {
  const Bytes bytes = {0x00, 0x1A, 0xBC, 0xFF};
  EXPECT_EQ(hexString(bytes), "001abcff");
  EXPECT_EQ(parseHex("001ABCFF"), bytes);
  EXPECT_EQ(parseHex(""), Bytes{});
  for (const char* text : {"0", "001", "0g", " 00", "0x00", "+1"}) {
    EXPECT_EQ(parseHex(text), std::nullopt) << text;
  }
}

TEST(UUIDTest, ParsesOnlyTheCanonicalTextInEitherCase) {
  const auto upper = UUID::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
  const auto lower = UUID::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
  ASSERT_TRUE(upper && lower);
  EXPECT_EQ(*upper, *lower);
  EXPECT_EQ(lower->uuidString(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
  for (const char* text :
       {"", "E621E1F8C36C495A93FC0C247A3E6E5F", "{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}",
        "E621E1F8-C36C-495A-93FC-0C247A3E6E5FF", "E621E1F-8C36C-495A-93FC-0C247A3E6E5F",
        "G621E1F8-C36C-495A-93FC-0C247A3E6E5F", " E621E1F8-C36C-495A-93FC-0C247A3E6E5"}) {
    EXPECT_FALSE(UUID::parse(text)) << text;
  }
  // Orders as its text.
  EXPECT_LT(*UUID::parse("0A000000-0000-0000-0000-000000000000"),
            *UUID::parse("A0000000-0000-0000-0000-000000000000"));
}

TEST(UUIDTest, RandomIdentifiersAreVersionFourAndDistinct) {
  std::unordered_set<UUID> seen;
  for (int i = 0; i < 1000; ++i) {
    const UUID id = UUID::random();
    EXPECT_EQ(id.bytes()[6] >> 4, 4);
    EXPECT_EQ(id.bytes()[8] & 0xC0, 0x80);
    EXPECT_TRUE(seen.insert(id).second);
    EXPECT_EQ(UUID::parse(id.uuidString()), id);
  }
}

}  // namespace
}  // namespace kelvo
