#include "platform/foundation/Base64.hpp"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kelvo
