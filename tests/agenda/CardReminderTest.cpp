#include "core/model/CardReminder.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <nlohmann/json.hpp>
#include <vector>

#include "core/agenda/ReminderAgenda.hpp"
#include "core/agenda/ReminderNotifications.hpp"
#include "core/model/KelvoPersistence.hpp"
#include "core/model/ReminderSchedule.hpp"
#include "platform/data/Context.hpp"
#include "platform/foundation/JSONReader.hpp"
#include "tests/agenda/AgendaTestSupport.hpp"
#include "tests/model/Library.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

using testing::clock;
using Schedule = ReminderSchedule;

using testing::uuid;
using Reminders = std::vector<std::shared_ptr<CardReminder>>;

class CardReminderTest : public testing::NewYorkTest {
 protected:
  std::shared_ptr<CardReminder> reminder(int id, Date fireAt, bool done = false,
                                         ReminderRepeat rule = ReminderRepeat::none) {
    return CardReminder::make({.id = uuid(id),
                               .cardID = uuid(1000 + id),
                               .fireAt = fireAt,
                               .repeatRule = rule,
                               .isDone = done});
  }
  const Date now = at(2025, 3, 12, 10);  // a Wednesday
};
using ReminderAgendaTest = CardReminderTest;
using ReminderScheduleTest = CardReminderTest;

TEST_F(CardReminderTest, SavedAndFetchedWithEveryAttribute) {
  testing::TemporaryDirectory folder;
  const auto description = KelvoPersistence::description(folder.path() / "Kelvo.store");
  auto writer = testing::openStores({description});
  auto& context = writer->viewContext();
  const UUID id = UUID::random();
  const UUID card = UUID::random();
  auto reminder = CardReminder::make({.id = id,
                                      .cardID = card,
                                      .fireAt = at(2025, 3, 12, 9),
                                      .repeatRule = ReminderRepeat::quarterly,
                                      .isDone = true,
                                      .completedAt = at(2025, 3, 12, 9, 5),
                                      .createdAt = at(2025, 1, 2),
                                      .note = "Renew the lease"});
  context.insert(reminder);
  context.save();

  // A second container reads the rows back from the file.
  auto reader = testing::openStores({description});
  const auto fetched = reader->viewContext().fetch(CardReminder::fetchRequest());
  ASSERT_EQ(fetched.size(), 1u);
  const CardReminder& read = *fetched[0];
  EXPECT_EQ(read.fireAt(), at(2025, 3, 12, 9));
  EXPECT_EQ(read.repeatRuleRaw(), "quarterly");
  EXPECT_TRUE(read.isDone());
  EXPECT_EQ(read.completedAt(), at(2025, 3, 12, 9, 5));
  EXPECT_EQ(read.createdAt(), at(2025, 1, 2));
  EXPECT_EQ(read.note(), "Renew the lease");
  EXPECT_EQ(read.notificationIdentifier(), "kelvo.reminder." + id.uuidString());
  EXPECT_EQ(read.summary(at(2025, 3, 13), calendar), "Done · Every quarter");
}

TEST_F(CardReminderTest, UnreadableValuesReadAsTheirDefaults) {
  auto reminder = CardReminder::make({.id = UUID::random(), .fireAt = at(2025, 3, 12, 9)});
  reminder->setValue("id", std::nullopt);
  EXPECT_NE(reminder->id(), reminder->id());
  EXPECT_NE(reminder->notificationIdentifier(), reminder->notificationIdentifier());

  for (const char* word : {"Weekly", "daily", ""}) {
    reminder->setRepeatRuleRaw(word);
    EXPECT_EQ(reminder->repeatRule(), ReminderRepeat::none) << word;
    EXPECT_EQ(reminder->repeatDescription(), "");
  }
  reminder->setValue("fireAt", data::Value("tomorrow"));
  reminder->setValue("isDone", data::Value("yes"));
  EXPECT_EQ(reminder->fireAt(), Date::distantPast());
  EXPECT_FALSE(reminder->isDone());
  EXPECT_TRUE(reminder->isOverdue(at(2025, 3, 12)));
  EXPECT_EQ(reminder->bucket(at(2025, 3, 12), calendar), ReminderBucket::overdue);
  EXPECT_EQ(reminder->summary(at(2025, 3, 12), calendar).rfind("Overdue by ", 0), 0u);
}

