// Card reminders' date rules, agenda and plans, and the calendar agenda's wording.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/agenda/CalendarAgenda.hpp"
#include "core/agenda/CalendarEventFormatter.hpp"
#include "core/agenda/ReminderAgenda.hpp"
#include "core/agenda/ReminderNotifications.hpp"
#include "core/model/CardReminder.hpp"
#include "core/model/KelvoModel.hpp"
#include "core/model/KelvoPersistence.hpp"
#include "core/model/ReminderSchedule.hpp"
#include "platform/data/Container.hpp"

namespace {

using namespace kelvo;

const TimeZone& berlin() {
  static const TimeZone zone = *TimeZone::named("Europe/Berlin");
  return zone;
}

Calendar userCalendar() {
  Locale::setCurrent(Locale("en_US"));
  TimeZone::setCurrent(berlin());
  return Calendar(berlin(), Locale("en_US"));
}

const Date now(760'000'000);

void BM_DayDistance(benchmark::State& state) {
  const Calendar calendar = userCalendar();
  Date to = now + 90 * 86'400.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReminderSchedule::dayDistance(now, to, calendar));
    to += 1;
  }
}
BENCHMARK(BM_DayDistance);

// 10,000 reminders saved to a file store, then fetched by a fresh container.
struct StoredReminders {
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "kelvo-agenda-bench";
  std::unique_ptr<data::Container> container;
  std::vector<std::shared_ptr<CardReminder>> reminders;

  std::unique_ptr<data::Container> open() {
    auto result = std::make_unique<data::Container>("Kelvo", KelvoModel::shared());
    result->setStoreDescriptions({KelvoPersistence::description(folder / "Kelvo.store")});
    result->loadStores([](const data::StoreDescription&, const data::StoreError* error) {
      if (error != nullptr) throw *error;
    });
    return result;
  }

  StoredReminders() {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    {
      auto writer = open();
      std::mt19937 random(7);
      std::uniform_real_distribution<double> offset(-30 * 86'400.0, 60 * 86'400.0);
      for (int i = 0; i < 10'000; ++i) {
        writer->viewContext().insert(
            CardReminder::make({.id = UUID::random(),
                                .cardID = UUID::random(),
                                .fireAt = now + offset(random),
                                .repeatRule = static_cast<ReminderRepeat>(i % 5),
                                .isDone = i % 10 == 0,
                                .createdAt = now}));
      }
      writer->viewContext().save();
    }
    container = open();
    reminders = container->viewContext().fetch(CardReminder::fetchRequest());
  }
  ~StoredReminders() { std::filesystem::remove_all(folder); }
};

void BM_AgendaSectionsHeadlineAndPlans(benchmark::State& state) {
  const Calendar calendar = userCalendar();
  StoredReminders stored;
  const auto title = [](const CardReminder&) { return std::optional<std::string>("Card"); };
  for (auto _ : state) {
    benchmark::DoNotOptimize(ReminderAgenda::sections(stored.reminders, now, calendar));
    benchmark::DoNotOptimize(ReminderAgenda::headline(stored.reminders, now, calendar));
    benchmark::DoNotOptimize(ReminderNotifications::plans(stored.reminders, title, now));
  }
}
BENCHMARK(BM_AgendaSectionsHeadlineAndPlans)->Unit(benchmark::kMillisecond);

void BM_ReminderSummary(benchmark::State& state) {
  const Calendar calendar = userCalendar();
  auto reminder = CardReminder::make(
      {.id = UUID::random(), .fireAt = now - 3600, .repeatRule = ReminderRepeat::weekly});
  for (auto _ : state) benchmark::DoNotOptimize(reminder->summary(now, calendar));
}
BENCHMARK(BM_ReminderSummary);

// A weekly reminder first due two years ago: where it falls next, then the four presets.
void BM_NextOccurrenceAndPresets(benchmark::State& state) {
  const Calendar calendar = userCalendar();
  const Date anchor = now - 2 * 365 * 86'400.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        ReminderSchedule::nextOccurrence(now, anchor, ReminderRepeat::weekly, calendar));
    benchmark::DoNotOptimize(ReminderSchedule::tomorrowMorning(now, calendar));
    benchmark::DoNotOptimize(ReminderSchedule::nextMondayMorning(now, calendar));
    benchmark::DoNotOptimize(ReminderSchedule::inAWeek(now, calendar));
    benchmark::DoNotOptimize(ReminderSchedule::nextQuarter(now, calendar));
  }
}
BENCHMARK(BM_NextOccurrenceAndPresets);

std::vector<CalendarEventSnapshot> events(int count) {
  std::vector<CalendarEventSnapshot> result;
  std::mt19937 random(11);
  std::uniform_real_distribution<double> offset(-3600, 7 * 86'400.0);
  for (int i = 0; i < count; ++i) {
    const Date start = now + std::floor(offset(random) / 900) * 900;
    result.emplace_back(
        CalendarEventSnapshot::Fields{.id = "event-" + std::to_string(i),
                                      .rawTitle = "Meeting " + std::to_string(i % 37),
                                      .start = start,
                                      .end = start + 3600,
                                      .isAllDay = i % 15 == 0});
  }
  return result;
}

void BM_EventWhen(benchmark::State& state) {
  const CalendarEventFormatter formatter(userCalendar());
  const auto list = events(64);
  std::size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(formatter.when(list[i++ % list.size()], now));
}
BENCHMARK(BM_EventWhen);

void BM_CalendarSections(benchmark::State& state) {
  const Calendar calendar = userCalendar();
  const auto list = events(1'000);
  for (auto _ : state) {
    benchmark::DoNotOptimize(CalendarAgenda::sections(list, now, calendar));
  }
}
BENCHMARK(BM_CalendarSections)->Unit(benchmark::kMillisecond);

}  // namespace
