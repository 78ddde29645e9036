#include "core/organisation/CardOrganiser.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "core/design/KelvoColorToken.hpp"
#include "core/design/KelvoIcon.hpp"
#include "platform/foundation/Locale.hpp"
#include "platform/foundation/TimeZone.hpp"
#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

using CardOrganiser::groups;
using CardOrganiser::RecencyBucket;
using testing::uuid;
using Ids = std::vector<UUID>;

const Calendar utcUS(TimeZone::utc(), Locale("en_US"));

Date at(int year, int month, int day, int hour = 12, const Calendar& calendar = utcUS) {
  return *calendar.date(year, month, day, hour);
}

GroupableCard card(int n, Date createdAt, std::optional<Date> lastUsedAt = std::nullopt,
                   std::optional<UUID> project = std::nullopt, std::int64_t sortIndex = 0,
                   CardType type = CardType::text) {
  GroupableCard made;
  made.id = uuid(n);
  made.type = type;
  made.projectID = project;
  made.projectName = project ? "P" + project->uuidString().substr(33) : "";
  made.projectSortIndex = sortIndex;
  made.createdAt = createdAt;
  made.lastUsedAt = lastUsedAt;
  return made;
}

std::vector<std::string> ids(const std::vector<CardGroup>& list) {
  std::vector<std::string> result;
  for (const CardGroup& group : list) result.push_back(group.id);
  return result;
}

TEST(CardOrganiserTest, GroupingsAndBuckets) {
  for (const CardGrouping grouping : allCases<CardGrouping>()) {
    EXPECT_TRUE(groups({}, grouping, at(2024, 10, 1), utcUS).empty());
  }
  EXPECT_EQ(activeLabel(CardGrouping::recency), "Grouped by when it was last used");
  EXPECT_EQ(fromRawValue<CardGrouping>("type"), CardGrouping::type);
  EXPECT_EQ(fromRawValue<CardGrouping>("Type"), std::nullopt);
  EXPECT_EQ(title(RecencyBucket::thisWeek), "Earlier this week");
  EXPECT_EQ(shortLabel(RecencyBucket::thisMonth), "this month");
}

TEST(CardOrganiserTest, ByProjectAndByType) {
  const Date now = at(2024, 10, 1);
  const std::vector<GroupableCard> loose{card(1, now), card(2, now)};
  EXPECT_EQ(groups(loose, CardGrouping::project, now, utcUS),
            (std::vector<CardGroup>{{"project-unsorted", "Unsorted", KelvoIcon::unsorted,
                                     std::nullopt, Ids{uuid(1), uuid(2)}}}));

  // A used project first; never-used ones by their first card's sort index, then identifier.
  const std::vector<GroupableCard> cards{
      card(1, now, std::nullopt, uuid(30), 5),
      card(2, now, std::nullopt, uuid(20), 1),
      card(3, now, std::nullopt, uuid(10), 1),
      card(4, now),
      card(5, now, at(2020, 1, 1), uuid(40), 9),
      card(6, now, std::nullopt, uuid(30), 0),
      card(7, now, std::nullopt, std::nullopt, 0, CardType::fact),
  };
  const auto byProject = groups(cards, CardGrouping::project, now, utcUS);
  EXPECT_EQ(ids(byProject),
            (std::vector<std::string>{"project-00000000-0000-4000-8000-000000000040",
                                      "project-00000000-0000-4000-8000-000000000010",
                                      "project-00000000-0000-4000-8000-000000000020",
                                      "project-00000000-0000-4000-8000-000000000030",
                                      "project-unsorted"}));
  EXPECT_EQ(byProject[3], (CardGroup{"project-00000000-0000-4000-8000-000000000030", "P030",
                                     KelvoIcon::project, std::nullopt, Ids{uuid(1), uuid(6)}}));
  EXPECT_EQ(byProject.back().cardIDs, (Ids{uuid(4), uuid(7)}));

  const auto byType = groups(cards, CardGrouping::type, now, utcUS);
  EXPECT_EQ(
      byType,
      (std::vector<CardGroup>{
          {"type-text", "Text", KelvoIcon::textCard, KelvoColorToken::typeText,
           Ids{uuid(1), uuid(2), uuid(3), uuid(4), uuid(5), uuid(6)}},
          {"type-fact", "Facts", KelvoIcon::factCard, KelvoColorToken::typeFact, Ids{uuid(7)}}}));
}

