#include "core/search/CardPredicate.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <tuple>
#include <unordered_set>
#include <vector>

#include "core/search/SavedSearch.hpp"
#include "core/search/SearchField.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "platform/foundation/Text.hpp"
#include "tests/search/SearchTestCards.hpp"
#include "tests/support/RawValuesTests.hpp"

namespace kelvo::testing {
using SearchEnumerations = ::testing::Types<SearchField>;
INSTANTIATE_TYPED_TEST_SUITE_P(Search, RawValuesTest, SearchEnumerations);
}  // namespace kelvo::testing

namespace kelvo {
namespace {

using P = CardPredicate;
using testing::makeCard;
using testing::titles;

constexpr double day = 86'400;
const Date now(800'000'000);

SearchableCard usedAgo(double seconds, std::int64_t useCount = 1) {
  return makeCard({.useCount = useCount, .lastUsedAt = now - seconds});
}

TEST(CardPredicateTest, AgesAreRealDaysAtTheGivenMoment) {
  const auto never = makeCard({});
  const auto countedOnly = makeCard({.useCount = 3});
  const auto damaged = usedAgo(std::numeric_limits<double>::quiet_NaN());
  struct Row {
    SearchableCard card;
    P predicate;
    bool matches;
  };
  const std::vector<Row> rows = {
      {usedAgo(7 * day), P::usedWithin(7), true},
      {usedAgo(7 * day + 1), P::stale(7), true},
      {usedAgo(-day), P::usedWithin(0), true},  // a future use counts as 0 days
      {usedAgo(-day), P::stale(0), false},
      {usedAgo(0), P::usedWithin(-1), false},
      {usedAgo(0), P::stale(-1), true},
      {countedOnly, P::neverUsed(), false},
      {countedOnly, P::stale(-1), false},
      {usedAgo(day, 0), P::neverUsed(), false},
      {never, P::neverUsed(), true},
      {never, P::stale(-1), false},
      {damaged, P::usedWithin(1'000'000), false},
      {damaged, P::stale(-1), false},
      {damaged, P::neverUsed(), false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(row.predicate.matches(row.card, now), row.matches)
        << row.predicate.name() << ", used " << row.card.useCount() << " times";
  }
}

TEST(CardPredicateTest, KindsNamesAndCombinations) {
  const auto work = makeCard({.shelfName = "WORK", .projectName = "Acme"});
  EXPECT_TRUE(P::shelf("Work").matches(work, now));
  EXPECT_FALSE(P::shelf("Work").matches(makeCard({.shelfName = "Work "}), now));
  EXPECT_FALSE(P::shelf("Work").matches(makeCard({.shelfName = "W\u00F6rk"}), now));
  EXPECT_TRUE(P::project("acme").matches(work, now));
  EXPECT_FALSE(P::project("Acmé").matches(work, now));

  const auto blankText = makeCard({.content = "Dear {name}"});
  const auto blankFact = makeCard({.content = "Dear {name}", .type = CardType::fact});
  EXPECT_TRUE(P::hasUnfilledFields().matches(blankText, now));
  EXPECT_FALSE(P::hasUnfilledFields().matches(blankFact, now));
  EXPECT_FALSE(P::hasUnfilledFields().matches(makeCard({.content = "{ }"}), now));
  EXPECT_FALSE(P::hasUnfilledFields().matches(makeCard({.content = "Dear \\{name}"}), now));
  EXPECT_FALSE(makeCard({.content = "https://example.com", .type = CardType::file}).isLink());
  EXPECT_FALSE(P::hasAttachment().matches(blankFact, now));
  for (const CardType type : {CardType::image, CardType::file, CardType::document}) {
    EXPECT_TRUE(P::hasAttachment().matches(makeCard({.type = type}), now));
    EXPECT_TRUE(P::type(type).matches(makeCard({.type = type}), now));
  }
  EXPECT_FALSE(P::locked().matches(work, now));
  EXPECT_TRUE(P(P::And{}).matches(work, now));
  EXPECT_FALSE(P(P::Or{}).matches(work, now));
  EXPECT_TRUE(P::neverUsed().negated().matches(usedAgo(day), now));

  const std::vector<SearchableCard> cards = {blankText, work, blankFact, usedAgo(100 * day)};
  const auto either = P::hasUnfilledFields().or_(P::stale(90));
  EXPECT_EQ(either.filter(cards, now), (std::vector<SearchableCard>{blankText, cards[3]}));
  EXPECT_EQ(either.negated().count(cards, now), 2);
}

// `filter` and `count` evaluate a flattened copy of the tree; it must agree with `matches`.
P randomPredicate(std::mt19937& random, int depth) {
  const std::vector<P> leaves = {
      P::all(),         P::type(CardType::fact), P::shelf("work"),  P::project("Acme"),
      P::usedWithin(3), P::neverUsed(),          P::stale(2),       P::hasAttachment(),
      P::locked(),      P::hasUnfilledFields(),  P::usedWithin(-1), P::stale(0)};
  const auto kind = depth == 0 ? 0 : random() % 5;
  if (kind < 2) return leaves[random() % leaves.size()];
  if (kind == 2) return randomPredicate(random, depth - 1).negated();
  std::vector<P> members(random() % 4);
  for (P& member : members) member = randomPredicate(random, depth - 1);
  return kind == 3 ? P(P::And{members}) : P(P::Or{members});
}

TEST(CardPredicateTest, FilterAndCountAgreeWithMatches) {
  std::mt19937 random(17);
  std::vector<SearchableCard> cards;
  const CardType types[] = {CardType::text, CardType::fact, CardType::image};
  for (int i = 0; i < 60; ++i) {
    std::optional<Date> lastUsedAt;
    if (i % 4 != 0) lastUsedAt = now - (static_cast<double>(i % 9) - 2) * day;
    if (i % 13 == 0) lastUsedAt = Date(std::numeric_limits<double>::quiet_NaN());
    cards.push_back(makeCard({.content = i % 3 == 0 ? "Dear {name}" : "Dear you",
                              .shelfName = i % 2 == 0 ? "WORK" : "Home",
                              .projectName = i % 5 == 0 ? "acme" : "",
                              .useCount = i % 3,
                              .lastUsedAt = lastUsedAt,
                              .type = types[i % 3]}));
  }
  for (int round = 0; round < 300; ++round) {
    const P predicate = randomPredicate(random, 4);
    std::vector<SearchableCard> expected;
    for (const auto& card : cards) {
      if (predicate.matches(card, now)) expected.push_back(card);
    }
    EXPECT_EQ(predicate.filter(cards, now), expected) << predicate.name();
    EXPECT_EQ(predicate.count(cards, now), static_cast<std::int64_t>(expected.size()));
  }
}

TEST(CardPredicateTest, NamesAndStructuralEquality) {
  const std::vector<std::pair<P, std::string>> rows = {
      {P::all(), "All cards"},
      {P::shelf("Inbox "), "Inbox "},
      {P::usedWithin(0), "Used today"},
      {P::usedWithin(1), "Used since yesterday"},
      {P::usedWithin(2), "Used this week"},
      {P::usedWithin(8), "Used this month"},
      {P::usedWithin(32), "Used in the last 32 days"},
      {P::stale(90), "Stale (90 days)"},
      {P::neverUsed().negated(), "Not never used"},
      {P(P::Or{{P::neverUsed(), P::type(CardType::fact)}}), "Never used or Facts"},
      {P(P::And{{P::locked(), P::hasAttachment()}}), "Locked + Has a file"},
      {P(P::And{}), ""},
  };
  for (const auto& [predicate, name] : rows) EXPECT_EQ(predicate.name(), name);

  const auto a = P::shelf("Caf\u00E9");
  const auto b = P::neverUsed();
  EXPECT_EQ(a.and_(b), P(P::And{{a, b}}));
  EXPECT_NE(a.and_(b), b.and_(a));
  EXPECT_NE(a.and_(b), a.or_(b));
  EXPECT_EQ(a, P::shelf("Cafe\u0301"));
  EXPECT_NE(a, P::shelf("caf\u00E9"));
  EXPECT_NE(P::stale(7), P::usedWithin(7));
  EXPECT_NE(b.negated().negated(), b);
  EXPECT_NE(P(P::And{{P(P::And{{b}})}}), P(P::And{{b}}));
  const std::unordered_set<P> set = {a.and_(b), P(P::And{{P::shelf("Cafe\u0301"), b}}), b.and_(a)};
  EXPECT_EQ(set.size(), 2u);
}

TEST(CardPredicateTest, KeyedFormRoundTripsAndReadsStrictly) {
  const auto decoded = [](std::string_view text) {
    const Json json = json::parse(text);
    return P::decode(JSONReader(json));
  };
  const auto written = [](const P& predicate) {
    Json json;
    predicate.encode(json);
    return json::write(json);
  };
  for (const std::string text :
       {R"({"all":{}})", R"({"type":{"_0":"fact"}})", R"({"shelf":{"_0":"A\/B \"x\""}})",
        R"({"usedWithin":{"days":-3}})", R"({"and":{"_0":[]}})",
        R"({"or":{"_0":[{"locked":{}},{"and":{"_0":[{"all":{}}]}}]}})",
        R"({"not":{"_0":{"not":{"_0":{"neverUsed":{}}}}}})"}) {
    EXPECT_EQ(written(decoded(text)), text);
  }
  EXPECT_EQ(decoded(R"({"not":{"_0":{"shelf":{"_0":"Home"}}}})"), P(P::Not{P::shelf("Home")}));
  EXPECT_EQ(decoded(R"({"all":{},"extra":1})"), P::all());
  EXPECT_EQ(decoded(R"({"stale":{"days":7.0,"x":"y"}})"), P::stale(7));

