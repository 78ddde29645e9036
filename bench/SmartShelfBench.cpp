// A full sidebar of smart shelves read from their documents, and smart shelves evaluated over
// the synthetic library (100,000 cards).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/SyntheticLibrary.hpp"
#include "core/design/KelvoIcon.hpp"
#include "core/search/CardFilterPresets.hpp"
#include "core/search/SearchIndex.hpp"
#include "core/search/SmartShelfEvaluation.hpp"
#include "core/search/SmartShelfPresets.hpp"

namespace kelvo::bench {
namespace {

// Twelve documents: the offered suggestions, a project scope, and three built-in presets.
std::vector<std::string> sidebar() {
  std::vector<std::string> texts;
  for (const auto& suggestion : SmartShelfPresets::offered()) {
    texts.push_back(*suggestion.criteria.encoded());
  }
  texts.push_back(*SmartShelfPresets::inProject("Studio").criteria.encoded());
  for (const auto& preset : {CardFilterPresets::staleCards(), CardFilterPresets::neverUsed(),
                             CardFilterPresets::attachments()}) {
    texts.push_back(*SmartShelfCriteria(preset).encoded());
  }
  return texts;
}

void readSidebar(benchmark::State& state) {
  const auto texts = sidebar();
  for (auto _ : state) {
    int icons = 0;
    for (const std::string& text : texts) {
      icons += static_cast<int>(SmartShelfCriteria::decode(text)->icon());
    }
    benchmark::DoNotOptimize(icons);
  }
  state.counters["shelves"] = static_cast<double>(texts.size());
}
BENCHMARK(readSidebar)->Unit(benchmark::kMicrosecond);

void evaluateShelf(benchmark::State& state) {
  const auto& library = syntheticLibrary();
  static const SearchIndex index(library.cards);
  const auto rank = SmartShelfEvaluation::literalRanking(index);
  // 0: the preset as offered; 1: the same with a query; 2: stale after 30 days, which matches
  // about half the library, all of it then sorted by title.
  SavedSearch search =
      CardFilterPresets::needsAttention(state.range(0) == 2 ? 30 : CardFilterPresets::staleDays);
  if (state.range(0) == 1) search.setQuery("paid inv");
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        SmartShelfEvaluation::evaluate(search, library.cards, rank, library.now).size());
  }
}
BENCHMARK(evaluateShelf)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvo::bench