TEST_F(CardReminderTest, DerivedValues) {
  const Date monday = at(2025, 3, 3, 9);
  auto reminder = CardReminder::make(
      {.id = UUID::random(), .fireAt = monday, .repeatRule = ReminderRepeat::weekly});
  EXPECT_EQ(reminder->summary(at(2025, 3, 2, 18), calendar), "Due tomorrow · Every week");
  // Completed early on the Monday: a week on.
  EXPECT_EQ(reminder->occurrenceAfterCompleting(at(2025, 3, 3, 8), calendar), at(2025, 3, 10, 9));
  reminder->setRepeatRule(ReminderRepeat::none);
  EXPECT_EQ(reminder->occurrenceAfterCompleting(at(2025, 3, 5), calendar), std::nullopt);
  EXPECT_EQ(reminder->summary(at(2025, 3, 6, 12), calendar), "Overdue by 3 days");
}

TEST(ReminderRepeatTest, WordsStepsAndJSON) {
  Json json;
  to_json(json, ReminderRepeat::monthly);
  EXPECT_EQ(json::write(json), "\"monthly\"");
  EXPECT_EQ(readReminderRepeat(JSONReader(json)), ReminderRepeat::monthly);
  const Json daily = "daily";
  try {
    readReminderRepeat(JSONReader(daily));
    FAIL() << "a word that is no rule decodes";
  } catch (const DecodingError& error) {
    EXPECT_EQ(error.kind(), DecodingError::Kind::dataCorrupted);
  }
}

