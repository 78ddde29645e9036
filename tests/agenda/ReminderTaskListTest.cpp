#include "core/agenda/ReminderTaskList.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "core/agenda/ReminderTaskFormatter.hpp"
#include "platform/foundation/Text.hpp"
#include "tests/agenda/AgendaTestSupport.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

using P = ReminderPriority;
using B = ReminderTaskBucket;
using Tasks = std::vector<ReminderTaskSnapshot>;
using testing::clock;

class ReminderTaskListTest : public testing::NewYorkTest {
 protected:
  ReminderTaskSnapshot task(std::string id, std::optional<ReminderDue> due, P priority = P::none,
                            std::string title = "Task") const {
    return {.id = std::move(id), .rawTitle = std::move(title), .due = due, .priority = priority};
  }
  static ReminderTaskSnapshot rent(std::optional<ReminderDue> due) {
    return {.id = "t", .rawTitle = " Pay rent ", .due = due};
  }
  static ReminderDue timed(Date date) { return {date, true}; }
  static ReminderDue allDay(Date date) { return {date, false}; }
  static std::vector<std::string> ids(const Tasks& tasks) {
    std::vector<std::string> result;
    for (const auto& t : tasks) result.push_back(t.id);
    return result;
  }
  const Date now = at(2025, 3, 12, 14);  // a Wednesday
};

TEST_F(ReminderTaskListTest, SnapshotValues) {
  constexpr auto max = std::numeric_limits<std::int64_t>::max();
  const std::pair<std::int64_t, P> priorities[] = {
      {2, P::high},  {3, P::high},  {7, P::low},    {8, P::low},
      {11, P::none}, {-5, P::none}, {max, P::none}, {-max - 1, P::none}};
  for (const auto& [value, level] : priorities) EXPECT_EQ(reminderPriorityFrom(value), level);
  EXPECT_EQ(fromRawValue<P>("High"), std::nullopt);

  // 2 November 2025 lasts 25 hours; an all-day task due then is overdue from the next midnight.
  const ReminderTaskSnapshot autumn = task("a", allDay(at(2025, 11, 2, 12)));
  EXPECT_FALSE(autumn.isOverdue(at(2025, 11, 3) - 1, calendar));
  EXPECT_TRUE(autumn.isOverdue(at(2025, 11, 3), calendar));
  EXPECT_EQ(autumn.due->deadline(calendar) - at(2025, 11, 2), 25 * 3600.0);
  EXPECT_TRUE(task("t", timed(now)).isOverdue(now, calendar));
  EXPECT_FALSE(task("t", timed(now + 1)).isOverdue(now, calendar));
  ReminderTaskSnapshot done = task("d", timed(at(2024, 3, 12)));
  done.isCompleted = true;
  EXPECT_FALSE(done.isOverdue(now, calendar));

  EXPECT_EQ(ReminderDue::resolve(DateComponents{.year = 2025, .month = 3, .day = 12, .minute = 30},
                                 calendar),
            (ReminderDue{at(2025, 3, 12, 0, 30), false}));
  EXPECT_EQ(ReminderDue::resolve(DateComponents{.year = 2025, .month = 3, .day = 12, .hour = 9},
                                 calendar),
            (ReminderDue{at(2025, 3, 12, 9), true}));
  EXPECT_EQ(ReminderDue::resolve(DateComponents{.year = 2025, .month = 2, .day = 30}, calendar),
            std::nullopt);
  EXPECT_EQ(ReminderDue::resolve(DateComponents{.month = 2, .day = 3}, calendar), std::nullopt);

  ReminderTaskSnapshot linked = task("l", std::nullopt, P::none, " \n ");
  EXPECT_EQ(linked.displayTitle(), "Untitled reminder");
  EXPECT_FALSE(linked.hasTitle());
  for (const char* text : {"x:word", " mailto:a@b.example "}) {
    linked.urlString = text;
    ASSERT_TRUE(linked.link()) << text;
    EXPECT_EQ(linked.link()->absoluteString(), text::trimmed(text));
  }
  for (const char* text : {"www.example.com", "http://exa mple.com", "  ", "word"}) {
    linked.urlString = text;
    EXPECT_EQ(linked.link(), std::nullopt) << text;
  }
}

TEST_F(ReminderTaskListTest, BucketsOrderAndSections) {
  const Tasks tasks{
      task("none-low", std::nullopt, P::low, "b"),
      task("later", allDay(at(2025, 3, 14))),
      task("allday-today", allDay(at(2025, 3, 12))),
      task("tomorrow", timed(at(2025, 3, 13, 8))),
      task("at-18", timed(at(2025, 3, 12, 18))),
      task("past-9", timed(at(2025, 3, 12, 9))),
      task("yesterday", allDay(at(2025, 3, 11))),
      task("none-high", std::nullopt, P::high, "z"),
      task("Same", timed(at(2025, 3, 12, 20)), P::medium, "same"),
      task("high", timed(at(2025, 3, 12, 20)), P::high, "zz"),
      task("same", timed(at(2025, 3, 12, 20)), P::medium, "SAME"),
  };
  const B expected[] = {B::noDate,  B::later,  B::today, B::tomorrow, B::today, B::overdue,
                        B::overdue, B::noDate, B::today, B::today,    B::today};
  for (std::size_t i = 0; i < tasks.size(); ++i) {
    EXPECT_EQ(ReminderTaskList::bucket(tasks[i], now, calendar), expected[i]) << tasks[i].id;
  }
  const std::vector<std::string> order{"yesterday", "past-9",    "at-18",        "high",
                                       "Same",      "same",      "allday-today", "tomorrow",
                                       "later",     "none-high", "none-low"};
  EXPECT_EQ(ids(ReminderTaskList::open(tasks, now, calendar)), order);
  EXPECT_TRUE(ReminderTaskList::isOrderedBefore(tasks[4], tasks[2], now, calendar));

  const auto sections = ReminderTaskList::sections(tasks, now, calendar, 7);
  ASSERT_EQ(sections.size(), 2u);
  EXPECT_EQ(sections[0].id, B::overdue);
  EXPECT_EQ(sections[1].title(), "Today");
  EXPECT_EQ(ids(sections[1].tasks),
            (std::vector<std::string>{"at-18", "high", "Same", "same", "allday-today"}));
  EXPECT_EQ(ReminderTaskList::sections(tasks, now, calendar).size(), 5u);
  EXPECT_TRUE(ReminderTaskList::open(tasks, now, calendar, -1).empty());
}

