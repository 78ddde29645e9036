// The usage examples at the top of the agenda layer's headers, run as written.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <set>
#include <stop_token>
#include <string>
#include <vector>

#include "core/agenda/CalendarAgenda.hpp"
#include "core/agenda/CalendarEventFormatter.hpp"
#include "core/agenda/CalendarEventSnapshot.hpp"
#include "core/agenda/ContactDirectory.hpp"
#include "core/agenda/ContactKeepSummary.hpp"
#include "core/agenda/ContactSnapshot.hpp"
#include "core/agenda/IntegrationAuthorization.hpp"
#include "core/agenda/IntegrationCatalogue.hpp"
#include "core/agenda/IntegrationPermissionCopy.hpp"
#include "core/agenda/IntegrationRead.hpp"
#include "core/agenda/KelvoIntegrationKind.hpp"
#include "core/agenda/KeptItemLimits.hpp"
#include "core/agenda/PhotoAssetSnapshot.hpp"
#include "core/agenda/PhotoImport.hpp"
#include "core/agenda/ReminderAgenda.hpp"
#include "core/agenda/ReminderNotifications.hpp"
#include "core/agenda/ReminderTaskFormatter.hpp"
#include "core/agenda/ReminderTaskList.hpp"
#include "core/agenda/ReminderTaskSnapshot.hpp"
#include "core/model/CardReminder.hpp"
#include "platform/foundation/Text.hpp"
#include "tests/agenda/AgendaTestSupport.hpp"