TEST_F(ReminderScheduleTest, DayDistanceCountsCalendarDays) {
  EXPECT_EQ(Schedule::dayDistance(at(2025, 3, 8, 23, 50), at(2025, 3, 9, 0, 10), calendar), 1);
  EXPECT_EQ(Schedule::dayDistance(at(2025, 11, 1, 0, 30), at(2025, 11, 3, 23), calendar), 2);
  EXPECT_EQ(Schedule::dayDistance(at(2025, 11, 3, 1), at(2025, 11, 1, 23), calendar), -2);
  EXPECT_EQ(Schedule::dayDistance(at(2025, 3, 9, 0), at(2025, 3, 9, 23, 59), calendar), 0);
  EXPECT_GT(Schedule::dayDistance(Date::distantPast(), at(2025, 1, 1), calendar), 739'000);
  EXPECT_EQ(Schedule::dayDistance(Date(std::nan("")), at(2025, 1, 1), calendar), 0);
}

TEST_F(ReminderScheduleTest, BucketsAndOverdue) {
  EXPECT_EQ(Schedule::bucket(now, now, calendar), ReminderBucket::today);
  EXPECT_EQ(Schedule::bucket(now - 1, now, calendar), ReminderBucket::overdue);
  EXPECT_EQ(Schedule::bucket(at(2025, 3, 12, 23, 59), now, calendar), ReminderBucket::today);
  EXPECT_EQ(Schedule::bucket(at(2025, 3, 13, 0, 1), at(2025, 3, 12, 23, 59), calendar),
            ReminderBucket::thisWeek);
  EXPECT_EQ(Schedule::bucket(at(2025, 3, 19, 23), now, calendar), ReminderBucket::thisWeek);
  EXPECT_EQ(Schedule::bucket(at(2025, 3, 20, 0), now, calendar), ReminderBucket::later);

  EXPECT_FALSE(Schedule::isOverdue(now, false, now));
  EXPECT_TRUE(Schedule::isOverdue(now - 1, false, now));
  EXPECT_FALSE(Schedule::isOverdue(now - 1, true, now));
}

TEST_F(ReminderScheduleTest, DueDescriptions) {
  struct Case {
    Date fireAt;
    Date now;
    std::string expected;
  };
  const Case cases[] = {
      {now - 1, now, "Overdue since " + clock("9:59", "AM")},
      {at(2025, 3, 11, 23, 30), at(2025, 3, 12, 0, 10), "Overdue by 1 day"},
      {at(2025, 3, 9, 11), now, "Overdue by 3 days"},
      {now, now, "Due today at " + clock("10:00", "AM")},
      {at(2025, 3, 13, 0, 1), now, "Due tomorrow"},
      {at(2025, 3, 14, 8), now, "Due Friday"},
      {at(2025, 3, 18, 8), now, "Due Tuesday"},
      {at(2025, 3, 19, 8), now, "Due Mar 19, 2025"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Schedule::dueDescription(c.fireAt, c.now, calendar), c.expected);
  }
  // The texts follow the current zone and locale, not the calendar that counts the days.
  TimeZone::setCurrent(TimeZone::utc());
  EXPECT_EQ(Schedule::dueDescription(now + 3600, now, calendar),
            "Due today at " + clock("3:00", "PM"));
  Locale::setCurrent(Locale("de_DE"));
  EXPECT_EQ(Schedule::dueDescription(at(2025, 3, 14, 8), now, calendar), "Due Freitag");
}

TEST_F(ReminderScheduleTest, NextOccurrenceCountsFromTheAnchor) {
  using R = ReminderRepeat;
  struct Case {
    R rule;
    Date from;
    Date after;
    std::optional<Date> expected;
  };
  const Case cases[] = {
      {R::monthly, at(2025, 1, 30, 9), at(2025, 2, 1), at(2025, 2, 28, 9)},
      {R::monthly, at(2025, 1, 30, 9), at(2025, 2, 28, 9), at(2025, 3, 30, 9)},
      {R::quarterly, at(2025, 11, 30, 9), at(2025, 12, 1), at(2026, 2, 28, 9)},
      {R::quarterly, at(2025, 11, 30, 9), at(2026, 2, 28, 9), at(2026, 5, 30, 9)},
      {R::yearly, at(2028, 2, 29, 9), at(2028, 3, 1), at(2029, 2, 28, 9)},
      // Monday 3 March; clocks change on Sunday the 9th; the wall time stays 09:00.
      {R::weekly, at(2025, 3, 3, 9), at(2025, 3, 5), at(2025, 3, 10, 9)},
      {R::weekly, at(2025, 3, 3, 9), at(2025, 3, 3, 9), at(2025, 3, 10, 9)},
      {R::none, at(2025, 3, 3, 9), at(2025, 3, 1), at(2025, 3, 3, 9)},
      {R::none, at(2025, 3, 3, 9), at(2025, 3, 3, 9), std::nullopt},
      {R::weekly, at(2025, 3, 3, 9), at(4025, 3, 3, 9), at(4025, 3, 10, 9)},
      {R::weekly, at(2025, 3, 3, 9), Date(1e15), std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Schedule::nextOccurrence(c.after, c.from, c.rule, calendar), c.expected)
        << rawValue(c.rule);
  }
}

TEST_F(ReminderScheduleTest, Presets) {
  EXPECT_EQ(Schedule::tomorrowMorning(at(2025, 3, 8, 23, 30), calendar), at(2025, 3, 9, 9));
  // Sunday evening, then a Monday just before and at 09:00.
  EXPECT_EQ(Schedule::nextMondayMorning(at(2025, 3, 9, 20), calendar), at(2025, 3, 10, 9));
  EXPECT_EQ(Schedule::nextMondayMorning(at(2025, 3, 10, 8, 59, 59), calendar), at(2025, 3, 10, 9));
  EXPECT_EQ(Schedule::nextMondayMorning(at(2025, 3, 10, 9), calendar), at(2025, 3, 17, 9));
  EXPECT_EQ(Schedule::nextQuarter(at(2025, 11, 30, 16, 45), calendar), at(2026, 2, 28, 16, 45));
  EXPECT_FALSE(Schedule::tomorrowMorning(Date(std::nan("")), calendar));
}

// The calendar reaches 19 December AD 5,828,963, 18:59:59 here; ICU would move a later moment
// back onto that end.
TEST_F(ReminderScheduleTest, PresetsAndRepetitionsStopAtTheCalendarsReach) {
  using R = ReminderRepeat;
  const int last = 5'828'963;
  for (const Date after : {at(last, 12, 19, 17, 59), Date(1e15), Date(1e300), Date(NAN)}) {
    EXPECT_FALSE(Schedule::tomorrowMorning(after, calendar));
    EXPECT_FALSE(Schedule::nextMondayMorning(after, calendar));
    EXPECT_FALSE(Schedule::inAWeek(after, calendar));
    EXPECT_FALSE(Schedule::nextQuarter(after, calendar));
    EXPECT_FALSE(Schedule::nextOccurrence(after, now, R::monthly, calendar));
  }
  const Date anchor = at(last, 9, 10, 9);
  EXPECT_EQ(Schedule::nextOccurrence(at(last, 12, 1), anchor, R::quarterly, calendar),
            at(last, 12, 10, 9));
  EXPECT_FALSE(Schedule::nextOccurrence(at(last, 12, 18), anchor, R::weekly, calendar));
  EXPECT_FALSE(Schedule::nextOccurrence(now, Date(-1e15), R::monthly, calendar));
  EXPECT_FALSE(Schedule::nextOccurrence(Date(-HUGE_VAL), now, R::weekly, calendar));
}

TEST_F(ReminderAgendaTest, SectionsInBucketOrder) {
  const Reminders reminders{
      reminder(5, at(2025, 3, 22, 9)),  reminder(4, at(2025, 3, 13, 9)),
      reminder(3, at(2025, 3, 12, 12)), reminder(2, at(2025, 3, 12, 8)),
      reminder(9, at(2025, 3, 12, 12)), reminder(1, at(2025, 3, 1), true),
      reminder(8, at(2025, 3, 12, 12)),
  };
  const auto sections = ReminderAgenda::sections(reminders, now, calendar);
  ASSERT_EQ(sections.size(), 4u);
  EXPECT_EQ(sections[0], (ReminderAgenda::Section{ReminderBucket::overdue, {uuid(2)}}));
  // Equal fire times go by identifier text, whatever order they came in.
  EXPECT_EQ(sections[1],
            (ReminderAgenda::Section{ReminderBucket::today, {uuid(3), uuid(8), uuid(9)}}));
  EXPECT_EQ(sections[2].reminderIDs, std::vector<UUID>{uuid(4)});
  EXPECT_EQ(sections[3].id(), "later");
  EXPECT_TRUE(ReminderAgenda::sections({}, now, calendar).empty());
}

TEST_F(ReminderAgendaTest, Headlines) {
  struct Case {
    std::vector<Date> open;
    std::string expected;
  };
  const Date overdue = now - 60;
  const Date today = now + 60;
  const std::vector<Case> cases{
      {{}, "Nothing due"},
      {{at(2025, 3, 18)}, "Nothing overdue"},
      {{today}, "1 due today"},
      {{overdue, today}, "1 overdue, 1 due today"},
      {{overdue, overdue, today, at(2025, 4, 1)}, "2 overdue, 1 due today"},
      {{now}, "1 due today"},
  };
  for (const Case& c : cases) {
    Reminders reminders{reminder(99, overdue, true)};
    for (std::size_t i = 0; i < c.open.size(); ++i) {
      reminders.push_back(reminder(static_cast<int>(i), c.open[i]));
    }
    EXPECT_EQ(ReminderAgenda::headline(reminders, now, calendar), c.expected);
  }
}

TEST_F(ReminderAgendaTest, RemindersWithoutIdentifiersSortCleanly) {
  // Each read of a missing id draws a new one: the order must rest on one read per reminder.
  Reminders reminders;
  for (int i = 0; i < 1000; ++i) {
    auto item = reminder(i, now + 3600);
    item->setValue("id", std::nullopt);
    reminders.push_back(item);
  }
  const auto sections = ReminderAgenda::sections(reminders, now, calendar);
  ASSERT_EQ(sections.size(), 1u);
  EXPECT_EQ(sections[0].reminderIDs.size(), 1000u);
  EXPECT_TRUE(std::is_sorted(sections[0].reminderIDs.begin(), sections[0].reminderIDs.end()));
  const auto plans = ReminderNotifications::plans(
      reminders, [](const CardReminder&) { return std::string("Card"); }, now, 1000);
  ASSERT_EQ(plans.size(), 1000u);
  EXPECT_TRUE(std::is_sorted(plans.begin(), plans.end(), [](const auto& a, const auto& b) {
    return a.identifier < b.identifier;
  }));
}

TEST_F(ReminderAgendaTest, NotificationPlans) {
  const auto weekly = reminder(1, now + 60, false, ReminderRepeat::weekly);
  const auto once = reminder(2, now + 60);
  once->setRepeatRuleRaw("fortnightly");
  EXPECT_EQ(
      ReminderNotifications::plan(*weekly, "Lease"),
      (ReminderNotificationPlan{"kelvo.reminder." + uuid(1).uuidString(), "Lease",
                                "Time to look at this again. Every week.", now + 60, uuid(1001)}));
  EXPECT_EQ(ReminderNotifications::plan(*once, "Lease").body, "Time to look at this again.");

  Reminders reminders{reminder(90, now), reminder(91, now + 10, true)};
  for (int i = 0; i < 70; ++i) reminders.push_back(reminder(i, now + 100 + i));
  std::vector<std::string> asked;
  const auto title = [&](const CardReminder& r) -> std::optional<std::string> {
    asked.push_back(r.id().uuidString());
    if (r.id() == uuid(2)) return std::nullopt;
    if (r.id() == uuid(3)) return std::string();
    return "Card " + r.id().uuidString().substr(33);
  };
  const auto plans = ReminderNotifications::plans(reminders, title, now);
  EXPECT_EQ(asked.size(), 60u);
  ASSERT_EQ(plans.size(), 58u);  // two untitled slots stay empty; nothing moves up
  EXPECT_EQ(plans.front().identifier, "kelvo.reminder." + uuid(0).uuidString());
  EXPECT_EQ(plans.front().title, "Card 000");
  EXPECT_EQ(plans.back().fireAt, now + 159);

  asked.clear();
  EXPECT_TRUE(ReminderNotifications::plans(reminders, title, now, -1).empty());
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(ReminderNotifications::plans(reminders, title, now + 200).size(), 0u);
}

}  // namespace
}  // namespace kelvo
