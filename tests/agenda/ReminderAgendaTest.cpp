#include "core/agenda/ReminderAgenda.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/agenda/ReminderNotifications.hpp"
#include "tests/agenda/AgendaTestSupport.hpp"
#include "tests/model/Library.hpp"

namespace kelvo {
namespace {

using testing::uuid;
using Reminders = std::vector<std::shared_ptr<CardReminder>>;

class ReminderAgendaTest : public testing::NewYorkTest {
 protected:
  std::shared_ptr<CardReminder> reminder(int id, Date fireAt, bool done = false,
                                         ReminderRepeat rule = ReminderRepeat::none) {
    return CardReminder::make({.id = uuid(id), .cardID = uuid(1000 + id), .fireAt = fireAt,
                               .repeatRule = rule, .isDone = done});
  }
  const Date now = at(2025, 3, 12, 10);
};

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
  EXPECT_EQ(sections[1], (ReminderAgenda::Section{ReminderBucket::today,
                                                  {uuid(3), uuid(8), uuid(9)}}));
  EXPECT_EQ(sections[2].reminderIDs, std::vector<UUID>{uuid(4)});
  EXPECT_EQ(sections[3].id(), "later");
  EXPECT_EQ(ReminderAgenda::headline(reminders, now, calendar), "1 overdue, 3 due today");
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
      {{today, today}, "2 due today"},
      {{overdue}, "1 overdue"},
      {{overdue, today}, "1 overdue, 1 due today"},
      {{overdue, overdue, today, today, today}, "2 overdue, 3 due today"},
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
  EXPECT_EQ(ReminderNotifications::plan(*weekly, "Lease"),
            (ReminderNotificationPlan{"kelvo.reminder." + uuid(1).uuidString(), "Lease",
                                      "Time to look at this again. Every week.", now + 60,
                                      uuid(1001)}));
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
  EXPECT_TRUE(ReminderNotifications::plans(reminders, title, now, 0).empty());
  EXPECT_TRUE(ReminderNotifications::plans(reminders, title, now, -1).empty());
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(ReminderNotifications::plans(reminders, title, now + 200).size(), 0u);
}

}  // namespace
}  // namespace kelvo
