// The contacts directory and facts, and the Reminders-app task list.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "core/agenda/ContactDirectory.hpp"
#include "core/agenda/ContactSnapshot.hpp"
#include "core/agenda/ReminderTaskList.hpp"
#include "platform/foundation/Locale.hpp"
#include "platform/foundation/TimeZone.hpp"

namespace {

using namespace kelvo;

void pinSettings() {
  Locale::setCurrent(Locale("en_US"));
  TimeZone::setCurrent(*TimeZone::named("America/New_York"));
}

// 5,000 contacts; every fifth has a name with diacritics.
const std::vector<ContactSnapshot>& contacts() {
  static const std::vector<ContactSnapshot> list = [] {
    const char* first[] = {"Ann", "Bob", "Carla", "Dev", "Eli", "Fay", "Gus", "Hana"};
    const char* accented[] = {"Zoë", "Renée", "Jürgen", "Søren", "Chloé", "Iñaki"};
    const char* last[] = {"Lee", "Stone", "Park", "Moreau", "Okafor", "Novak", "Ivanova"};
    std::vector<ContactSnapshot> result;
    std::mt19937 random(3);
    for (int i = 0; i < 5'000; ++i) {
      const std::string given = i % 5 == 0 ? accented[random() % 6] : first[random() % 8];
      ContactSnapshot contact{.id = "C" + std::to_string(i),
                              .formattedName = given + " " + last[random() % 7],
                              .organizationName = i % 3 == 0 ? "Harbour Works" : "",
                              .jobTitle = i % 4 == 0 ? "Engineer" : ""};
      contact.phoneNumbers.push_back({"p", "mobile", "+1 555 " + std::to_string(1000 + i)});
      contact.emailAddresses.push_back(
          {"e", "work", "person" + std::to_string(i) + "@example.com"});
      result.push_back(std::move(contact));
    }
    return result;
  }();
  return list;
}

void BM_ContactMatchingASCII(benchmark::State& state) {
  pinSettings();
  for (auto _ : state) benchmark::DoNotOptimize(ContactDirectory::matching("ark", contacts()));
}
BENCHMARK(BM_ContactMatchingASCII)->Unit(benchmark::kMillisecond);

void BM_ContactMatchingDiacritic(benchmark::State& state) {
  pinSettings();
  for (auto _ : state) benchmark::DoNotOptimize(ContactDirectory::matching("renée", contacts()));
}
BENCHMARK(BM_ContactMatchingDiacritic)->Unit(benchmark::kMillisecond);

void BM_ContactSorted(benchmark::State& state) {
  pinSettings();
  for (auto _ : state) benchmark::DoNotOptimize(ContactDirectory::sorted(contacts()));
}
BENCHMARK(BM_ContactSorted)->Unit(benchmark::kMillisecond);

ContactSnapshot wideContact() {
  ContactSnapshot contact{.id = "W", .formattedName = "Wide Contact", .organizationName = "Co"};
  for (int i = 0; i < 50; ++i) {
    const std::string n = std::to_string(i);
    contact.phoneNumbers.push_back({"p" + n, "line " + n, "+1 555 01" + n});
    contact.emailAddresses.push_back({"e" + n, "box " + n, "w" + n + "@example.com"});
    contact.postalAddresses.push_back({"a" + n, "site " + n, n + " Main St\nSpringfield"});
    contact.urlAddresses.push_back({"u" + n, "page " + n, "https://example.com/" + n});
  }
  return contact;
}

void BM_ContactFacts200(benchmark::State& state) {
  pinSettings();
  const ContactSnapshot contact = wideContact();
  for (auto _ : state) benchmark::DoNotOptimize(contact.facts());
}
BENCHMARK(BM_ContactFacts200)->Unit(benchmark::kMicrosecond);

void BM_ContactSummary200(benchmark::State& state) {
  pinSettings();
  const ContactSnapshot contact = wideContact();
  for (auto _ : state) benchmark::DoNotOptimize(contact.summaryPayload());
}
BENCHMARK(BM_ContactSummary200)->Unit(benchmark::kMicrosecond);

void BM_TaskSections(benchmark::State& state) {
  pinSettings();
  const Calendar calendar(*TimeZone::named("America/New_York"), Locale("en_US"));
  const Date now(760'000'000);
  std::vector<ReminderTaskSnapshot> tasks;
  std::mt19937 random(5);
  std::uniform_real_distribution<double> offset(-20 * 86'400.0, 40 * 86'400.0);
  for (int i = 0; i < 5'000; ++i) {
    std::optional<ReminderDue> due;
    if (i % 7 != 0) due = ReminderDue{now + offset(random), i % 2 == 0};
    tasks.push_back({.id = "T" + std::to_string(i),
                     .rawTitle = "Task " + std::to_string(i % 97),
                     .due = due,
                     .priority = static_cast<ReminderPriority>(i % 4)});
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReminderTaskList::sections(tasks, now, calendar, 5'000));
  }
}
BENCHMARK(BM_TaskSections)->Unit(benchmark::kMillisecond);

}  // namespace
