#include "platform/foundation/URLComponents.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

URLComponents link(std::string host, std::vector<URLQueryItem> items) {
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
  const URLComponents read(*url);
  ASSERT_TRUE(read.queryItems);
  EXPECT_EQ(*read.queryItems, (std::vector<URLQueryItem>{{"q", awkward}}));

  for (const std::string value : {"", " ", "#frag", "100%", "x?y/z", "日本語 😀", "=&=&"}) {
    const auto built = link("keep", {{"text", value}, {"a b", std::nullopt}}).url();
    ASSERT_TRUE(built) << value;
    EXPECT_EQ(URLComponents(*built).queryItems,
              (std::vector<URLQueryItem>{{"text", value}, {"a b", std::nullopt}}));
  }
}

TEST(URLComponentsTest, ReadsQueryItemsInOrder) {
  const auto components = URLComponents::parse("kelvo://keep?text&text=hello&text=again&=x&&q=a+b");
  ASSERT_TRUE(components);
  const std::vector<URLQueryItem> expected = {{"text", std::nullopt}, {"text", "hello"},
                                              {"text", "again"},      {"", "x"},
                                              {"", std::nullopt},     {"q", "a+b"}};
  EXPECT_EQ(components->queryItems, expected);
  EXPECT_EQ(components->firstValue("text"), "hello");
  EXPECT_EQ(components->firstValue("Text"), std::nullopt);

  EXPECT_EQ(URLComponents::parse("kelvo://keep")->queryItems, std::nullopt);
  EXPECT_EQ(URLComponents::parse("kelvo://keep?")->queryItems, std::vector<URLQueryItem>{});
  EXPECT_FALSE(URLComponents::parse("not a url"));
}

TEST(URLComponentsTest, ReadsAndRebuildsTheOtherParts) {
  const auto components = URLComponents::parse("https://me:p%40ss@[::1]:8080/a%20b/c?x=1#f%20g");
  ASSERT_TRUE(components);
  EXPECT_EQ(components->user, "me");
  EXPECT_EQ(components->password, "p@ss");
  EXPECT_EQ(components->host, "[::1]");
  EXPECT_EQ(components->port, 8080);
  EXPECT_EQ(components->path, "/a b/c");
  EXPECT_EQ(components->fragment, "f g");
  EXPECT_EQ(components->string(), "https://me:p%40ss@[::1]:8080/a%20b/c?x=1#f%20g");

  EXPECT_EQ(URLComponents::parse("kelvo:///card/ID")->host, "");
  EXPECT_EQ(URLComponents::parse("kelvo:/card")->host, std::nullopt);
  EXPECT_EQ(URLComponents::parse("http://")->string(), "http://");
}

TEST(URLComponentsTest, RefusesPartsThatCannotFormAURL) {
  URLComponents components;
  EXPECT_EQ(components.url(), std::nullopt);  // nothing at all

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

  URLComponents relative;
  relative.path = "a:b";
  EXPECT_EQ(relative.string(), std::nullopt);
  relative.path = "//a";
  EXPECT_EQ(relative.string(), std::nullopt);
  relative.path = "a/b:c";
  EXPECT_EQ(relative.url()->path(), "a/b:c");
}

}  // namespace
}  // namespace kelvo
