// Calendar sums of ordinary size: a day and a month added to moments an hour and a few seconds
// apart, in the Gregorian calendar of a zone with daylight saving. A fixed number of iterations,
// so that instruction counts of two builds compare whole.
#include <benchmark/benchmark.h>

#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/TimeZone.hpp"

namespace {

using kelvo::Calendar;

void adding(benchmark::State& state, Calendar::Component unit) {
  const Calendar calendar(*kelvo::TimeZone::named("Europe/Berlin"), kelvo::Locale("en_US"));
  kelvo::Date date(760'000'000);
  for (auto _ : state) {
    benchmark::DoNotOptimize(calendar.adding(unit, 1, date));
    date += 3'607;
  }
}

void BM_AddingDay(benchmark::State& state) { adding(state, Calendar::Component::day); }
BENCHMARK(BM_AddingDay)->Iterations(20'000);

void BM_AddingMonth(benchmark::State& state) { adding(state, Calendar::Component::month); }
BENCHMARK(BM_AddingMonth)->Iterations(20'000);

}  // namespace
