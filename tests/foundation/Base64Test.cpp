#include "platform/foundation/Base64.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(Base64Test, EncodesTheRFC4648Vectors) {
  const std::pair<const char*, const char*> vectors[] = {{"", ""},
                                                         {"f", "Zg=="},
                                                         {"fo", "Zm8="},
                                                         {"foo", "Zm9v"},
                                                         {"foob", "Zm9vYg=="},
                                                         {"fooba", "Zm9vYmE="},
                                                         {"foobar", "Zm9vYmFy"}};
  for (const auto& [plain, encoded] : vectors) {
    EXPECT_EQ(base64Encoded(asBytes(plain)), encoded);
    EXPECT_EQ(base64Decoded(encoded), toBytes(plain)) << encoded;
  }
  const Bytes high = {0xFB, 0xFF, 0xBF};
  EXPECT_EQ(base64Encoded(high), "+/+/");
  EXPECT_EQ(base64Decoded("+/+/"), high);
}

TEST(Base64Test, DecodingIsStrict) {
  for (const char* text :
       {"Zg", "Zg=", "Zm9", "Zg===", "Z===", "====", "Zm9v\n", " Zm9v", "Zm 9v", "Zm9v YmFy",
        "Zg==Zg==", "Zm=v", "Zm9-", "Zm9_", "Zh==", "Zm9=", "\xC3\xA9\xC3\xA9"}) {
    EXPECT_EQ(base64Decoded(text), std::nullopt) << text;
  }
}

TEST(Base64Test, EveryByteValueRoundTrips) {
  Bytes all(256);
  for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<std::uint8_t>(i);
  for (size_t length = 0; length <= all.size(); length += 37) {
    const Bytes part(all.begin(), all.begin() + static_cast<long>(length));
    const std::string text = base64Encoded(part);
    EXPECT_EQ(text.size(), (length + 2) / 3 * 4);
    EXPECT_EQ(base64Decoded(text), part);
  }
}

}  // namespace
}  // namespace kelvo
