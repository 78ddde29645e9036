#include "core/search/ReadyRowRanker.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/Locale.hpp"
#include "platform/foundation/TimeZone.hpp"
#include "tests/search/SearchTestCards.hpp"

namespace kelvo {
namespace {

using kelvo::testing::makeCard;
using testing::Titles;
using testing::titles;

const Date now(600'000'000);
constexpr double day = 86'400;

RankingContext contextAt(std::int64_t hour, std::optional<std::string> hostApp = std::nullopt) {
  return RankingContext{std::move(hostApp), hour, {"Work", "Clients"}, now};
}

TEST(ReadyRowRankerTest, ScoresUseRecencyApplicationAndShelf) {
  const ReadyRowRanker ranker;
  const auto score = [&](testing::CardSpec spec, std::optional<std::string> host = std::nullopt,
                         std::int64_t hour = 22) {
    if (spec.shelfName.empty()) spec.shelfName = "Home";
    return ranker.score(makeCard(std::move(spec)), contextAt(hour, std::move(host)));
  };
  EXPECT_DOUBLE_EQ(score({}, std::nullopt, 10), 0.45);
  EXPECT_DOUBLE_EQ(score({}), 0.575);
  const testing::CardSpec busy{
      .shelfName = "Work", .sourceApp = "Mail", .useCount = 3, .lastUsedAt = now - 2 * day};
  const double atWork = score(busy, "Mail", 10);
  EXPECT_NEAR(atWork, 8.387, 1e-3);
  // Outside working hours a work shelf weighs 0.85; another application gives no bonus.
  EXPECT_DOUBLE_EQ(score(busy, "Notes", 20), atWork / 1.6 / 1.35 * 0.85);

  // A future or damaged date counts as now; a negative count as none.
  EXPECT_DOUBLE_EQ(score({.lastUsedAt = now}), 2.0 * 1.15);
  EXPECT_DOUBLE_EQ(score({.lastUsedAt = now + day}), 2.0 * 1.15);
  EXPECT_DOUBLE_EQ(score({.lastUsedAt = Date(NAN)}), 2.0 * 1.15);
  EXPECT_NEAR(score({.lastUsedAt = now - 7 * day}), (0.5 + 1.5 / M_E) * 1.15, 1e-12);
  EXPECT_DOUBLE_EQ(score({.useCount = -1}), 0.575);
  EXPECT_DOUBLE_EQ(score({.useCount = INT64_MIN}), 0.575);
  EXPECT_TRUE(std::isfinite(score({.useCount = INT64_MAX})));

  // Applications match only when both are present and equal.
  EXPECT_DOUBLE_EQ(score({}, "Mail"), 0.575);
  EXPECT_DOUBLE_EQ(score({.sourceApp = "mail"}, "Mail"), 0.575);
  EXPECT_DOUBLE_EQ(score({.sourceApp = ""}, ""), 0.575 * 1.6);
  EXPECT_DOUBLE_EQ(score({.sourceApp = "Cafe\u0301"}, "Caf\u00E9"), 0.575 * 1.6);
}

TEST(ReadyRowRankerTest, RanksBestFirstThenByLocalizedTitleThenInputOrder) {
  const ReadyRowRanker ranker;
  const auto context = contextAt(10);

  const std::vector<SearchableCard> cards = {
      makeCard({.title = "banana", .shelfName = "Home"}),
      makeCard({.title = "Apple", .shelfName = "Home"}),
      makeCard({.title = "cherry", .shelfName = "Work"}),
      makeCard({.title = "apple", .shelfName = "Home"}),
      makeCard({.title = "Banana", .shelfName = "Home", .useCount = 1}),
      makeCard({.title = "banana", .content = "second", .shelfName = "Home"}),
  };
  const auto ranked = ranker.rank(cards, context, 10);
  EXPECT_EQ(titles(ranked), (Titles{"Banana", "cherry", "apple", "Apple", "banana", "banana"}));
  // Equal in score and title: input order.
  EXPECT_EQ(ranked[4].content(), "");
  EXPECT_EQ(ranked[5].content(), "second");

  EXPECT_TRUE(ranker.rank(cards, context, -3).empty());
  EXPECT_EQ(titles(ranker.rank(cards, context, 2)), (Titles{"Banana", "cherry"}));
  EXPECT_EQ(ranker.rank(cards, context, INT64_MAX).size(), cards.size());

  // Titles compare in the current locale.
  const std::vector<SearchableCard> words = {makeCard({.title = "zebra", .shelfName = "Home"}),
                                             makeCard({.title = "ärger", .shelfName = "Home"}),
                                             makeCard({.title = "apfel", .shelfName = "Home"})};
  EXPECT_EQ(titles(ranker.rank(words, context, 3)), (Titles{"apfel", "ärger", "zebra"}));
  Locale::setCurrent(Locale("sv_SE"));  // Swedish sorts "ä" after "z"
  EXPECT_EQ(titles(ranker.rank(words, context, 3)), (Titles{"apfel", "zebra", "ärger"}));
}

TEST(ReadyRowRankerTest, WorkingHoursAreTheCalendarsNineToSeventeen) {
  RankingContext context;
  for (const auto& [hour, working] :
       std::vector<std::pair<std::int64_t, bool>>{{9, true}, {17, true}, {8, false}, {18, false}}) {
    context.hour = hour;
    EXPECT_EQ(context.isWorkingHours(), working) << hour;
  }
  // 14:30 UTC is 09:30 in New York in winter.
  const Date at(14 * 3'600 + 1'800);
  EXPECT_EQ(RankingContext::current("Mail", at, Calendar(TimeZone::utc())).hour, 14);
  const auto newYork = TimeZone::named("America/New_York");
  ASSERT_TRUE(newYork);
  EXPECT_EQ(RankingContext::current(std::nullopt, at, Calendar(*newYork)).hour, 9);
}

}  // namespace
}  // namespace kelvo
