#include "platform/foundation/URL.hpp"

#include <gtest/gtest.h>

#include "platform/foundation/URLComponents.hpp"

namespace kelvo {
namespace {

using Components = std::vector<std::string>;

TEST(URLTest, ReadsTheParts) {
  const auto url = URL::parse("HTTPS://user:pw@Example.com:8443/a%20b/c%2Fd/?q=1&r#top");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->scheme(), "HTTPS");
  EXPECT_EQ(url->host(), "Example.com");
  EXPECT_EQ(url->port(), 8443);
  EXPECT_EQ(url->path(), "/a b/c/d/");
  EXPECT_EQ(url->pathComponents(), (Components{"a b", "c/d"}));
  EXPECT_EQ(url->lastPathComponent(), "c/d");
  EXPECT_EQ(url->query(), "q=1&r");
  EXPECT_EQ(url->fragment(), "top");
  EXPECT_EQ(URL::parse("http://[::1]:80/x")->host(), "::1");

  // Escapes that do not decode to UTF-8 stay as written.
  const auto raw = URL::parse("http://a/%FF%C3%A9/%C3");
  ASSERT_TRUE(raw);
  EXPECT_EQ(raw->path(), "/%FF%C3%A9/%C3");
  EXPECT_EQ(raw->pathComponents(), (Components{"%FF%C3%A9", "%C3"}));
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
  EXPECT_TRUE(bare->pathComponents().empty());

  // An empty host leaves the kind of a deep link in the path.
  const auto link = URL::parse("kelvo:///card/ID");
  ASSERT_TRUE(link);
  EXPECT_EQ(link->host(), std::nullopt);
  EXPECT_EQ(link->pathComponents(), (Components{"card", "ID"}));

  EXPECT_EQ(URL::parse("foo/bar")->scheme(), std::nullopt);
  EXPECT_EQ(URL::parse("x://h:/p")->port(), std::nullopt);
  EXPECT_EQ(URL::parse("http://a?")->query(), "");
}

TEST(URLTest, PercentCoding) {
  EXPECT_EQ(percentEncoded("a+b&c=d é/~", URLCharacterSet::unreserved),
            "a%2Bb%26c%3Dd%20%C3%A9%2F~");
  EXPECT_EQ(percentEncoded("a+b&c=d é/?", URLCharacterSet::queryAllowed), "a+b&c=d%20%C3%A9/?");
  EXPECT_EQ(percentEncoded("/a b#?", URLCharacterSet::pathAllowed), "/a%20b%23%3F");
  EXPECT_EQ(percentDecoded("a+b%2B%c3%a9"), "a+b+é");
  for (const char* bad : {"100%", "%G0", "%ED%A0%80", "%C0%AF"}) {  // a surrogate, an overlong "/"
    EXPECT_EQ(percentDecoded(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(percentDecoded("%00"), std::string(1, '\0'));
}

TEST(URLTest, FileURLs) {
  const URL file = URL::fileURL("/tmp/Tutorials/a b#1%.mp4");
  EXPECT_EQ(file.absoluteString(), "file:///tmp/Tutorials/a%20b%231%25.mp4");
  EXPECT_EQ(file.path(), "/tmp/Tutorials/a b#1%.mp4");
  EXPECT_TRUE(file.isFileURL());
  EXPECT_EQ(URL::fileURL("clip.mp4").path(),
            (std::filesystem::current_path() / "clip.mp4").string());
  EXPECT_TRUE(URL::parse("FILE:///x")->isFileURL());
  for (const char* other : {"https://example.com/a.mp4", "files:///x", "fil:///x", "/tmp/x"}) {
    EXPECT_FALSE(URL::parse(other)->isFileURL()) << other;
  }
}

using Items = std::vector<URLQueryItem>;

URLComponents link(std::string host, Items items) {
  URLComponents components;
  components.scheme = "kelvo";
  components.host = std::move(host);
  components.queryItems = std::move(items);
  return components;
}

TEST(URLComponentsTest, QueryValuesRoundTrip) {
  const std::string awkward = "a+b&c=d é";
  const auto url = link("search", {{"q", awkward}}).url();
  ASSERT_TRUE(url);
  EXPECT_EQ(url->absoluteString(), "kelvo://search?q=a%2Bb%26c%3Dd%20%C3%A9");
  EXPECT_EQ(URLComponents(*url).queryItems, (Items{{"q", awkward}}));

  for (const std::string value : {"", "#frag", "100%", "x?y/z", "日本語 😀", "=&=&"}) {
    const Items items = {{"text", value}, {"a b", std::nullopt}};
    const auto built = link("keep", items).url();
    ASSERT_TRUE(built) << value;
    EXPECT_EQ(URLComponents(*built).queryItems, items);
  }
}

TEST(URLComponentsTest, ReadsTheParts) {
  const auto components = URLComponents::parse("kelvo://keep?text&text=hello&=x&&q=a+b");
  ASSERT_TRUE(components);
  EXPECT_EQ(
      components->queryItems,
      (Items{
          {"text", std::nullopt}, {"text", "hello"}, {"", "x"}, {"", std::nullopt}, {"q", "a+b"}}));
  EXPECT_EQ(components->firstValue("text"), "hello");
  EXPECT_EQ(URLComponents::parse("kelvo://keep")->queryItems, std::nullopt);
  EXPECT_EQ(URLComponents::parse("kelvo://keep?")->queryItems, Items{});
  EXPECT_FALSE(URLComponents::parse("not a url"));

  const auto full = URLComponents::parse("https://me:p%40ss@[::1]:8080/a%20b/c?x=1#f%20g");
  ASSERT_TRUE(full);
  EXPECT_EQ(full->password, "p@ss");
  EXPECT_EQ(full->host, "[::1]");
  EXPECT_EQ(full->port, 8080);
  EXPECT_EQ(full->path, "/a b/c");
  EXPECT_EQ(full->string(), "https://me:p%40ss@[::1]:8080/a%20b/c?x=1#f%20g");
  EXPECT_EQ(URLComponents::parse("kelvo:///card/ID")->host, "");
  EXPECT_EQ(URLComponents::parse("kelvo:/card")->host, std::nullopt);
  EXPECT_EQ(URLComponents::parse("http://")->string(), "http://");
}

TEST(URLComponentsTest, RefusesPartsThatCannotFormAURL) {
  URLComponents components;
  components.scheme = "1kelvo";
  EXPECT_EQ(components.string(), std::nullopt);
  components.scheme = "kelvo";
  components.host = "card";
  components.path = "relative";
  EXPECT_EQ(components.string(), std::nullopt);
  components.path = "/a?b#c";
  EXPECT_EQ(components.string(), "kelvo://card/a%3Fb%23c");
  components.port = 70000;
  EXPECT_EQ(components.string(), std::nullopt);

  // A path alone must not read back as a scheme or an authority.
  URLComponents relative;
  for (const char* path : {"a:b", "//a"}) {
    relative.path = path;
    EXPECT_EQ(relative.string(), std::nullopt) << path;
  }
}

}  // namespace
}  // namespace kelvo