TEST(CardOrganiserTest, ByRecencyAndByDate) {
  const Date now = at(2024, 10, 1);  // a Tuesday
  const Date sunday = at(2024, 9, 29, 10);
  const Calendar utcGB(TimeZone::utc(), Locale("en_GB"));
  using CardOrganiser::bucket;
  EXPECT_EQ(bucket(sunday, now, utcUS), RecencyBucket::thisWeek);
  EXPECT_EQ(bucket(sunday, now, utcGB), RecencyBucket::earlier);
  EXPECT_EQ(bucket(at(2030, 1, 1), now, utcUS), RecencyBucket::today);
  // On the first day of a week the day before is yesterday, two days back not this week.
  const Date firstDay = at(2024, 10, 6);
  EXPECT_EQ(bucket(at(2024, 10, 5, 1), firstDay, utcUS), RecencyBucket::yesterday);
  EXPECT_EQ(bucket(at(2024, 10, 4, 23), firstDay, utcUS), RecencyBucket::thisMonth);

  const std::vector<GroupableCard> cards{
      card(1, at(2024, 2, 10), now + 60),
      card(3, sunday),
      card(2, sunday),
      card(4, at(2024, 9, 30, 9)),
      card(5, at(2024, 8, 3), at(2024, 10, 1, 8)),
      card(6, at(2024, 2, 20)),
  };
  const auto byRecency = groups(cards, CardGrouping::recency, now, utcGB);
  EXPECT_EQ(
      byRecency,
      (std::vector<CardGroup>{
          {"recency-today", "Today", KelvoIcon::today, std::nullopt, Ids{uuid(1), uuid(5)}},
          {"recency-yesterday", "Yesterday", KelvoIcon::yesterday, std::nullopt, Ids{uuid(4)}},
          {"recency-earlier", "Earlier", KelvoIcon::earlier, std::nullopt,
           Ids{uuid(2), uuid(3), uuid(6)}}}));

  const auto byDate = groups(cards, CardGrouping::date, now, utcGB);
  EXPECT_EQ(ids(byDate), (std::vector<std::string>{"date-yesterday", "date-2024-9", "date-2024-8",
                                                   "date-2024-2"}));
  EXPECT_EQ(byDate[1].title, "September 2024");
  EXPECT_EQ(byDate[1].icon, KelvoIcon::earlier);
  EXPECT_EQ(byDate[1].cardIDs, (Ids{uuid(2), uuid(3)}));
  EXPECT_EQ(byDate[3].cardIDs, (Ids{uuid(6), uuid(1)}));
  EXPECT_EQ(ids(groups(cards, CardGrouping::date, now, utcUS))[1], "date-thisWeek");

  Locale::setCurrent(Locale("de_DE"));
  EXPECT_EQ(groups(cards, CardGrouping::date, now, utcGB)[3].title, "Februar 2024");
  Locale::setCurrent(Locale("en_US"));
}

