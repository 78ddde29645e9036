#include "core/model/WebLink.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/model/WebLinkReference.hpp"

namespace kelvo {
namespace {

// Plain links take a shortcut past the full parse: built from pieces near its edges, every text
// must get the answer the full parse gives.
TEST(WebLinkTest, ShortcutsAgreeWithTheFullParse) {
  const std::string heads[] = {"http://", "https://", "HTTPS://", "www.",
                               "Www.",    "http:/",   "ftp://"};
  const std::string hosts[] = {
      "a.b",     "example.com", "localhost", "LOCALHOST", "x",         ".",
      "a..b",    "-a.b",        "a_b.c",     "a.b:80",    "a.b:99999", "[::1]",
      "1.2.3.4", "user@a.b",    "%41.b",     "é.com",     ""};
  const std::string tails[] = {"",     "/",    "/path", "/a?b=c&d+e", "/~x_y.z", "?q",
                               "#f",   "/%zz", "/%41",  "/a b",       "/<x>",    "/a#b#c",
                               "/{x}", "/a|b", "\\",    "/é"};
  std::mt19937 random(11);
  std::size_t checked = 0;
  for (const auto& head : heads) {
    for (const auto& host : hosts) {
      for (const auto& tail : tails) {
        const std::string text = head + host + tail;
        EXPECT_EQ(isWebLink(text), testing::isWebLinkByFullParse(text)) << text;
        ++checked;
      }
    }
  }
  // Random texts over the characters the shortcut reads.
  const std::string alphabet = "aZ9.-_~/?=&+:@%#[]! ";
  for (int i = 0; i < 20'000; ++i) {
    std::string text = i % 2 == 0 ? "https://" : "www.";
    const int length = static_cast<int>(random() % 24);
    for (int k = 0; k < length; ++k) text += alphabet[random() % alphabet.size()];
    EXPECT_EQ(isWebLink(text), testing::isWebLinkByFullParse(text)) << text;
  }
  EXPECT_GT(checked, 1'000u);
}

}  // namespace
}  // namespace kelvo
