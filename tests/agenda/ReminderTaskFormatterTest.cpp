#include "core/agenda/ReminderTaskFormatter.hpp"

#include <gtest/gtest.h>

#include <string>

#include "tests/agenda/AgendaTestSupport.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

using testing::clock;

class ReminderTaskFormatterTest : public testing::NewYorkTest {
 protected:
  static ReminderTaskSnapshot task(std::optional<ReminderDue> due) {
    return {.id = "t", .rawTitle = " Pay rent ", .due = due};
  }
  const Date now = at(2025, 3, 12, 14);  // a Wednesday
};

TEST_F(ReminderTaskFormatterTest, WhenLines) {
  const ReminderTaskFormatter formatter(calendar);
  ReminderTaskSnapshot completed = task(ReminderDue{at(2025, 3, 5, 9), true});
  completed.isCompleted = true;
  struct Case {
    ReminderTaskSnapshot task;
    Date now;
    std::string expected;
  };
  const Case cases[] = {
      {task(std::nullopt), now, "No date"},
      {task(ReminderDue{at(2025, 3, 12, 18), true}), now, "Due today, " + clock("6:00", "PM")},
      {task(ReminderDue{now, true}), now, "Overdue · Due today, " + clock("2:00", "PM")},
      {task(ReminderDue{at(2025, 3, 11, 9), true}), now,
       "Overdue · Due yesterday, " + clock("9:00", "AM")},
      {task(ReminderDue{at(2025, 3, 13), false}), now, "Due tomorrow"},
      {task(ReminderDue{at(2025, 3, 12), false}), now, "Due today"},
      {completed, now, "Due Wed, Mar 5, " + clock("9:00", "AM")},
      {task(ReminderDue{at(2026, 3, 4), false}), now, "Due Wed, Mar 4, 2026"},
      {task(ReminderDue{at(2026, 1, 1), false}), at(2025, 12, 31, 20), "Due tomorrow"},
  };
  for (const Case& c : cases) EXPECT_EQ(formatter.when(c.task, c.now), c.expected);
}

TEST_F(ReminderTaskFormatterTest, ProvenanceAndCard) {
  const ReminderTaskFormatter formatter(calendar);
  ReminderTaskSnapshot plain = task(ReminderDue{at(2025, 3, 13), false});
  plain.listTitle = "  ";
  EXPECT_EQ(formatter.provenance(plain), std::nullopt);
  EXPECT_EQ(formatter.cardPreview(plain, now), "Due tomorrow");
  EXPECT_EQ(formatter.cardPayload(plain, now), "Pay rent\nDue tomorrow");
  EXPECT_EQ(formatter.accessibilityLabel(plain, now), "Pay rent, Due tomorrow");

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
