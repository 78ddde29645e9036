#include "core/search/SmartFilter.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kelvo {
namespace {

TEST(SmartFilterTest, IsLinkAcceptsWebAddresses) {
  EXPECT_TRUE(isLink("  https://example.com  "));
  EXPECT_TRUE(isLink("\n\thttps://example.com/path?q=1#top\r\n"));
  EXPECT_TRUE(isLink("WWW.example.com"));
  EXPECT_TRUE(isLink("www.example.com/a"));
  EXPECT_TRUE(isLink("HTTPS://Example.COM"));
  EXPECT_TRUE(isLink("http://localhost:8080"));
  EXPECT_TRUE(isLink("http://localhost"));
  EXPECT_TRUE(isLink("https://192.168.0.1/admin"));
  EXPECT_TRUE(isLink("https://user@example.com"));
}

TEST(SmartFilterTest, IsLinkRefusesEverythingElse) {
  EXPECT_FALSE(isLink(""));
  EXPECT_FALSE(isLink("   "));
  EXPECT_FALSE(isLink("example.com"));
  EXPECT_FALSE(isLink("ftp://example.com"));
  EXPECT_FALSE(isLink("mailto:someone@example.com"));
  EXPECT_FALSE(isLink("https://intranet"));
  EXPECT_FALSE(isLink("http://LOCALHOST"));  // the host is compared exactly
  EXPECT_FALSE(isLink("https://exa mple.com"));
  EXPECT_FALSE(isLink("https://example.com\u00A0/x"));  // a no-break space is white space
  EXPECT_FALSE(isLink("http://"));
  EXPECT_FALSE(isLink("https://"));
  EXPECT_FALSE(isLink("https:example.com"));
  EXPECT_FALSE(isLink("https://example.com:99999"));
  EXPECT_FALSE(isLink("https://exämple.com"));  // not a URI without encoding
  EXPECT_FALSE(isLink(std::string("https://exa\0mple.com", 20)));
  EXPECT_FALSE(isLink(std::string("https://example.com/\xFF")));
}

TEST(SmartFilterTest, IsLinkAllowsAtMost2048Characters) {
  const std::string head = "https://example.com/";
  const std::string longest = head + std::string(2048 - head.size(), 'a');
  EXPECT_TRUE(isLink(longest));
  EXPECT_TRUE(isLink("   " + longest + "\n"));  // trimmed before counting
  EXPECT_FALSE(isLink(longest + "a"));
  EXPECT_FALSE(isLink(std::string(1'000'000, 'w')));
}

}  // namespace
}  // namespace kelvo
