#include "core/agenda/CalendarAgenda.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "platform/foundation/Text.hpp"
#include "tests/agenda/AgendaTestSupport.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

using Events = std::vector<CalendarEventSnapshot>;

class CalendarAgendaTest : public testing::NewYorkTest {
 protected:
  static CalendarEventSnapshot event(std::string id, std::string title, Date start, Date end,
                                     bool allDay = false) {
    return CalendarEventSnapshot(
        {.id = std::move(id), .rawTitle = std::move(title), .start = start, .end = end,
         .isAllDay = allDay});
  }
  static std::vector<std::string> ids(const Events& events) {
    std::vector<std::string> result;
    for (const auto& e : events) result.push_back(e.id());
    return result;
  }
  const Date now = at(2025, 3, 12, 10);
};

TEST_F(CalendarAgendaTest, UpcomingOrder) {
  const Date midnight = at(2025, 3, 13);
  const Events events{
      event("timed", "Stand-up", midnight, midnight + 1800),
      event("allday", "Holiday", midnight, at(2025, 3, 14), true),
      event("b2", "banana", now + 600, now + 700),
      event("b1", "Banana", now + 600, now + 700),
      event("a", "apple", now + 600, now + 700),
      event("blank", " \n", now + 600, now + 700),  // sorts as "Untitled event"
      event("over", "Over", now - 3600, now),
      event("running", "Running", now - 3600, now + 1),
  };
  EXPECT_EQ(ids(CalendarAgenda::upcoming(events, now)),
            (std::vector<std::string>{"running", "a", "b1", "b2", "blank", "allday", "timed"}));
  EXPECT_EQ(ids(CalendarAgenda::upcoming(events, now, 2)),
            (std::vector<std::string>{"running", "a"}));
  EXPECT_TRUE(CalendarAgenda::upcoming(events, now, 0).empty());
  EXPECT_TRUE(CalendarAgenda::upcoming(events, now, -5).empty());
  EXPECT_FALSE(CalendarAgenda::isOrderedBefore(events[2], events[2]));

  const auto range = CalendarAgenda::fetchRange(now);
  EXPECT_EQ(range.start, now);
  EXPECT_EQ(range.end, now + 604'800);
}

TEST_F(CalendarAgendaTest, SectionsByStartDay) {
  const Events events{
      event("late", "Late", at(2025, 3, 13, 22, 30), at(2025, 3, 13, 23)),
      event("trip", "Trip", at(2025, 3, 11, 9), at(2025, 3, 13, 9)),
      event("lunch", "Lunch", at(2025, 3, 12, 12), at(2025, 3, 12, 13)),
  };
  const auto sections = CalendarAgenda::sections(events, now, calendar);
  ASSERT_EQ(sections.size(), 3u);
  EXPECT_EQ(sections[0].id, at(2025, 3, 11));
  EXPECT_EQ(ids(sections[0].events), std::vector<std::string>{"trip"});
  EXPECT_EQ(sections[1].id, at(2025, 3, 12));
  EXPECT_EQ(sections[2], (CalendarDaySection{at(2025, 3, 13), {events[0]}}));
  EXPECT_EQ(CalendarAgenda::sections(events, now, calendar, 2).size(), 2u);
  EXPECT_TRUE(CalendarAgenda::sections(events, now, calendar, 0).empty());

  // In Tokyo, 22:30 in New York is already the next morning.
  const Calendar tokyo(testing::zone("Asia/Tokyo"));
  const auto regrouped = CalendarAgenda::sections(events, now, tokyo);
  ASSERT_EQ(regrouped.size(), 3u);
  EXPECT_EQ(regrouped[2].id, *tokyo.date(2025, 3, 14));
  EXPECT_EQ(regrouped[0].id, *tokyo.date(2025, 3, 11));
}

TEST_F(CalendarAgendaTest, Imminent) {
  const Events soon{
      event("allday", "All day", now - 60, now + 86'400, true),
      event("bound", "At the bound", now + 3600, now + 7200),
      event("past", "One second past", now + 3601, now + 7200),
  };
  EXPECT_EQ(CalendarAgenda::imminent(soon, now)->id(), "bound");
  EXPECT_FALSE(CalendarAgenda::imminent({soon.begin() + 2, soon.end()}, now));
  EXPECT_FALSE(CalendarAgenda::imminent({soon.begin(), soon.begin() + 1}, now));

  const Events underway{
      event("next", "Next", now + 120, now + 600),
      event("running", "Running", now - 3600, now + 60),
      event("ended", "Ended", now - 3600, now),
  };
  EXPECT_EQ(CalendarAgenda::imminent(underway, now)->id(), "running");
  EXPECT_EQ(CalendarAgenda::imminent(underway, now + 60)->id(), "next");
}

TEST_F(CalendarAgendaTest, NoticesAndExplanation) {
  using A = CalendarAgenda;
  constexpr auto max = std::numeric_limits<std::int64_t>::max();
  constexpr auto min = std::numeric_limits<std::int64_t>::min();
  EXPECT_EQ(A::truncationNotice(200, 200), std::nullopt);
  EXPECT_EQ(A::truncationNotice(12, 10), std::nullopt);
  EXPECT_EQ(A::truncationNotice(0, 1), "One more event in the next week isn't shown.");
  EXPECT_EQ(A::truncationNotice(10, 12), "2 more events in the next week aren't shown.");
  EXPECT_EQ(A::truncationNotice(200, 203), "3 more events in the next week aren't shown.");
  EXPECT_EQ(A::truncationNotice(min, max),
            "18446744073709551615 more events in the next week aren't shown.");
  const std::string empty = A::emptyExplanation();
  EXPECT_EQ(text::characterCount(empty), 127u);
  EXPECT_EQ(empty.substr(0, 8), "    Noth");
  EXPECT_NE(empty.find("will     be here"), std::string::npos);
}

}  // namespace
}  // namespace kelvo