  using Kind = DecodingError::Kind;
  const std::string keys = "Invalid number of keys found, expected one.";
  const std::vector<std::tuple<std::string, Kind, std::string>> failures = {
      {R"({"all":{},"locked":{}})", Kind::typeMismatch, keys},
      {R"({})", Kind::typeMismatch, keys},
      {R"({"all":[]})", Kind::typeMismatch, ""},
      {R"({"usedWithin":{}})", Kind::keyNotFound, ""},
      {R"({"usedWithin":{"days":"7"}})", Kind::typeMismatch, ""},
      {R"({"stale":{"days":7.5}})", Kind::dataCorrupted, ""},
      {R"({"type":{"_0":"photo"}})", Kind::dataCorrupted, ""},
      {R"({"and":{"_0":[{"all":{}},{"type":{"_0":"Text"}}]}})", Kind::dataCorrupted, ""},
      {R"({"not":{"_0":null}})", Kind::valueNotFound, ""},
  };
  for (const auto& [text, kind, description] : failures) {
    try {
      decoded(text);
      ADD_FAILURE() << text;
    } catch (const DecodingError& error) {
      EXPECT_EQ(error.kind(), kind) << text;
      if (!description.empty()) {
        EXPECT_EQ(error.description(), description) << text;
      }
    }
  }
}

