#include "core/model/WebLink.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <string>

#include "core/model/Card.hpp"
#include "core/model/LinkPreviewPolicy.hpp"
#include "platform/foundation/DecodingError.hpp"
#include "tests/model/Library.hpp"
#include "tests/model/WebLinkReference.hpp"

namespace kelvo {
namespace {

// Plain links take a shortcut past the full parse: built from pieces near its edges, every text
// must get the answer the full parse gives.
TEST(WebLinkTest, ShortcutsAgreeWithTheFullParse) {
  const std::string heads[] = {"http://", "https://", "HTTPS://", "www.",         "Www.",
                               "http:/",  "ftp://",   "hTtP://",  "www\u0301.",   "ht\u00A0tp://",
                               "h",       "wW",       "https:",   "http\u212A://"};
  const std::string hosts[] = {
      "a.b",     "example.com", "localhost", "LOCALHOST", "x",         ".",
      "a..b",    "-a.b",        "a_b.c",     "a.b:80",    "a.b:99999", "[::1]",
      "1.2.3.4", "user@a.b",    "%41.b",     "é.com",     ""};
  const std::string tails[] = {"",     "/",    "/path", "/a?b=c&d+e", "/~x_y.z", "?q",
                               "#f",   "/%zz", "/%41",  "/a b",       "/<x>",    "/a#b#c",
                               "/{x}", "/a|b", "\\",    "/é"};
  const std::string ends[] = {" ",
                              "\t\r\n",
                              "\u00A0",
                              " \f\u00A0",
                              "\u3000",
                              "\u0085",
                              "\xC2",
                              "\u0301",
                              std::string(1'020, ' '),
                              std::string(1'020, 'x')};
  std::mt19937 random(11);
  for (const auto& head : heads) {
    for (const auto& host : hosts) {
      for (const auto& tail : tails) {
        const std::string text = head + host + tail;
        EXPECT_EQ(isWebLink(text), testing::isWebLinkByFullParse(text)) << text;
        // White space of either kind at the ends, or a long text.
        const std::string wrapped = ends[random() % 6] + text + ends[random() % std::size(ends)];
        EXPECT_EQ(isWebLink(wrapped), testing::isWebLinkByFullParse(wrapped)) << wrapped;
      }
    }
  }
  for (const std::size_t length : {2'048, 2'049}) {
    const std::string text = "https://a.b/" + std::string(length - 12, 'x');
    EXPECT_EQ(isWebLink(text), length == 2'048);
    EXPECT_EQ(isWebLink(text + "\u00E9"), false);
  }
  // Random texts over the characters the shortcut reads.
  const std::string alphabet = "aZ9.-_~/?=&+:@%#[]! ";
  for (int i = 0; i < 20'000; ++i) {
    std::string text = i % 2 == 0 ? "https://" : "www.";
    const int length = static_cast<int>(random() % 24);
    for (int k = 0; k < length; ++k) text += alphabet[random() % alphabet.size()];
    EXPECT_EQ(isWebLink(text), testing::isWebLinkByFullParse(text)) << text;
  }
}

using Policy = LinkPreviewPolicy;
using Outcome = Policy::Outcome;
using Record = Policy::Record;

const Date then(700'000'000);

URL url(std::string_view text) { return *URL::parse(text); }

TEST(LinkPreviewPolicyTest, FetchesFallDueByOutcomeAndBackOff) {
  EXPECT_TRUE(Policy::isDue(false, std::nullopt, then));
  const Record once{1, then, Outcome::failed};
  EXPECT_FALSE(Policy::isDue(false, once, then + 59));
  EXPECT_TRUE(Policy::isDue(false, once, then + 60));
  EXPECT_FALSE(Policy::isDue(true, once, then + 1e9));
  // A clock set back: a failure retries at once, a page without an image waits.
  EXPECT_TRUE(Policy::isDue(false, Record{4, then + 100, Outcome::failed}, then));
  EXPECT_FALSE(Policy::isDue(false, Record{0, then + 100, Outcome::noImage}, then));
  EXPECT_FALSE(Policy::isDue(false, Record{0, then, Outcome::noImage}, then + 604'799));
  EXPECT_TRUE(Policy::isDue(false, Record{0, then, Outcome::noImage}, then + 604'800));
  EXPECT_FALSE(Policy::isDue(false, Record{0, then, Outcome::image}, then + 1e9));
}

TEST(LinkPreviewPolicyTest, RecordsCountFailuresInARow) {
  EXPECT_EQ(Policy::record(std::nullopt, Outcome::failed, then),
            (Record{1, then, Outcome::failed}));
  EXPECT_EQ(Policy::record(Record{0, then, Outcome::noImage}, Outcome::failed, then).attempts, 1);
  EXPECT_EQ(Policy::record(Record{3, then, Outcome::failed}, Outcome::failed, then + 5),
            (Record{4, then + 5, Outcome::failed}));
  EXPECT_EQ(Policy::record(Record{3, then, Outcome::failed}, Outcome::image, then).attempts, 0);
  // A stored count at the top of the range does not wrap round.
  const auto top = std::numeric_limits<std::int64_t>::max();
  EXPECT_EQ(Policy::record(Record{top, then, Outcome::failed}, Outcome::failed, then).attempts,
            top);

  const Record record{3, Date(720'000'000.25), Outcome::failed};
  EXPECT_EQ(record.encoded(), R"({"attempts":3,"lastAttempt":720000000.25,"outcome":"failed"})");
  EXPECT_EQ(Record::decode(R"({"outcome":"failed","lastAttempt":720000000.25,"attempts":3})"),
            record);
  for (const char* bad :
       {R"({"attempts":1,"lastAttempt":5,"outcome":"Image"})", R"({"attempts":1,"lastAttempt":5})",
        R"({"attempts":"1","lastAttempt":5,"outcome":"image"})"}) {
    EXPECT_THROW(Record::decode(bad), DecodingError) << bad;
  }
}

TEST(LinkPreviewPolicyTest, LinksAreReadShownAndKeyed) {
  EXPECT_EQ(Policy::url("  www.Example.COM/Path  ")->absoluteString(),
            "https://www.Example.COM/Path");
  EXPECT_EQ(Policy::url("\nHTTP://example.com/a\t")->absoluteString(), "HTTP://example.com/a");
  EXPECT_FALSE(Policy::url("example.com/path"));
  EXPECT_FALSE(Policy::url("https://intranet/page"));

  const URL site = url("https://WWW.Example-Site.co.uk/a");
  EXPECT_EQ(Policy::displayHost(site), "example-site.co.uk");
  EXPECT_EQ(Policy::displayHost(url("https://www.www.example.com")), "www.example.com");
  // One "_" for every other scalar; letters of any script stay.
  EXPECT_EQ(Policy::iconKey(url("https://caf%C3%A9%E2%9C%93.fr:8080")), "caf\u00E9_.fr");
  // Without a host the whole text stands in, lower-cased; nothing left is "unknown".
  EXPECT_EQ(Policy::displayHost(url("MAILTO:Ann@Example.com")), "mailto:ann@example.com");
  EXPECT_EQ(Policy::iconKey(url("MAILTO:Ann@Example.com")), "mailto_ann_example.com");
  EXPECT_EQ(Policy::iconKey(url("https://www.")), "unknown");

  const URL docs = url("https://www.Example.com/docs");
  for (const char* title :
       {"", " \n\t", " https://other.org/x ", "EXAMPLE.com", "Www.Example.Com"}) {
    EXPECT_TRUE(Policy::titleNeedsPageTitle(title, docs)) << title;
  }
  for (const char* title : {"Example", "example.com/docs", "Team handbook"}) {
    EXPECT_FALSE(Policy::titleNeedsPageTitle(title, docs)) << title;
  }
}

TEST(LinkPreviewPolicyTest, CardLinkViewsFollowTheTypeAndPayload) {
  testing::Library library;
  const auto card = [&](std::string_view typeRaw, std::string_view payload) {
    auto made = library.insert<Card>("Card");
    made->setTypeRaw(std::string(typeRaw));
    made->setPayload(std::string(payload));
    return made;
  };
  const auto link = card("text", "  www.Example.COM/Path  ");
  EXPECT_EQ(link->linkURL()->absoluteString(), "https://www.Example.COM/Path");
  EXPECT_EQ(link->tileLayout(), CardTileLayout::link);
  EXPECT_EQ(card("text", "see example.com")->tileLayout(), CardTileLayout::snippet);

  // Only a text card is ever a link; an unknown type lays out as an attachment.
  for (const std::string_view typeRaw : {"image", "fact", "bookmark", ""}) {
    const auto other = card(typeRaw, "https://example.com");
    EXPECT_FALSE(other->isLink()) << typeRaw;
    EXPECT_NE(other->tileLayout(), CardTileLayout::link) << typeRaw;
  }
  EXPECT_EQ(card("bookmark", "x")->tileLayout(), CardTileLayout::attachment);
}

}  // namespace
}  // namespace kelvo
