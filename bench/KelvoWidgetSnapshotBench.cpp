// Building the widget snapshot over the synthetic library, writing it to the shared folder and
// reading it back, and shortening row titles.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "bench/SyntheticLibrary.hpp"
#include "core/search/RankingContext.hpp"
#include "core/widget/KelvoWidgetSnapshot.hpp"
#include "core/widget/KelvoWidgetSnapshotStore.hpp"
#include "core/widget/KelvoWidgetText.hpp"
#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/TimeZone.hpp"

namespace kelvo::bench {
namespace {

void buildSnapshot(benchmark::State& state) {
  const auto& library = syntheticLibrary();
  const Calendar calendar(*TimeZone::named("Europe/Berlin"));
  const auto context = RankingContext::current("Mail", library.now, calendar);
  std::vector<Date> fireAts;
  for (int i = 0; i < 500; ++i) fireAts.push_back(library.now + (i - 250) * 3'600.0);
  for (auto _ : state) {
    benchmark::DoNotOptimize(KelvoWidgetSnapshot::build(
        library.cards, fireAts, context, KelvoWidgetSnapshot::cardLimit, library.now, calendar));
  }
}
BENCHMARK(buildSnapshot)->Unit(benchmark::kMillisecond);

// The synthetic library's first four cards as the host stores them, three reminders due.
KelvoWidgetSnapshot fourCards() {
  const auto& library = syntheticLibrary();
  std::vector<KelvoWidgetCard> rows;
  for (std::size_t i = 0; i < 4; ++i) {
    const auto& card = library.cards[i];
    rows.push_back({card.id(), KelvoWidgetText::rowTitle(card.title()), card.type()});
  }
  return KelvoWidgetSnapshot(rows, 3, library.now);
}

std::filesystem::path scratchFolder() {
  return std::filesystem::temp_directory_path() /
         ("kelvo-bench-" + std::to_string(std::random_device()()));
}

void readSnapshot(benchmark::State& state) {
  const auto folder = scratchFolder();
  const KelvoWidgetSnapshotStore store(folder);
  if (!store.write(fourCards())) state.SkipWithError("no write");
  for (auto _ : state) benchmark::DoNotOptimize(store.read(syntheticLibrary().now));
  std::filesystem::remove_all(folder);
}
BENCHMARK(readSnapshot)->Unit(benchmark::kMicrosecond);

// Each write replaces the file (a write, two syncs and a rename): CPU time is the store's own.
void writeSnapshot(benchmark::State& state) {
  const auto folder = scratchFolder();
  const KelvoWidgetSnapshotStore store(folder);
  const KelvoWidgetSnapshot snapshot = fourCards();
  for (auto _ : state) {
    if (!store.write(snapshot)) state.SkipWithError("no write");
  }
  std::filesystem::remove_all(folder);
}
BENCHMARK(writeSnapshot)->Unit(benchmark::kMicrosecond)->MeasureProcessCPUTime();

void rowTitle(benchmark::State& state) {
  std::string title;
  while (title.size() < static_cast<std::size_t>(state.range(0))) title += "Quarterly  report ";
  for (auto _ : state) benchmark::DoNotOptimize(KelvoWidgetText::rowTitle(title));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * title.size()));
}
BENCHMARK(rowTitle)->Arg(40)->Arg(200)->Arg(100'000);

}  // namespace
}  // namespace kelvo::bench