namespace kelvo {
namespace {

using testing::clock;

TEST(CalendarAgenda, APIExamples) {
  const Date now = Calendar::current().date(2025, 3, 12, 9).value();
  const std::vector<CalendarEventSnapshot> events{CalendarEventSnapshot(
      {.id = "standup", .rawTitle = "Standup", .start = now + 600, .end = now + 1'500})};
  const CalendarAgenda::Range read = CalendarAgenda::fetchRange(now);            // a week from now
  const auto days = CalendarAgenda::sections(events, now, Calendar::current());  // one day
  const auto callOut = CalendarAgenda::imminent(events, now);  // the standup, in 10 minutes

  EXPECT_EQ(read.end - read.start, CalendarAgenda::window);
  ASSERT_EQ(days.size(), 1u);
  EXPECT_EQ(days[0].id, Calendar::current().date(2025, 3, 12).value());
  EXPECT_EQ(days[0].events, events);
  EXPECT_EQ(callOut, events[0]);
}

TEST(CalendarEventFormatter, APIExamples) {
  const Calendar calendar = Calendar::current();
  const Date now = calendar.date(2025, 3, 12, 9).value();  // a Wednesday
  const CalendarEventSnapshot event({.rawTitle = "Review", .start = now, .end = now + 3'600});
  const CalendarEventFormatter formatter(calendar);
  const std::string when = formatter.when(event, now);  // "Wed, Mar 12, 9:00 AM – 10:00 AM"
  const auto soon = formatter.urgency(event, now);      // "On now, until 10:00 AM"

  EXPECT_EQ(when, "Wed, Mar 12, " + clock("9:00", "AM") + " \u2013 " + clock("10:00", "AM"));
  EXPECT_EQ(soon, "On now, until " + clock("10:00", "AM"));
}

TEST(CalendarEventSnapshot, APIExamples) {
  const Date start(700'000'000), end = start + 3'600;
  const std::string id = CalendarEventSnapshot::occurrenceID("E1", start, end, "Review");
  const CalendarEventSnapshot event({.id = id, .rawTitle = " ", .start = start, .end = end});
  const std::string title = event.displayTitle();      // "Untitled event"
  const bool underway = event.isUnderway(start + 60);  // true

  EXPECT_EQ(id, "E1#700000000.0");
  EXPECT_EQ(title, "Untitled event");
  EXPECT_TRUE(underway);
  EXPECT_FALSE(event.isUnderway(end));
}

TEST(ContactDirectory, APIExamples) {
  const std::vector<ContactSnapshot> contacts{{.id = "C2", .formattedName = "Ben Ode"},
                                              {.id = "C1", .formattedName = "Ann Lee"}};
  const auto sorted = ContactDirectory::sorted(contacts);                  // Ann Lee, Ben Ode
  const auto shown = ContactDirectory::matching("lee", sorted);            // Ann Lee
  const std::string none = ContactDirectory::noMatchesExplanation("zed");  // names “zed”

  ASSERT_EQ(sorted.size(), 2u);
  EXPECT_EQ(sorted[0].id, "C1");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].id, "C1");
  EXPECT_NE(none.find("No contact matches \u201Czed\u201D."), std::string::npos);
}

TEST(ContactKeepSummary, APIExamples) {
  const ContactSnapshot::LabeledValue phone{.id = "p1", .label = "work", .value = "555 0100"};
  const ContactSnapshot ann{.id = "C1", .formattedName = "Ann Lee", .phoneNumbers = {phone}};
  const auto selected = ContactKeepSummary::defaultSelection(ann.displayedFacts());
  const auto button = ContactKeepSummary::buttonTitle(std::ssize(selected));  // "Keep 2 Facts"
  const auto done = ContactKeepSummary::sentence(1, 1);  // one kept, one there already

  EXPECT_EQ(button, "Keep 2 Facts");
  EXPECT_EQ(done, "Kept 1 Fact, 1 was already in Kelvo.");
}

TEST(ContactSnapshot, APIExamples) {
  const ContactSnapshot::LabeledValue phone{.id = "p1", .label = "work", .value = "555 0100"};
  const ContactSnapshot ann{.id = "C1", .formattedName = "Ann Lee", .phoneNumbers = {phone}};
  const std::vector<ContactFact> facts = ann.facts();                   // "Name" and "Work phone"
  const std::string title = facts.back().cardTitle(ann.displayName());  // "Work phone — Ann Lee"

  ASSERT_EQ(facts.size(), 2u);
  EXPECT_EQ(facts[0].label, "Name");
  EXPECT_EQ(facts[1].label, "Work phone");
  EXPECT_EQ(title, "Work phone \u2014 Ann Lee");
}

TEST(KeptItemLimits, APIExamples) {
  const std::string longTitle(150, 'x');
  const std::string title = KeptItemLimits::cardTitle(longTitle);  // its first 120 characters
  const auto notes = KeptItemLimits::notes(" \n Call back \n");    // "Call back"

  EXPECT_EQ(title, std::string(120, 'x'));
  EXPECT_EQ(notes, "Call back");
  EXPECT_EQ(KeptItemLimits::notes(" \n "), std::nullopt);
}

TEST(IntegrationAuthorization, APIExamples) {
  const auto state = IntegrationAuthorization::denied();
  const bool settings = state.offersSettings();  // true: the user can change it there
  const bool ask = state.isWorthAsking();        // false: asking again shows nothing

  EXPECT_TRUE(settings);
  EXPECT_FALSE(ask);
  EXPECT_FALSE(IntegrationAuthorization::restricted().offersSettings());
}

TEST(IntegrationCatalogue, APIExamples) {
  std::vector<std::string> rows;
  for (const auto kind : IntegrationCatalogue::available(IntegrationPlatform::iOS))
    rows.push_back(title(kind));  // "Calendar", "Photos", ...
  const std::string footer = IntegrationCatalogue::absentIntegrationsExplanation();

  EXPECT_EQ(rows, (std::vector<std::string>{"Calendar", "Photos", "Slack", "Gmail", "Outlook",
                                            "Google Meet"}));
  EXPECT_FALSE(footer.empty());
}

TEST(IntegrationPermissionCopy, APIExamples) {
  const auto copy = IntegrationPermissionCopyBook::copy(KelvoIntegrationKind::photos,
                                                        IntegrationAuthorization::denied());
  const std::string button = copy.settingsActionTitle.value_or("");  // "Open Settings"

  EXPECT_EQ(button, "Open Settings");
  EXPECT_TRUE(copy.offersAWayForward());
}

TEST(IntegrationRead, APIExamples) {
  const auto read = [](std::stop_token stop) { return stop.stop_requested() ? 0 : 3; };
  const std::optional<int> events = withDeadline<int>(IntegrationRead::deadline, read);  // 3
  const std::string late = IntegrationRead::timedOutMessage(KelvoIntegrationKind::calendar);

  EXPECT_EQ(events, 3);
  EXPECT_NE(late.find("Your calendar didn't answer in time."), std::string::npos);
}

TEST(KelvoIntegrationKind, APIExamples) {
  std::vector<std::string> ready;  // on the Mac: "Calendar: Keep the meeting ..."
  for (const KelvoIntegrationKind kind : allCases<KelvoIntegrationKind>())
    if (isAvailable(kind, IntegrationPlatform::macOS) && readiness(kind).isTappable())
      ready.push_back(title(kind) + ": " + tagline(kind));

  ASSERT_EQ(ready.size(), 1u);
  EXPECT_EQ(ready[0], "Calendar: " + tagline(KelvoIntegrationKind::calendar));
}

TEST(PhotoAssetSnapshot, APIExamples) {
  const Date taken(700'000'000);  // 2023-03-08 20:26:40 UTC
  const PhotoAssetSnapshot shot{"A1/L0/001", taken, true, 1170, 2532, "PNG"};
  const std::string name = PhotoImport::filename(shot, taken, TimeZone::utc());
  const std::string subtitle = PhotoImport::gridSubtitle(shot);  // "Screenshot · 1170×2532"

  EXPECT_EQ(name, "Screenshot 2023-03-08 20.26.40.png");
  EXPECT_EQ(subtitle, "Screenshot \u00B7 1170\u00D72532");
}

TEST(PhotoImport, APIExamples) {
  const std::int64_t byteCount = 60'000'000;
  const auto refusal = PhotoImport::rejection(byteCount);     // too large: above 50 MB
  const std::string why = refusal ? refusal->message() : "";  // "That file is 57 MB — ..."
  const PhotoAssetSnapshot photo{"A1/L0/002", std::nullopt, false, 0, 0, " .HEIC"};
  const Date now(700'000'000);  // 2023-03-08 20:26:40 UTC, the moment of an undated photo
  const auto name = PhotoImport::filename(photo, now, TimeZone::utc());  // "Photo <now>.heic"

  EXPECT_EQ(
      why,
      "That file is 57 MB \u2014 Kelvo keeps files up to 50 MB so they can sync to your other "
      "devices.");
  EXPECT_EQ(name, "Photo 2023-03-08 20.26.40.heic");
}

TEST(ReminderAgenda, APIExamples) {
  const Date now(700'000'000);
  const Calendar calendar = Calendar::current();
  const std::vector<std::shared_ptr<CardReminder>> due{
      CardReminder::make({.id = UUID::random(), .fireAt = now - 60}),
      CardReminder::make({.id = UUID::random(), .fireAt = now + 60})};
  const auto sections = ReminderAgenda::sections(due, now, calendar);  // overdue, today
  const auto title = ReminderAgenda::headline(due, now, calendar);     // "1 overdue, 1 due today"

  ASSERT_EQ(sections.size(), 2u);
  EXPECT_EQ(sections[0].id(), "overdue");
  EXPECT_EQ(sections[0].reminderIDs, std::vector<UUID>{due[0]->id()});
  EXPECT_EQ(sections[1].id(), "today");
  EXPECT_EQ(title, "1 overdue, 1 due today");
}

TEST(ReminderNotifications, APIExamples) {
  const Date now(700'000'000);
  const std::vector<std::shared_ptr<CardReminder>> reminders{
      CardReminder::make({.id = UUID::random(), .fireAt = now + 3'600})};
  const auto title = [](const CardReminder&) -> std::optional<std::string> { return "Rent"; };
  const auto plans = ReminderNotifications::plans(reminders, title, now);  // one, in an hour

  ASSERT_EQ(plans.size(), 1u);
  EXPECT_EQ(plans[0].identifier, "kelvo.reminder." + reminders[0]->id().uuidString());
  EXPECT_EQ(plans[0].title, "Rent");
  EXPECT_EQ(plans[0].fireAt, now + 3'600);
}

TEST(ReminderTaskFormatter, APIExamples) {
  const Calendar calendar = Calendar::current();
  const Date now = calendar.date(2025, 3, 12, 10).value();
  const ReminderTaskSnapshot task{.id = "T1", .due = ReminderDue{now - 86'400, true}};
  const ReminderTaskFormatter formatter(calendar);
  const std::string when = formatter.when(task, now);  // "Overdue · Due yesterday, 10:00 AM"

  EXPECT_EQ(when, "Overdue \u00B7 Due yesterday, " + clock("10:00", "AM"));
}

TEST(ReminderTaskList, APIExamples) {
  const Date now(700'000'000);
  const Calendar calendar = Calendar::current();
  const std::vector<ReminderTaskSnapshot> tasks{{.id = "T1"},
                                                {.id = "T2", .due = ReminderDue{now - 86'400}}};
  const auto sections = ReminderTaskList::sections(tasks, now, calendar);  // Overdue, No date
  const auto worst = ReminderTaskList::mostOverdue(tasks, now, calendar);  // T2

  ASSERT_EQ(sections.size(), 2u);
  EXPECT_EQ(sections[0].title(), "Overdue");
  EXPECT_EQ(sections[1].title(), "No date");
  ASSERT_TRUE(worst);
  EXPECT_EQ(worst->id, "T2");
}

TEST(ReminderTaskSnapshot, APIExamples) {
  const Calendar calendar = Calendar::current();
  const DateComponents stored{.year = 2025, .month = 3, .day = 14};
  const ReminderTaskSnapshot task{.id = "T1",
                                  .rawTitle = "Pay rent",
                                  .due = ReminderDue::resolve(stored, calendar),
                                  .priority = reminderPriorityFrom(1)};
  const bool overdue = task.isOverdue(calendar.date(2025, 3, 15).value(), calendar);  // true
  const auto mark = marker(task.priority);                                            // "!!!"

  EXPECT_TRUE(overdue);
  EXPECT_FALSE(task.isOverdue(calendar.date(2025, 3, 14, 23).value(), calendar));
  EXPECT_EQ(mark, "!!!");
}

}  // namespace
}  // namespace kelvo