UUID idNumbered(std::uint8_t n) {
  UUID::Bytes bytes{};
  bytes[0] = n;
  return UUID(bytes);
}

TEST(SavedSearchTest, SortsEndInTitleThenIdentifier) {
  EXPECT_EQ(fromRawValue<CardSort>("MostUsed"), std::nullopt);

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
  EXPECT_EQ(
      titles(sorted(CardSort::recentlyUsed, recent)),
      (std::vector<std::string>{"today", "Y1", "y2", "old", "damaged", "never a", "never b"}));

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

// Titles made to share long beginnings, so that key prefixes tie and whole keys decide: the
// order must be a plain stable sort's by title, then identifier.
TEST(SavedSearchTest, TitleOrderIsThePlainStableSortsOrder) {
  const std::vector<std::string> pieces = {"Quarterly invoice for the ",
                                           "quarterly INVOICE for the ",
                                           "Quarterly invo\u00EFce ",
                                           "r\u00E9sum\u00E9",
                                           "re\u0301sume\u0301",
                                           "resume",
                                           "\u6771\u4EAC",
                                           "a",
                                           "A",
                                           " ",
                                           "\u00E5",
                                           "\xFF",
                                           "10",
                                           "9",
                                           "",
                                           "\u0301"};
  std::mt19937 random(21);
  std::vector<SearchableCard> cards;
  for (int i = 0; i < 400; ++i) {
    std::string title = pieces[random() % 3];
    for (auto count = random() % 6; count > 0; --count) title += pieces[random() % pieces.size()];
    cards.push_back(makeCard({.title = title, .content = std::to_string(i)},
                             idNumbered(static_cast<std::uint8_t>(random() % 3))));
  }
  std::vector<SearchableCard> expected = cards;
  std::stable_sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) {
    const auto titles = text::localizedCaseInsensitiveCompare(a.title(), b.title());
    return titles != 0 ? titles < 0 : a.id() < b.id();
  });
  EXPECT_EQ(sorted(CardSort::title, cards), expected);
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
      {P::locked(),
       "Kelvo no longer locks cards, so this shelf stays empty. Edit it to match something "
       "else."},
      {P::project("Acme").and_(P::stale(90)), "Nothing matches this filter yet."},
  };
  for (const auto& [predicate, message] : messages) {
    search.setPredicate(predicate);
    EXPECT_EQ(search.emptyStateMessage(), message);
  }
}

TEST(SavedSearchTest, StoredFormRoundTripsAndReadsStrictly) {
  const SavedSearch search(UUID::parse("6f1c2a3b-0000-4000-8000-00000000abcd").value(),
                           "Clients/2024", "paid inv", P::stale(90).negated(), CardSort::mostUsed,
                           KelvoIcon::stale);
  const std::string text = R"({"id":"6F1C2A3B-0000-4000-8000-00000000ABCD","name":"Clients\/2024",)"
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
           bare.substr(0, bare.size() - 1) + R"(,"query":7})", std::string(R"(["id"])")}) {
    EXPECT_THROW(SavedSearch::decoded(broken), DecodingError) << broken;
  }
}

}  // namespace
}  // namespace kelvo
