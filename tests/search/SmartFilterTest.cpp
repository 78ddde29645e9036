#include "core/search/SmartFilter.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/design/KelvoIcon.hpp"
#include "core/model/Card.hpp"
#include "platform/foundation/Text.hpp"
#include "tests/model/Library.hpp"

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

TEST(SmartFilterTest, ExtensionsAreDisjointAndComeBeforeType) {
  ASSERT_EQ(allCases<SmartFilter>().size(), 12u);
  EXPECT_EQ(fromRawValue<SmartFilter>("Links"), std::nullopt);
  EXPECT_EQ(emptyTitle(SmartFilter::gifs), "No gifs yet");
  EXPECT_EQ(smartFilterEmptyLibraryText(),
            "Keep something and Kelvo sorts it here on its own \u2014 text, links, images, PDFs "
            "and more.");
  EXPECT_EQ(smartFilterCountingText(), "Sorting your cards\u2026");

  std::set<std::string_view> seen;
  for (const auto& [set, filter] : smartFilterExtensionSets()) {
    for (const std::string_view extension : *set) {
      EXPECT_TRUE(seen.insert(extension).second) << extension;
      EXPECT_EQ(text::lowercased(extension), extension);
      // Found in any case, and only whole.
      const std::string name = "a." + text::uppercased(extension);
      EXPECT_EQ(classifySmartFilter(CardType::file, name, ""), filter) << name;
      for (const std::string_view more : {std::string_view("\0", 1), std::string_view("\u00E9")}) {
        const std::string longer = name + std::string(more);
        EXPECT_EQ(classifySmartFilter(CardType::file, longer, ""), SmartFilter::otherFiles);
      }
    }
  }

  using T = CardType;
  struct Row {
    CardType type;
    std::optional<std::string_view> filename;
    std::string_view payload;
    SmartFilter filter;
  };
  const std::vector<Row> rows = {
      {T::image, "loop.GIF", "", SmartFilter::gifs},
      {T::file, "notes.txt", "", SmartFilter::otherFiles},
      {T::document, std::nullopt, "", SmartFilter::otherFiles},
      {T::image, "scan", "", SmartFilter::images},
      {T::image, "scan.pdf", "", SmartFilter::pdfs},
      {T::document, "clip.mov", "", SmartFilter::videos},
      {T::file, ".pdf", "", SmartFilter::pdfs},
      {T::file, "report.", "", SmartFilter::otherFiles},
      {T::file, "backup.tar.gz", "", SmartFilter::otherFiles},
      {T::file, "sheets/budget.csv/", "", SmartFilter::spreadsheets},
      {T::file, "deck.\u212Aey", "", SmartFilter::presentations},  // the Kelvin sign lowers to k
      {T::file, "x.mpegmpegmpeg", "", SmartFilter::otherFiles},
      {T::text, "www.example.org", "www.example.org", SmartFilter::links},
      {T::text, "a.pdf", "see www.example.org", SmartFilter::textSnippets},
      {T::fact, "a.pdf", "https://example.org", SmartFilter::facts},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(classifySmartFilter(row.type, row.filename, row.payload), row.filter)
        << row.filename.value_or("(none)") << " " << row.payload;
  }
}

TEST(SmartFilterTest, CardsInAStoreCountsAndTheVisibleRow) {
  testing::Library library;
  const auto card = [&](std::optional<std::string> typeRaw, std::optional<std::string> name,
                        std::string payload) {
    auto made = library.insert<Card>("Card");
    if (typeRaw) made->setTypeRaw(*typeRaw);
    made->setFilename(std::move(name));
    made->setPayload(std::move(payload));
    return made;
  };
  const std::vector<std::shared_ptr<Card>> cards = {
      card(std::nullopt, "Deck.pptx", ""), card("fact", std::nullopt, "https://example.org"),
      card("text", std::nullopt, " https://example.org "), card("bookmark", "a.mp3", "")};
  std::vector<SmartFilter> filters;
  for (const auto& made : cards) filters.push_back(smartFilter(*made));
  EXPECT_EQ(filters, (std::vector<SmartFilter>{SmartFilter::presentations, SmartFilter::facts,
                                               SmartFilter::links, SmartFilter::audio}));

  const std::vector<SmartFilter> items = {SmartFilter::textSnippets, SmartFilter::audio,
                                          SmartFilter::textSnippets};
  const auto counts = smartFilterCounts(items, [](SmartFilter f) { return f; });
  EXPECT_EQ(counts, (std::map<SmartFilter, std::int64_t>{{SmartFilter::textSnippets, 2},
                                                         {SmartFilter::audio, 1}}));
  EXPECT_EQ(visibleSmartFilters(counts, std::nullopt),
            (std::vector<SmartFilter>{SmartFilter::textSnippets, SmartFilter::audio}));
  EXPECT_EQ(visibleSmartFilters({}, SmartFilter::pdfs),
            (std::vector<SmartFilter>{SmartFilter::pdfs}));
  EXPECT_EQ(visibleSmartFilters({{SmartFilter::images, 3}, {SmartFilter::links, 0}}, std::nullopt),
            (std::vector<SmartFilter>{SmartFilter::images}));
}

}  // namespace
}  // namespace kelvo
