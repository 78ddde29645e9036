#include "core/design/KelvoWidgetSnapshot.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/DecodingError.hpp"
#include "platform/foundation/TimeZone.hpp"
#include "tests/design/GermanCatalogue.hpp"

namespace kelvo {
namespace {

const UUID cardID = *UUID::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");

KelvoWidgetSnapshot sample() {
  return KelvoWidgetSnapshot(
      {{cardID, "Caf\u00E9 / bar", CardType::text},
       {*UUID::parse("00000000-0000-0000-0000-00000000000A"), "Scan", CardType::document}},
      2, Date(720'000'000.5));
}

TEST(KelvoWidgetSnapshotTest, RemindersDueByTheDayOfNowInTheCalendarsZone) {
  const Calendar berlin(*TimeZone::named("Europe/Berlin"));
  // Half past midnight in Berlin is still the previous day in UTC.
  const Date now = *berlin.date(2024, 3, 15, 0, 30);
  const Date yesterday = *berlin.date(2024, 3, 14, 9, 0);
  const Date lateToday = *berlin.date(2024, 3, 15, 23, 59);
  const Date earlyTomorrow = *berlin.date(2024, 3, 16, 0, 1);
  const Date longAgo = *berlin.date(2023, 1, 1, 12, 0);

  const std::vector<Date> fireAts{yesterday, lateToday, earlyTomorrow, longAgo, now};
  EXPECT_EQ(KelvoWidgetSnapshot::remindersDue(fireAts, now, berlin), 4);
  EXPECT_EQ(KelvoWidgetSnapshot::remindersDue(std::vector<Date>{earlyTomorrow}, now, berlin), 0);
  EXPECT_EQ(KelvoWidgetSnapshot::remindersDue({}, now, berlin), 0);
  // In UTC the same "late today" falls tomorrow.
  const Calendar utc(TimeZone::utc());
  EXPECT_EQ(KelvoWidgetSnapshot::remindersDue(std::vector<Date>{lateToday}, now, utc), 0);

  // A day that loses an hour to daylight saving is still one day.
  const Date springForward = *berlin.date(2024, 3, 31, 1, 0);
  EXPECT_EQ(KelvoWidgetSnapshot::remindersDue(std::vector<Date>{*berlin.date(2024, 3, 31, 23, 30)},
                                              springForward, berlin),
            1);
}

TEST(KelvoWidgetSnapshotTest, AgeTestsTreatAFutureCaptureAsNew) {
  const Date captured(1'000'000);
  const KelvoWidgetSnapshot snapshot({}, 0, captured);
  EXPECT_EQ(KelvoWidgetSnapshot::cardLimit, 4);
  EXPECT_FALSE(snapshot.isStale(captured + 86'399));
  EXPECT_TRUE(snapshot.isStale(captured + 86'400));
  EXPECT_FALSE(snapshot.isOutdated(captured + 1'209'599));
  EXPECT_TRUE(snapshot.isOutdated(captured + 1'209'600));
  EXPECT_FALSE(snapshot.isStale(captured - 5'000'000));
  EXPECT_FALSE(snapshot.isOutdated(captured - 5'000'000));

  EXPECT_TRUE(snapshot.isEmpty());
  EXPECT_FALSE(KelvoWidgetSnapshot({}, 2, captured).isEmpty());
  EXPECT_FALSE(sample().isEmpty());
}

TEST(KelvoWidgetSnapshotTest, DueCountsInWords) {
  const auto due = [](std::int64_t count) { return KelvoWidgetSnapshot({}, count, Date()); };
  EXPECT_EQ(due(0).dueSummary(), "Nothing due");
  EXPECT_EQ(due(0).dueAccessibilityLabel(), "No reminders due");
  EXPECT_EQ(due(1).dueSummary(), "1 due");
  EXPECT_EQ(due(1).dueAccessibilityLabel(), "1 reminder due");
  EXPECT_EQ(due(2).dueSummary(), "2 due");
  EXPECT_EQ(due(1234).dueAccessibilityLabel(), "1234 reminders due");

  testing::GermanCatalogue german({{"%lld due", "%lld f\u00E4llig"}, {"1 due", "1 f\u00E4llig"}});
  if (!german.installed()) GTEST_SKIP() << "no C.UTF-8 locale";
  EXPECT_EQ(due(3).dueSummary(), "3 f\u00E4llig");
  EXPECT_EQ(due(1).dueSummary(), "1 f\u00E4llig");
}

TEST(KelvoWidgetSnapshotTest, StoredFormIsCompactInWrittenOrder) {
  EXPECT_EQ(sample().encoded(),
            "{\"cards\":[{\"id\":\"E621E1F8-C36C-495A-93FC-0C247A3E6E5F\",\"title\":"
            "\"Caf\u00E9 \\/ bar\",\"type\":\"text\"},{\"id\":\"00000000-0000-0000-0000-"
            "00000000000A\",\"title\":\"Scan\",\"type\":\"document\"}],\"remindersDue\":2,"
            "\"capturedAt\":720000000.5}");
  EXPECT_EQ(KelvoWidgetSnapshot({}, 0, Date(-3)).encoded(),
            "{\"cards\":[],\"remindersDue\":0,\"capturedAt\":-3}");
  EXPECT_EQ(KelvoWidgetSnapshot::decode(sample().encoded()), sample());

  EXPECT_EQ(sample().cards()[0].link()->absoluteString(),
            "kelvo://card/E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
}

TEST(KelvoWidgetSnapshotTest, ReadingIsStrictButTolerant) {
  // Lower-case identifiers, other key orders and unknown keys read.
  const auto read = KelvoWidgetSnapshot::decode(
      R"({"extra":[1],"capturedAt":10,"remindersDue":0,)"
      R"("cards":[{"type":"fact","title":"","id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f","x":1}]})");
  ASSERT_EQ(read.cards().size(), 1u);
  EXPECT_EQ(read.cards()[0], (KelvoWidgetCard{cardID, "", CardType::fact}));
  EXPECT_EQ(read.capturedAt(), Date(10));

  const auto fails = [](std::string_view text) {
    try {
      KelvoWidgetSnapshot::decode(text);
    } catch (const DecodingError& error) {
      return error.kind();
    }
    ADD_FAILURE() << "read " << text;
    return DecodingError::Kind::dataCorrupted;
  };
  using Kind = DecodingError::Kind;
  EXPECT_EQ(fails(""), Kind::dataCorrupted);
  EXPECT_EQ(fails(R"({"cards":[],"remindersDue":0,"capturedAt":1)"), Kind::dataCorrupted);
  EXPECT_EQ(fails(R"([])"), Kind::typeMismatch);
  EXPECT_EQ(fails(R"({"cards":[],"remindersDue":0})"), Kind::keyNotFound);
  EXPECT_EQ(fails(R"({"cards":[],"remindersDue":0.5,"capturedAt":1})"), Kind::dataCorrupted);
  EXPECT_EQ(fails(R"({"cards":[],"remindersDue":"2","capturedAt":1})"), Kind::typeMismatch);
  EXPECT_EQ(fails(R"({"cards":null,"remindersDue":0,"capturedAt":1})"), Kind::valueNotFound);
  EXPECT_EQ(fails(R"({"cards":[{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","title":"a",)"
                  R"("type":"link"}],"remindersDue":0,"capturedAt":1})"),
            Kind::dataCorrupted);
  EXPECT_EQ(fails(R"({"cards":[{"id":"E621E1F8C36C495A93FC0C247A3E6E5F","title":"a",)"
                  R"("type":"text"}],"remindersDue":0,"capturedAt":1})"),
            Kind::dataCorrupted);
  EXPECT_EQ(fails(R"({"cards":[{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F",)"
                  R"("type":"text"}],"remindersDue":0,"capturedAt":1})"),
            Kind::keyNotFound);
}

}  // namespace
}  // namespace kelvo