TEST_F(ReminderTaskListTest, MostOverdueAndTexts) {
  ReminderTaskSnapshot completed = task("done", timed(at(2025, 3, 1)));
  completed.isCompleted = true;
  const Tasks tasks{completed, task("first", timed(at(2025, 3, 10)), P::none, "Same"),
                    task("second", timed(at(2025, 3, 10)), P::none, "Same"),
                    task("high", timed(at(2025, 3, 11)), P::high),
                    task("future", timed(now + 60), P::high)};
  EXPECT_EQ(ReminderTaskList::mostOverdue(tasks, now, calendar)->id, "first");
  // Copies of one task that no rule tells apart: the earlier input wins.
  ReminderTaskSnapshot copyA = tasks[1];
  ReminderTaskSnapshot copyB = tasks[1];
  copyA.notes = "a";
  copyB.notes = "b";
  EXPECT_EQ(ReminderTaskList::mostOverdue(Tasks{copyA, copyB}, now, calendar)->notes, "a");
  EXPECT_EQ(ReminderTaskList::mostOverdue(Tasks{copyB, copyA}, now, calendar)->notes, "b");
  EXPECT_EQ(ReminderTaskList::mostOverdue(Tasks{tasks[4]}, now, calendar), std::nullopt);

  using L = ReminderTaskList;
  EXPECT_EQ(L::truncationNotice(3, 13), "10 more open reminders aren't shown.");
  EXPECT_EQ(L::truncationNotice(12, 13), "One more open reminder isn't shown.");
  EXPECT_EQ(text::characterCount(L::completedExplanation()), 149u);
  EXPECT_NE(L::completedExplanation().find("in     Reminders"), std::string::npos);
}

TEST_F(ReminderTaskListTest, WhenLines) {
  const ReminderTaskFormatter formatter(calendar);
  ReminderTaskSnapshot completed = rent(ReminderDue{at(2025, 3, 5, 9), true});
  completed.isCompleted = true;
  struct Case {
    ReminderTaskSnapshot task;
    Date now;
    std::string expected;
  };
  const Case cases[] = {
      {rent(std::nullopt), now, "No date"},
      {rent(ReminderDue{at(2025, 3, 12, 18), true}), now, "Due today, " + clock("6:00", "PM")},
      {rent(ReminderDue{now, true}), now, "Overdue · Due today, " + clock("2:00", "PM")},
      {rent(ReminderDue{at(2025, 3, 11, 9), true}), now,
       "Overdue · Due yesterday, " + clock("9:00", "AM")},
      {rent(ReminderDue{at(2025, 3, 13), false}), now, "Due tomorrow"},
      {rent(ReminderDue{at(2025, 3, 12), false}), now, "Due today"},
      {completed, now, "Due Wed, Mar 5, " + clock("9:00", "AM")},
      {rent(ReminderDue{at(2026, 3, 4), false}), now, "Due Wed, Mar 4, 2026"},
      {rent(ReminderDue{at(2026, 1, 1), false}), at(2025, 12, 31, 20), "Due tomorrow"},
  };
  for (const Case& c : cases) EXPECT_EQ(formatter.when(c.task, c.now), c.expected);
}

TEST_F(ReminderTaskListTest, ProvenanceAndCard) {
  const ReminderTaskFormatter formatter(calendar);
  ReminderTaskSnapshot plain = rent(ReminderDue{at(2025, 3, 13), false});
  plain.listTitle = "  ";
  EXPECT_EQ(formatter.provenance(plain), std::nullopt);
  EXPECT_EQ(formatter.cardPayload(plain, now), "Pay rent\nDue tomorrow");
  EXPECT_EQ(formatter.accessibilityLabel(plain, now), "Pay rent, Due tomorrow");
  ReminderTaskSnapshot untitled = plain;
  untitled.rawTitle = " \n";
  EXPECT_EQ(formatter.accessibilityLabel(untitled, now), "Untitled reminder, Due tomorrow");

  ReminderTaskSnapshot full = plain;
  full.rawTitle = std::string(130, 'R');
  full.listTitle = " Work ";
  full.priority = ReminderPriority::high;
  full.isRecurring = true;
  full.urlString = "https://bank.example/pay";
  full.isCompleted = true;
  full.notes = "\nAccount 42\n";
  EXPECT_EQ(formatter.provenance(full), "Work · High priority · Repeats");
  EXPECT_EQ(formatter.cardTitle(full), std::string(120, 'R'));
  EXPECT_EQ(formatter.cardPayload(full, now),
            std::string(130, 'R') +
                "\nDue tomorrow\nWork · High priority · Repeats\nhttps://bank.example/pay\n"
                "Completed\n\nAccount 42");
  EXPECT_EQ(formatter.cardPreview(full, now), "Due tomorrow · Work · High priority · Repeats");
}

}  // namespace
}  // namespace kelvo
