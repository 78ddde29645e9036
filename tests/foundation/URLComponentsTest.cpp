#include "platform/foundation/URLComponents.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

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