TEST(CardOrganiserTest, DamagedInstantsShareOneGroup) {
  const Date now = at(2024, 10, 1);
  const Date nan(std::numeric_limits<double>::quiet_NaN());
  const std::vector<GroupableCard> cards{card(3, nan), card(1, Date(-1e300)), card(2, nan, nan),
                                         card(4, at(2024, 3, 1))};
  const auto byRecency = groups(cards, CardGrouping::recency, now, utcUS);
  ASSERT_EQ(byRecency.size(), 1u);
  EXPECT_EQ(byRecency[0].cardIDs, (Ids{uuid(4), uuid(1), uuid(2), uuid(3)}));
  const auto byDate = groups(cards, CardGrouping::date, now, utcUS);
  // The calendar has no month for NaN, nor for an instant past its reach.
  ASSERT_EQ(byDate.size(), 2u);
  EXPECT_EQ(byDate[0].cardIDs, (Ids{uuid(4)}));
  EXPECT_EQ(byDate[1].id, "date-0-0");
  EXPECT_EQ(byDate[1].cardIDs, (Ids{uuid(1), uuid(2), uuid(3)}));

  using CardOrganiser::DateBucket;
  EXPECT_EQ(CardOrganiser::dateBucket(nan, now, utcUS), (DateBucket{DateBucket::Month{nan}}));
  const Date otherNaN(-std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(std::hash<DateBucket>{}(DateBucket{DateBucket::Month{nan}}),
            std::hash<DateBucket>{}(DateBucket{DateBucket::Month{otherNaN}}));
}

TEST(CardOrganiserTest, LargeGroupsOrderAsSmallOnes) {
  // Thousands of cards in one group, many sharing an instant, NaN and both zeros among them.
  std::mt19937_64 engine(7);
  const double instants[] = {
      std::numeric_limits<double>::quiet_NaN(), -0.0, 0.0, -1e9, -5.5, -1e300,
      -std::numeric_limits<double>::infinity()};
  std::vector<GroupableCard> cards;
  for (int n = 0; n < 5'000; ++n) {
    const double seconds = n % 3 == 0 ? instants[engine() % std::size(instants)]
                                      : -static_cast<double>(engine() % 100'000'000);
    cards.push_back(card(static_cast<int>(engine() % 100'000), Date(seconds)));
  }
  auto expected = cards;
  auto key = [](const GroupableCard& c) {
    const double s = c.createdAt.timeIntervalSinceReferenceDate();
    return std::isnan(s) ? -std::numeric_limits<double>::infinity() : s;
  };
  std::stable_sort(expected.begin(), expected.end(), [&](const auto& a, const auto& b) {
    if (key(a) != key(b)) return key(a) > key(b);
    return a.id < b.id;
  });
  Ids expectedIDs;
  for (const auto& c : expected) expectedIDs.push_back(c.id);
  const auto byRecency = groups(cards, CardGrouping::recency, Date(700'000'000), utcUS);
  ASSERT_EQ(byRecency.size(), 1u);
  EXPECT_EQ(byRecency[0].cardIDs, expectedIDs);
}

// Grouping places cards by bounds computed once; each card must land where the calendar rule
// per card puts it, across daylight-saving changes and week rules.
TEST(CardOrganiserTest, BoundsAgreeWithTheCalendarRule) {
  std::mt19937_64 engine(20241001);
  const char* zones[] = {"America/New_York",  "Europe/Berlin", "Australia/Lord_Howe",
                         "America/Sao_Paulo", "Asia/Beirut",   "Pacific/Apia"};
  for (const char* zone : zones) {
    for (const char* locale : {"en_US", "en_GB", "de_DE"}) {
      const Calendar calendar(*TimeZone::named(zone), Locale(locale));
      for (int round = 0; round < 6; ++round) {
        const Date now(static_cast<double>(engine() % 1'000'000'000) - 100'000'000);
        std::vector<GroupableCard> cards;
        for (int n = 0; n < 300; ++n) {
          // Mostly within weeks of now, some across three years, some on hour marks.
          const double spread = n % 3 == 0 ? 95'000'000 : 3'000'000;
          double offset = std::fmod(static_cast<double>(engine() % 1'000'000'000), spread);
          if (n % 5 == 0) offset = std::floor(offset / 3600) * 3600;
          cards.push_back(card(n, now - offset + (n % 7 == 0 ? 7200 : 0)));
          cards.back().lastUsedAt = cards.back().createdAt;
        }
        SCOPED_TRACE(std::string(zone) + " " + locale + " " +
                     std::to_string(now.timeIntervalSinceReferenceDate()));
        for (const CardGrouping grouping : {CardGrouping::recency, CardGrouping::date}) {
          std::size_t placed = 0;
          for (const CardGroup& group : groups(cards, grouping, now, calendar)) {
            placed += group.cardIDs.size();
          }
          EXPECT_EQ(placed, cards.size());
        }
        const auto keptAt = [&](const UUID& id) {
          return cards[static_cast<std::size_t>(std::stoi(id.uuidString().substr(24)))].createdAt;
        };
        for (const CardGroup& group : groups(cards, CardGrouping::recency, now, calendar)) {
          for (const UUID& id : group.cardIDs) {
            const auto expected = CardOrganiser::bucket(keptAt(id), now, calendar);
            EXPECT_EQ(group.id, "recency-" + std::string(rawValue(expected)));
          }
        }
        for (const CardGroup& group : groups(cards, CardGrouping::date, now, calendar)) {
          for (const UUID& id : group.cardIDs) {
            const auto expected = CardOrganiser::dateBucket(keptAt(id), now, calendar);
            std::string expectedID = "date-";
            if (const auto* recent =
                    std::get_if<CardOrganiser::DateBucket::Recent>(&expected.value)) {
              expectedID += rawValue(recent->bucket);
            } else {
              const Date month = std::get<CardOrganiser::DateBucket::Month>(expected.value).start;
              expectedID += std::to_string(calendar.component(Calendar::Component::year, month)) +
                            "-" +
                            std::to_string(calendar.component(Calendar::Component::month, month));
            }
            EXPECT_EQ(group.id, expectedID);
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace kelvo
