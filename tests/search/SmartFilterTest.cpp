#include "core/search/SmartFilter.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kelvo {
namespace {

TEST(SmartFilterTest, IsLinkAcceptsWebAddressesOnly) {
  for (const std::string link :
       {"  https://example.com  ", "\n\thttps://example.com/path?q=1#top\r\n", "WWW.example.com",
        "HTTPS://Example.COM", "http://localhost:8080", "https://192.168.0.1/admin",
        "https://user@example.com"}) {
    EXPECT_TRUE(isLink(link)) << link;
  }
  // Hosts compare exactly ("LOCALHOST"), a no-break space is white space, and "ä" makes no URI
  // until encoded.
  for (const std::string text :
       {"", "   ", "example.com", "ftp://example.com", "mailto:someone@example.com",
        "https://intranet", "http://LOCALHOST", "https://exa mple.com",
        "https://example.com\u00A0/x", "https://", "https:example.com", "https://example.com:99999",
        "https://exämple.com", "https://example.com/\xFF"}) {
    EXPECT_FALSE(isLink(text)) << text;
  }
  EXPECT_FALSE(isLink(std::string("https://exa\0mple.com", 20)));

  // At most 2048 characters, counted after trimming.
  const std::string head = "https://example.com/";
  const std::string longest = head + std::string(2048 - head.size(), 'a');
  EXPECT_TRUE(isLink("   " + longest + "\n"));
  EXPECT_FALSE(isLink(longest + "a"));
  EXPECT_FALSE(isLink(std::string(1'000'000, 'w')));
}

}  // namespace
}  // namespace kelvo
