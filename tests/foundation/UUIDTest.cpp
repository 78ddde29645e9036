#include "platform/foundation/UUID.hpp"

#include <gtest/gtest.h>

#include <unordered_set>

namespace kelvo {
namespace {

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
