// Grouping a large library, and building and rendering the keyboard-shortcut catalogue.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "core/organisation/CardOrganiser.hpp"
#include "core/organisation/KelvoKeyboardShortcut.hpp"
#include "platform/foundation/Locale.hpp"
#include "platform/foundation/TimeZone.hpp"

namespace kelvo::bench {
namespace {

const Date now(786'000'000);  // December 2025

// 100,000 cards kept over three years before now, in 200 projects; two thirds used since.
const std::vector<GroupableCard>& cards() {
  static const std::vector<GroupableCard> built = [] {
    std::mt19937_64 engine(0x6B656C766F);
    std::vector<UUID> projects;
    for (int index = 0; index < 200; ++index) {
      UUID::Bytes bytes;
      for (auto& byte : bytes) byte = static_cast<std::uint8_t>(engine());
      projects.push_back(UUID(bytes));
    }
    constexpr double threeYears = 3 * 365.25 * 86'400;
    std::vector<GroupableCard> list;
    for (int index = 0; index < 100'000; ++index) {
      GroupableCard card;
      UUID::Bytes bytes;
      for (auto& byte : bytes) byte = static_cast<std::uint8_t>(engine());
      card.id = UUID(bytes);
      card.type = static_cast<CardType>(engine() % 5);
      const double age = static_cast<double>(engine() % 1'000'000) / 1e6 * threeYears;
      card.createdAt = now - age;
      if (engine() % 3 != 0) {
        card.lastUsedAt = now - age * (static_cast<double>(engine() % 100) / 100);
      }
      if (engine() % 10 != 0) {
        card.projectID = projects[engine() % projects.size()];
        card.projectName = "Project";
        card.projectSortIndex = static_cast<std::int64_t>(engine() % 50);
      }
      list.push_back(card);
    }
    return list;
  }();
  return built;
}

void groupCards(benchmark::State& state) {
  const auto grouping = static_cast<CardGrouping>(state.range(0));
  const Calendar calendar(*TimeZone::named("America/New_York"), Locale("en_US"));
  const auto& library = cards();
  for (auto _ : state) {
    benchmark::DoNotOptimize(CardOrganiser::groups(library, grouping, now, calendar).size());
  }
  state.SetLabel(std::string(rawValue(grouping)));
}
BENCHMARK(groupCards)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The per-card calendar rule, for comparison with the bounds grouping uses.
void bucketPerCard(benchmark::State& state) {
  const Calendar calendar(*TimeZone::named("America/New_York"), Locale("en_US"));
  const auto& library = cards();
  std::size_t index = 0;
  for (auto _ : state) {
    const auto& card = library[index++ % library.size()];
    benchmark::DoNotOptimize(CardOrganiser::bucket(card.lastTouchedAt(), now, calendar));
  }
}
BENCHMARK(bucketPerCard);

void renderCatalogue(benchmark::State& state) {
  for (auto _ : state) {
    std::size_t bytes = 0;
    for (const auto& row : KelvoKeyboardShortcut::all()) {
      bytes += row.displayCombination().size() + row.spokenCombination().size();
    }
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK(renderCatalogue)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kelvo::bench
