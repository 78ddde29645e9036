// Ranking the whole synthetic library (100,000 cards) for the ready row.
#include <benchmark/benchmark.h>

#include "bench/SyntheticLibrary.hpp"
#include "core/search/ReadyRowRanker.hpp"

namespace kelvo::bench {
namespace {

void rankLibrary(benchmark::State& state) {
  const auto& library = syntheticLibrary();
  const RankingContext context{"Mail", 10, {"Work", "Clients"}, library.now};
  const ReadyRowRanker ranker;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ranker.rank(library.cards, context, state.range(0)).size());
  }
  state.counters["cards"] = static_cast<double>(library.cards.size());
}
BENCHMARK(rankLibrary)->Arg(ReadyRowRanker::readyRowSize)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvo::bench
