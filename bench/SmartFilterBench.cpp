// Sorting the synthetic library (100,000 cards) into the smart filters by kind of file, and
// the card type picker's counts and links filter over the same cards.
#include <benchmark/benchmark.h>

#include <optional>
#include <string>
#include <vector>

#include "bench/SyntheticLibrary.hpp"
#include "core/organisation/CardTypeFilter.hpp"
#include "core/search/SmartFilter.hpp"

namespace kelvo::bench {
namespace {

struct Item {
  CardType type;
  std::optional<std::string> filename;
  std::string payload;
};

// Half text (one in ten a link), the rest facts and attachments named with every known
// extension in mixed case, unknown extensions and no extension.
const std::vector<Item>& items() {
  static const std::vector<Item> built = [] {
    std::vector<std::string> extensions;
    for (const auto* set : {&smartFilterGifExtensions(), &smartFilterPdfExtensions(),
                            &smartFilterWordExtensions(), &smartFilterSpreadsheetExtensions(),
                            &smartFilterPresentationExtensions(), &smartFilterVideoExtensions(),
                            &smartFilterAudioExtensions(), &smartFilterImageExtensions()}) {
      for (const auto extension : *set) extensions.emplace_back(extension);
    }
    extensions.insert(extensions.end(), {"txt", "zip", "tar.gz", "", "Unknown"});
    std::vector<Item> result;
    const auto& cards = syntheticLibrary().cards;
    for (std::size_t i = 0; i < cards.size(); ++i) {
      const std::size_t kind = i % 10;
      if (kind < 5) {
        result.push_back({CardType::text, std::nullopt,
                          kind == 0 ? "https://example.org/page/" + std::to_string(i)
                                    : std::string(cards[i].content())});
      } else if (kind == 5) {
        result.push_back({CardType::fact, std::nullopt, std::string(cards[i].content())});
      } else {
        std::string extension = extensions[i % extensions.size()];
        if (i % 3 == 0 && !extension.empty())
          extension[0] = static_cast<char>(extension[0] & ~0x20);
        std::optional<std::string> name;
        if (i % 17 != 0)
          name = "File " + std::to_string(i) + (extension.empty() ? "" : ".") + extension;
        const CardType types[] = {CardType::image, CardType::file, CardType::document};
        result.push_back({types[i % 3], std::move(name), ""});
      }
    }
    return result;
  }();
  return built;
}

void countSmartFilters(benchmark::State& state) {
  const auto& all = items();
  for (auto _ : state) {
    const auto counts = smartFilterCounts(all, [](const Item& item) {
      return classifySmartFilter(item.type, item.filename, item.payload);
    });
    benchmark::DoNotOptimize(counts.size());
  }
}
BENCHMARK(countSmartFilters)->Unit(benchmark::kMillisecond);

void countTypesWithLinks(benchmark::State& state) {
  const auto& all = items();
  for (auto _ : state) {
    const auto counts = CardTypeFilter::counts(
        all, [](const Item& item) { return item.type; },
        [](const Item& item) { return isLink(item.payload); });
    benchmark::DoNotOptimize(counts.links);
  }
}
BENCHMARK(countTypesWithLinks)->Unit(benchmark::kMillisecond);

void applyLinks(benchmark::State& state) {
  const auto& all = items();
  const CardTypeFilter filter(CardTypeFilter::Selection::links());
  for (auto _ : state) {
    const auto kept = filter.apply(
        all, [](const Item& item) { return item.type; },
        [](const Item& item) { return isLink(item.payload); });
    benchmark::DoNotOptimize(kept.size());
  }
}
BENCHMARK(applyLinks)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvo::bench
