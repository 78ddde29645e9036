#include "core/agenda/CalendarAgenda.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/agenda/CalendarEventFormatter.hpp"
#include "platform/foundation/Text.hpp"
#include "tests/agenda/AgendaTestSupport.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

using Events = std::vector<CalendarEventSnapshot>;
using testing::clock;

class CalendarAgendaTest : public testing::NewYorkTest {
 protected:
  static CalendarEventSnapshot event(std::string id, std::string title, Date start, Date end,
                                     bool allDay = false) {
    return CalendarEventSnapshot({.id = std::move(id),
                                  .rawTitle = std::move(title),
                                  .start = start,
                                  .end = end,
                                  .isAllDay = allDay});
  }
  static CalendarEventSnapshot::Fields fields(Date start, Date end, bool allDay = false) {
    return {.id = "e", .rawTitle = "Review", .start = start, .end = end, .isAllDay = allDay};
  }
  static CalendarEventSnapshot event(Date start, Date end, bool allDay = false) {
    return CalendarEventSnapshot(fields(start, end, allDay));
  }
  static std::vector<std::string> ids(const Events& events) {
    std::vector<std::string> result;
    for (const auto& e : events) result.push_back(e.id());
    return result;
  }
  const Date now = at(2025, 3, 12, 10);  // a Wednesday
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
  EXPECT_TRUE(CalendarAgenda::upcoming(events, now, -5).empty());
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
  EXPECT_EQ(sections[2], (CalendarDaySection{at(2025, 3, 13), {events[0]}}));
  EXPECT_TRUE(CalendarAgenda::sections(events, now, calendar, 0).empty());

  // In Tokyo, 22:30 in New York is already the next morning.
  const Calendar tokyo(testing::zone("Asia/Tokyo"));
  const auto regrouped = CalendarAgenda::sections(events, now, tokyo);
  ASSERT_EQ(regrouped.size(), 3u);
  EXPECT_EQ(regrouped[2].id, *tokyo.date(2025, 3, 14));
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
  EXPECT_EQ(A::truncationNotice(0, 1), "One more event in the next week isn't shown.");
  EXPECT_EQ(A::truncationNotice(10, 12), "2 more events in the next week aren't shown.");
  EXPECT_EQ(A::truncationNotice(min, max),
            "18446744073709551615 more events in the next week aren't shown.");
  const std::string empty = A::emptyExplanation();
  EXPECT_EQ(empty.substr(0, 8), "    Noth");
  EXPECT_NE(empty.find("will     be here"), std::string::npos);
}

TEST_F(CalendarAgendaTest, WhenForms) {
  const CalendarEventFormatter formatter(calendar);
  struct Case {
    CalendarEventSnapshot event;
    std::string expected;
  };
  const std::string nine = clock("9:00", "AM");
  const std::vector<Case> cases{
      {event(at(2025, 3, 12), at(2025, 3, 13), true), "All day · Wed, Mar 12"},
      {event(at(2025, 3, 12), at(2025, 3, 15), true), "All day · 12 Wed – Fri, Mar 14"},
      {event(at(2025, 3, 30), at(2025, 4, 2), true), "All day · Sun, Mar 30 – Tue, Apr 1"},
      {event(at(2025, 3, 12, 22), at(2025, 3, 13)),
       "Wed, Mar 12 " + clock("10:00", "PM") + " – Thu, Mar 13 " + clock("12:00", "AM")},
      {event(at(2025, 3, 12, 9), at(2025, 3, 12, 10)),
       "Wed, Mar 12, " + nine + " – " + clock("10:00", "AM")},
      {event(at(2025, 3, 12, 9), at(2025, 3, 12, 9)), "Wed, Mar 12, " + nine},
      {event(at(2025, 3, 12, 9), at(2025, 3, 12, 8)), "Wed, Mar 12, " + nine},
      {event(at(2026, 1, 2, 9), at(2026, 1, 2, 9)), "Fri, Jan 2, 2026, " + nine},
  };
  for (const Case& c : cases) EXPECT_EQ(formatter.when(c.event, now), c.expected);

  EXPECT_EQ(formatter.dayTitle(at(2025, 3, 13), now), "Tomorrow");
  EXPECT_EQ(formatter.dayTitle(at(2025, 3, 14), now), "Fri, Mar 14");
}

