#include "platform/foundation/URL.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(URLTest, ReadsTheParts) {
  const auto url = URL::parse("HTTPS://user:pw@Example.com:8443/a%20b/c%2Fd/?q=1&r#top");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->absoluteString(), "HTTPS://user:pw@Example.com:8443/a%20b/c%2Fd/?q=1&r#top");
  EXPECT_EQ(url->scheme(), "HTTPS");
  EXPECT_EQ(url->host(), "Example.com");
  EXPECT_EQ(url->port(), 8443);
  EXPECT_EQ(url->percentEncodedPath(), "/a%20b/c%2Fd/");
  EXPECT_EQ(url->path(), "/a b/c/d/");
  EXPECT_EQ(url->pathComponents(), (std::vector<std::string>{"a b", "c/d"}));
  EXPECT_EQ(url->lastPathComponent(), "c/d");
  EXPECT_EQ(url->query(), "q=1&r");
  EXPECT_EQ(url->fragment(), "top");

  const auto ipv6 = URL::parse("http://[::1]:80/x");
  ASSERT_TRUE(ipv6);
  EXPECT_EQ(ipv6->host(), "::1");
  EXPECT_EQ(ipv6->port(), 80);
}

TEST(URLTest, DocumentedEdges) {
  // Not a URI: spaces, non-ASCII letters, broken escapes, a port that cannot exist, nothing.
  for (const char* text : {"not a url", "http://a/é", "http://a/%zz", "http://a/%4", "",
                           " http://a", "http://a:65536/", "http://a b/", "http://[::1/"}) {
    EXPECT_FALSE(URL::parse(text)) << text;
  }
  // "http://" is a URI with an empty authority: a scheme, no host, an empty path.
  const auto bare = URL::parse("http://");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->scheme(), "http");
  EXPECT_EQ(bare->host(), std::nullopt);
  EXPECT_EQ(bare->path(), "");
  EXPECT_TRUE(bare->pathComponents().empty());
  EXPECT_EQ(bare->query(), std::nullopt);

  // An empty host leaves the kind of a deep link in the path.
  const auto link = URL::parse("kelvo:///card/ID");
  ASSERT_TRUE(link);
  EXPECT_EQ(link->host(), std::nullopt);
  EXPECT_EQ(link->pathComponents(), (std::vector<std::string>{"card", "ID"}));

  // Relative references, schemes without authority, empty ports.
  EXPECT_EQ(URL::parse("foo/bar")->scheme(), std::nullopt);
  EXPECT_EQ(URL::parse("mailto:a@b.c")->path(), "a@b.c");
  EXPECT_EQ(URL::parse("x://h:/p")->port(), std::nullopt);
  EXPECT_EQ(URL::parse("http://a?")->query(), "");
}

TEST(URLTest, EscapesThatDoNotDecodeToUTF8StayAsWritten) {
  const auto url = URL::parse("http://a/%FF%C3%A9/%C3");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->path(), "/%FF%C3%A9/%C3");
  EXPECT_EQ(url->pathComponents(), (std::vector<std::string>{"%FF%C3%A9", "%C3"}));
  EXPECT_EQ(url->lastPathComponent(), "%C3");
}

TEST(URLTest, PercentCoding) {
  EXPECT_EQ(percentEncoded("a+b&c=d é/~", URLCharacterSet::unreserved),
            "a%2Bb%26c%3Dd%20%C3%A9%2F~");
  EXPECT_EQ(percentEncoded("a+b&c=d é/?", URLCharacterSet::queryAllowed), "a+b&c=d%20%C3%A9/?");
  EXPECT_EQ(percentEncoded("/a b#?", URLCharacterSet::pathAllowed), "/a%20b%23%3F");
  EXPECT_EQ(percentDecoded("a+b%2B%c3%a9"), "a+b+é");
  EXPECT_EQ(percentDecoded("100%"), std::nullopt);
  EXPECT_EQ(percentDecoded("%G0"), std::nullopt);
  EXPECT_EQ(percentDecoded("%ED%A0%80"), std::nullopt);  // an encoded surrogate
  EXPECT_EQ(percentDecoded("%C0%AF"), std::nullopt);     // an overlong "/"
  EXPECT_EQ(percentDecoded("%00"), std::string(1, '\0'));
}

}  // namespace
}  // namespace kelvo
