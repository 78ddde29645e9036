#include "core/widget/KelvoWidgetSnapshot.hpp"
#include "core/widget/KelvoWidgetText.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/search/RankingContext.hpp"
#include "core/search/SearchableCard.hpp"
#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/DecodingError.hpp"
#include "platform/foundation/TimeZone.hpp"

namespace kelvo {
namespace {

const UUID cardID = *UUID::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");

SearchableCard searchable(std::string title, CardType type, std::int64_t useCount) {
  return SearchableCard(UUID::random(), type, std::move(title), "", "", {}, "", "", std::nullopt,
                        std::nullopt, useCount, std::nullopt);
}

TEST(KelvoWidgetSnapshotTest, BuildRanksShortensAndCounts) {
  const Calendar utc(TimeZone::utc());
  const Date now = *utc.date(2024, 5, 2, 10, 0);
  const auto context = RankingContext::current(std::nullopt, now, utc);
  const std::vector<SearchableCard> cards{
      searchable("Rarely used", CardType::file, 0),
      searchable("  Quarterly report   for client X ", CardType::document, 50),
      searchable("", CardType::text, 9),
  };
  const std::vector<Date> fireAts{now - 86'400 * 3, now + 3'600, now + 86'400};

  const auto snapshot = KelvoWidgetSnapshot::build(cards, fireAts, context, 2, now, utc);
  EXPECT_EQ(snapshot, KelvoWidgetSnapshot(
                          {{cards[1].id(), "Quarterly report for client\u2026", CardType::document},
                           {cards[2].id(), "Untitled", CardType::text}},
                          2, now));
  const auto none = KelvoWidgetSnapshot::build(cards, fireAts, context, -1, now, utc);
  EXPECT_TRUE(none.cards().empty());
  EXPECT_EQ(none.remindersDue(), 2);
  EXPECT_TRUE(KelvoWidgetSnapshot::build({}, {}, context, 4, now, utc).isEmpty());
}

TEST(KelvoWidgetSnapshotTest, RemindersDueByTheDayOfNowInTheCalendarsZone) {
  const Calendar berlin(*TimeZone::named("Europe/Berlin"));
  // Half past midnight in Berlin is still the previous day in UTC.
  const Date now = *berlin.date(2024, 3, 15, 0, 30);
  const Date lateToday = *berlin.date(2024, 3, 15, 23, 59);
  const std::vector<Date> fireAts{*berlin.date(2024, 3, 14, 9, 0), lateToday,
                                  *berlin.date(2024, 3, 16, 0, 1), now};
  EXPECT_EQ(KelvoWidgetSnapshot::remindersDue(fireAts, now, berlin), 3);
  EXPECT_EQ(KelvoWidgetSnapshot::remindersDue(std::vector<Date>{lateToday}, now,
                                              Calendar(TimeZone::utc())),
            0);
  // Past the calendar's reach is not today; a time that is no number is counted, as ever.
  const std::vector<Date> farOrNone{Date(1e15), Date(1e300), Date(std::nan("")), Date(INFINITY)};
  EXPECT_EQ(KelvoWidgetSnapshot::remindersDue(farOrNone, now, berlin), 2);
}

TEST(KelvoWidgetSnapshotTest, AgeAndDueWords) {
  const Date captured(1'000'000);
  const auto due = [&](std::int64_t count) { return KelvoWidgetSnapshot({}, count, captured); };
  EXPECT_FALSE(due(0).isStale(captured + 86'399));
  EXPECT_TRUE(due(0).isStale(captured + 86'400));
  EXPECT_FALSE(due(0).isOutdated(captured + 1'209'599));
  EXPECT_TRUE(due(0).isOutdated(captured + 1'209'600));
  EXPECT_FALSE(due(0).isStale(captured - 5'000'000));

  EXPECT_EQ(due(0).dueSummary(), "Nothing due");
  EXPECT_EQ(due(0).dueAccessibilityLabel(), "No reminders due");
  EXPECT_EQ(due(1).dueAccessibilityLabel(), "1 reminder due");
  EXPECT_EQ(due(1234).dueAccessibilityLabel(), "1234 reminders due");
}

TEST(KelvoWidgetSnapshotTest, StoredFormIsCompactInWrittenOrderAndReadStrictly) {
  const KelvoWidgetSnapshot snapshot({{cardID, "Caf\u00E9 / bar", CardType::text}}, 2,
                                     Date(720'000'000.5));
  EXPECT_EQ(snapshot.encoded(),
            "{\"cards\":[{\"id\":\"E621E1F8-C36C-495A-93FC-0C247A3E6E5F\",\"title\":"
            "\"Caf\u00E9 \\/ bar\",\"type\":\"text\"}],\"remindersDue\":2,"
            "\"capturedAt\":720000000.5}");
  EXPECT_EQ(KelvoWidgetSnapshot::decode(snapshot.encoded()), snapshot);
  EXPECT_EQ(snapshot.cards()[0].link()->absoluteString(),
            "kelvo://card/E621E1F8-C36C-495A-93FC-0C247A3E6E5F");

  // Lower-case identifiers, any key order and unknown keys read.
  EXPECT_EQ(KelvoWidgetSnapshot::decode(
                R"({"x":[1],"capturedAt":10,"remindersDue":0,"cards":[{"type":"fact",)"
                R"("title":"","id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f"}]})"),
            KelvoWidgetSnapshot({{cardID, "", CardType::fact}}, 0, Date(10)));
  for (const char* bad : {
           R"({"cards":[],"remindersDue":0})",
           R"({"cards":[],"remindersDue":0.5,"capturedAt":1})",
           R"({"cards":null,"remindersDue":0,"capturedAt":1})",
           R"({"cards":[{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","title":"a",)"
           R"("type":"link"}],"remindersDue":0,"capturedAt":1})",
       }) {
    EXPECT_THROW(KelvoWidgetSnapshot::decode(bad), DecodingError) << bad;
  }
}

TEST(KelvoWidgetTextTest, RowTitlesCollapseBlanksAndCutAtTheLimitInCharacters) {
  EXPECT_EQ(KelvoWidgetText::rowTitle("Quarterly report for client X"),
            "Quarterly report for client\u2026");
  EXPECT_EQ(KelvoWidgetText::rowTitle(""), "Untitled");
  EXPECT_EQ(KelvoWidgetText::rowTitle("  \n\t \r\n \u2003"), "Untitled");
  EXPECT_EQ(KelvoWidgetText::rowTitle("Invoice", -5), "Untitled");
  EXPECT_EQ(KelvoWidgetText::rowTitle("  Tax \t\t  return\u00A0\n2024  "), "Tax return 2024");

  const std::string twentyEight = "abcdefghijklmnopqrstuvwxyz01";
  EXPECT_EQ(KelvoWidgetText::rowTitle(twentyEight), twentyEight);
  EXPECT_EQ(KelvoWidgetText::rowTitle(twentyEight + "2"), twentyEight + "\u2026");
  // Collapsing comes first, so blanks beyond the cut do not count.
  EXPECT_EQ(KelvoWidgetText::rowTitle("ab      cd", 5), "ab cd");

  const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466";
  EXPECT_EQ(KelvoWidgetText::rowTitle("Cafe\u0301 " + family, 6), "Cafe\u0301 " + family);
  EXPECT_EQ(KelvoWidgetText::rowTitle(family + family, 1), family + "\u2026");
  // Ill-formed bytes come out as U+FFFD, never as a split sequence.
  EXPECT_EQ(KelvoWidgetText::rowTitle("\xFF\xFE ok", 1), "\uFFFD\u2026");
}

}  // namespace
}  // namespace kelvo
