#include "core/search/SavedSearch.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "tests/search/SearchTestCards.hpp"

namespace kelvo {
namespace {

using P = CardPredicate;
using testing::makeCard;

const Date now(800'000'000);

UUID idNumbered(std::uint8_t n) {
  UUID::Bytes bytes{};
  bytes[0] = n;
  return UUID(bytes);
}

std::vector<std::string> titles(const std::vector<SearchableCard>& cards) {
  std::vector<std::string> result;
  for (const auto& card : cards) result.push_back(card.title());
  return result;
}

TEST(SavedSearchTest, SortsEndInTitleThenIdentifier) {
  EXPECT_EQ(fromRawValue<CardSort>("mostUsed"), CardSort::mostUsed);
  EXPECT_EQ(fromRawValue<CardSort>("MostUsed"), std::nullopt);
  EXPECT_EQ(name(CardSort::relevance), "Best match");

  const std::vector<SearchableCard> used = {makeCard({.title = "b", .useCount = 5}),
                                            makeCard({.title = "c", .useCount = 9}),
                                            makeCard({.title = "A", .useCount = 5})};
  EXPECT_EQ(titles(sorted(CardSort::mostUsed, used)), (std::vector<std::string>{"c", "A", "b"}));

  const auto yesterday = now - 86'400;
  const std::vector<SearchableCard> recent = {
      makeCard({.title = "never b", .useCount = 100}),
      makeCard({.title = "never a"}),
      makeCard({.title = "damaged",
                .useCount = 1,
                .lastUsedAt = Date(std::numeric_limits<double>::quiet_NaN())}),
      makeCard({.title = "old", .useCount = 1, .lastUsedAt = Date::distantPast()}),
      makeCard({.title = "y2", .useCount = 1, .lastUsedAt = yesterday}),
      makeCard({.title = "Y1", .useCount = 1, .lastUsedAt = yesterday}),
      makeCard({.title = "today", .useCount = 1, .lastUsedAt = now})};
  EXPECT_EQ(titles(sorted(CardSort::recentlyUsed, recent)),
            (std::vector<std::string>{"today", "Y1", "y2", "old", "damaged", "never a",
                                      "never b"}));

  // Same title in other case falls to the identifier; same title and id keep input order.
  const auto first = makeCard({.title = "Same", .content = "first"}, idNumbered(2));
  const auto second = makeCard({.title = "same", .content = "second"}, idNumbered(1));
  const auto third = makeCard({.title = "SAME", .content = "third"}, idNumbered(2));
  EXPECT_EQ(sorted(CardSort::title, {first, second, third}),
            (std::vector<SearchableCard>{second, first, third}));
  EXPECT_EQ(sorted(CardSort::title, {third, second, first}),
            (std::vector<SearchableCard>{second, third, first}));

  const std::vector<SearchableCard> duplicates = {first, second, first};
  EXPECT_EQ(sorted(CardSort::relevance, duplicates), duplicates);
}

TEST(SavedSearchTest, ApplyAndEmptyStates) {
  const std::vector<SearchableCard> cards = {makeCard({.title = "b"}),
                                             makeCard({.title = "a", .type = CardType::image})};
  SavedSearch search(UUID::random(), "Everything", "invoice", P::all(), CardSort::relevance,
                     KelvoIcon::search);
  EXPECT_EQ(search.apply(cards, now), cards);
  search.setSort(CardSort::title);
  EXPECT_EQ(titles(search.apply(cards, now)), (std::vector<std::string>{"a", "b"}));
  search.setPredicate(P::hasAttachment());
  EXPECT_EQ(titles(search.apply(cards, now)), (std::vector<std::string>{"a"}));

  const std::vector<std::pair<P, std::string>> messages = {
      {P::project("Acme"),
       "Nothing is filed in Acme yet. Drag a card onto one of its shelves, or add a shelf "
       "inside it."},
      {P::stale(90), "Nothing has gone stale. Every card has been used recently."},
      {P::neverUsed(), "Every card here has been used at least once."},
      {P::hasAttachment(), "No images, files or documents yet. Drop one in to keep it here."},
      {P::hasUnfilledFields(), "No templates are waiting on fields."},
      {P::locked(),
       "Kelvo no longer locks cards, so this shelf stays empty. Edit it to match something "
       "else."},
      {P::project("Acme").and_(P::stale(90)), "Nothing matches this filter yet."},
      {P::stale(90).negated(), "Nothing matches this filter yet."},
  };
  for (const auto& [predicate, message] : messages) {
    search.setPredicate(predicate);
    EXPECT_EQ(search.emptyStateMessage(), message);
  }
}

TEST(SavedSearchTest, StoredFormRoundTripsAndReadsStrictly) {
  const SavedSearch search(UUID::parse("6f1c2a3b-0000-4000-8000-00000000abcd").value(),
                           "Clients/2024", "paid inv", P::stale(90).negated(),
                           CardSort::mostUsed, KelvoIcon::stale);
  const std::string text =
      R"({"id":"6F1C2A3B-0000-4000-8000-00000000ABCD","name":"Clients\/2024",)"
      R"("predicate":{"not":{"_0":{"stale":{"days":90}}}},"query":"paid inv",)"
      R"("sort":"mostUsed","storedIcon":"stale"})";
  EXPECT_EQ(search.encoded(), text);
  EXPECT_EQ(SavedSearch::decoded(text), search);

  const std::string bare =
      R"({"id":"6F1C2A3B-0000-4000-8000-00000000ABCD","name":"A","predicate":{"all":{}},)"
      R"("sort":"title"})";
  const auto decoded = SavedSearch::decoded(bare);
  EXPECT_EQ(decoded.query(), std::nullopt);
  EXPECT_EQ(decoded.icon(), KelvoIcon::filter);
  EXPECT_EQ(decoded.encoded(), bare);
  auto withIcon = decoded;
  withIcon.setIcon(KelvoIcon::filter);
  EXPECT_NE(withIcon, decoded);
  EXPECT_NE(std::hash<SavedSearch>{}(withIcon), std::hash<SavedSearch>{}(decoded));
  EXPECT_EQ(SavedSearch::decoded(R"({"query":null,"storedIcon":null,"x":1,)" + bare.substr(1)),
            decoded);

  for (const std::string& broken : std::vector<std::string>{
           R"({"name":"A","predicate":{"all":{}},"sort":"title"})",
        R"({"id":"6F1C2A3B-0000-4000-8000-00000000ABCD","name":"A","predicate":{"all":{}},)"
        R"("sort":"Title"})",
        bare.substr(0, bare.size() - 1) + R"(,"storedIcon":"sparkles"})",
        bare.substr(0, bare.size() - 1) + R"(,"query":7})",
        std::string(R"(["id"])")}) {
    EXPECT_THROW(SavedSearch::decoded(broken), DecodingError) << broken;
  }
}

}  // namespace
}  // namespace kelvo