TEST_F(CalendarAgendaTest, TimeZoneNoteAndUrgency) {
  const CalendarEventFormatter formatter(calendar);
  auto paris = fields(at(2025, 3, 12, 15), at(2025, 3, 12, 16));
  paris.timeZoneIdentifier = "Europe/Paris";
  EXPECT_EQ(formatter.timeZoneNote(CalendarEventSnapshot(paris)),
            "Set for " + clock("8:00", "PM") + " Central European Time");
  paris.isAllDay = true;
  EXPECT_EQ(formatter.timeZoneNote(CalendarEventSnapshot(paris)), std::nullopt);
  for (const char* same : {"America/Toronto", "Nowhere/Atlantis"}) {
    auto other = fields(at(2025, 3, 12, 15), at(2025, 3, 12, 16));
    other.timeZoneIdentifier = same;
    EXPECT_EQ(formatter.timeZoneNote(CalendarEventSnapshot(other)), std::nullopt) << same;
  }

  struct Case {
    TimeInterval startsIn;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {59.9, "Starting now"},  {60, "In 1 minute"},  {119.9, "In 1 minute"},
      {3599, "In 59 minutes"}, {3600, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(formatter.urgency(event(now + c.startsIn, now + 1e6), now), c.expected) << c.startsIn;
  }
  EXPECT_EQ(formatter.urgency(event(now - 60, now + 3600), now),
            "On now, until " + clock("11:00", "AM"));
  EXPECT_EQ(formatter.urgency(event(now - 60, now + 3600, true), now), "Today");
  EXPECT_EQ(formatter.urgency(event(now - 60, now), now), std::nullopt);
}

TEST_F(CalendarAgendaTest, SnapshotValues) {
  auto f = fields(Date(12.5), Date(60));
  f.rawTitle = " \n\t";
  f.attendees = {" Ann ", "ann", "", "Bob"};
  const CalendarEventSnapshot blank(f);
  EXPECT_EQ(blank.displayTitle(), "Untitled event");
  EXPECT_EQ(blank.namedAttendees(), (std::vector<std::string>{"Ann", "Bob"}));
  EXPECT_EQ(blank.minutesUntilStart(Date(0)), 0);
  EXPECT_EQ(blank.minutesUntilStart(Date(12.5)), std::nullopt);

  using S = CalendarEventSnapshot;
  EXPECT_EQ(S::occurrenceID("EV-1", Date(12.5), Date(60), "x"), "EV-1#12.5");
  EXPECT_EQ(S::occurrenceID("EV-1", Date(-86'400), Date(0), "x"), "EV-1#-86400.0");
  EXPECT_EQ(S::occurrenceID("", Date(0), Date(3600), " Lunch "), "anon#0.0#3600.0#Lunch");

  std::vector<std::string> names;
  for (char c = 'A'; c < 'A' + 13; ++c) names.push_back(std::string("Guest ") + c);
  f.attendees = names;
  const std::string summary = *S(f).attendeeSummary();
  EXPECT_TRUE(summary.ends_with(", Guest L +1 more")) << summary;
}

// Names are one attendee when they are the same text ignoring case; the first spelling stays.
TEST_F(CalendarAgendaTest, AttendeesCompareAsTexts) {
  using Names = std::vector<std::string>;
  const std::vector<std::pair<Names, Names>> cases{
      {{"Zo\u00EB", "Zoe\u0308"}, {"Zo\u00EB"}},
      {{" Zoe\u0308", "ZO\u00CB "}, {"Zoe\u0308"}},
      {{"\u212Bsa", "\u00C5sa", "\u00E5SA"}, {"\u212Bsa"}},
      {{"Zoe", "Zo\u00EB"}, {"Zoe", "Zo\u00EB"}},
  };
  auto f = fields(Date(0), Date(60));
  for (const auto& [attendees, named] : cases) {
    f.attendees = attendees;
    EXPECT_EQ(CalendarEventSnapshot(f).namedAttendees(), named) << attendees[0];
  }
  std::mt19937 random(9103);
  for (int round = 0; round < 2000; ++round) {
    f.attendees.assign(1 + random() % 6, {});
    for (std::string& name : f.attendees) name = testing::spelling(random);
    Names expected;
    for (const std::string& attendee : f.attendees) {
      const std::string name = text::trimmed(attendee);
      const auto same = [&](const std::string& kept) {
        return text::canonicallyEqual(text::lowercased(kept), text::lowercased(name));
      };
      if (!name.empty() && std::none_of(expected.begin(), expected.end(), same)) {
        expected.push_back(name);
      }
    }
    EXPECT_EQ(CalendarEventSnapshot(f).namedAttendees(), expected);
  }
}

TEST_F(CalendarAgendaTest, CardTexts) {
  const CalendarEventFormatter formatter(calendar);
  const CalendarEventSnapshot plain = event(at(2025, 3, 12, 9), at(2025, 3, 12, 10));
  const std::string when = formatter.when(plain, now);
  EXPECT_EQ(formatter.cardPayload(plain, now), "Review\n" + when);

  auto full = fields(at(2025, 3, 12, 15), at(2025, 3, 12, 16));
  full.rawTitle = std::string(1000, 'T');
  full.timeZoneIdentifier = "Europe/Paris";
  full.location = " Room 4 ";
  full.attendees = {"Ann"};
  full.isRecurring = true;
  full.calendarTitle = "Work";
  std::string accents;
  for (int i = 0; i < 19'000; ++i) accents += "e\u0301";
  full.notes = "\n" + accents + "\n";
  const CalendarEventSnapshot rich(full);
  EXPECT_EQ(rich.trimmedNotes(), accents);
  EXPECT_EQ(formatter.cardTitle(rich), std::string(120, 'T'));
  const std::string payload = formatter.cardPayload(rich, now);
  const std::string head = std::string(1000, 'T') + "\n" + formatter.when(rich, now) +
                           "\nSet for " + clock("8:00", "PM") +
                           " Central European Time\nRoom 4\nWith Ann\nRepeats\nCalendar: Work\n\n";
  EXPECT_EQ(payload.substr(0, head.size()), head);
  EXPECT_EQ(text::characterCount(payload), 20'000u);
  EXPECT_EQ(formatter.cardPreview(rich, now), formatter.when(rich, now) + " · Room 4");
  EXPECT_EQ(formatter.accessibilityLabel(event(now + 120, now + 600), now),
            "Review, Wed, Mar 12, " + clock("10:02", "AM") + " – " + clock("10:10", "AM") +
                ", In 2 minutes");

  full.notes = accents + "e";
  const std::string cut = *CalendarEventSnapshot(full).trimmedNotes();
  EXPECT_EQ(cut, accents + "\n\n[Notes were longer than a card can hold, so they stop here.]");
}

}  // namespace
}  // namespace kelvo
