#include "core/search/CardPredicate.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <unordered_set>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/foundation/JSONReader.hpp"
#include "tests/search/SearchTestCards.hpp"

namespace kelvo {
namespace {

using P = CardPredicate;
using testing::makeCard;

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
      {usedAgo(7 * day), P::stale(7), false},
      {usedAgo(7 * day + 1), P::usedWithin(7), false},
      {usedAgo(7 * day + 1), P::stale(7), true},
      {usedAgo(7.5 * day), P::usedWithin(7), false},
      {usedAgo(-day), P::usedWithin(0), true},  // a future use counts as 0 days
      {usedAgo(-day), P::stale(0), false},
      {usedAgo(0), P::usedWithin(-1), false},
      {usedAgo(0), P::stale(-1), true},
      {countedOnly, P::neverUsed(), false},
      {countedOnly, P::usedWithin(100), false},
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

TEST(CardPredicateTest, Names) {
  const std::vector<std::pair<P, std::string>> rows = {
      {P::all(), "All cards"},
      {P::type(CardType::document), "Docs"},
      {P::shelf("Inbox "), "Inbox "},
      {P::project("Acme"), "In Acme"},
      {P::usedWithin(-5), "Used today"},
      {P::usedWithin(0), "Used today"},
      {P::usedWithin(1), "Used since yesterday"},
      {P::usedWithin(2), "Used this week"},
      {P::usedWithin(7), "Used this week"},
      {P::usedWithin(8), "Used this month"},
      {P::usedWithin(31), "Used this month"},
      {P::usedWithin(32), "Used in the last 32 days"},
      {P::usedWithin(100), "Used in the last 100 days"},
      {P::stale(90), "Stale (90 days)"},
      {P::hasUnfilledFields(), "Has unfilled fields"},
      {P::neverUsed().negated(), "Not never used"},
      {P(P::Or{{P::neverUsed(), P::type(CardType::fact)}}), "Never used or Facts"},
      {P(P::And{{P::locked(), P::hasAttachment()}}), "Locked + Has a file"},
      {P::type(CardType::document).and_(P::stale(30)), "Docs + Stale (30 days)"},
      {P(P::And{}), ""},
      {P(P::Or{}), ""},
  };
  for (const auto& [predicate, name] : rows) EXPECT_EQ(predicate.name(), name);
}

TEST(CardPredicateTest, EqualityIsStructural) {
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
  const std::unordered_set<P> set = {a.and_(b), P(P::And{{P::shelf("Cafe\u0301"), b}}),
                                     b.and_(a)};
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
  for (const std::string text : {
           R"({"all":{}})", R"({"type":{"_0":"fact"}})", R"({"shelf":{"_0":"A\/B \"x\""}})",
           R"({"project":{"_0":"Acme"}})", R"({"usedWithin":{"days":-3}})",
           R"({"neverUsed":{}})", R"({"stale":{"days":90}})", R"({"hasAttachment":{}})",
           R"({"hasUnfilledFields":{}})", R"({"locked":{}})", R"({"and":{"_0":[]}})",
           R"({"or":{"_0":[{"locked":{}},{"and":{"_0":[{"all":{}}]}}]}})",
           R"({"not":{"_0":{"not":{"_0":{"neverUsed":{}}}}}})"}) {
    EXPECT_EQ(written(decoded(text)), text);
  }
  EXPECT_EQ(decoded(R"({"not":{"_0":{"shelf":{"_0":"Home"}}}})"),
            P(P::Not{P::shelf("Home")}));
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

}  // namespace
}  // namespace kelvo
