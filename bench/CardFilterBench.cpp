// Predicates, sorts and the saved-search form over the synthetic library (100,000 cards), one
// text card in twenty given a `{name}` blank.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "bench/SyntheticLibrary.hpp"
#include "core/search/CardFilterPresets.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo::bench {
namespace {

const std::vector<SearchableCard>& cardsWithBlanks() {
  static const std::vector<SearchableCard> cards = [] {
    std::vector<SearchableCard> result = syntheticLibrary().cards;
    for (std::size_t i = 0; i < result.size(); i += 20) {
      const SearchableCard& c = result[i];
      if (c.type() != CardType::text) continue;
      result[i] =
          SearchableCard(c.id(), c.type(), c.title(), std::string(c.content()) + " Dear {name},",
                         c.extractedText(), tagsOf(c), c.shelfName(), c.projectName(),
                         c.factLabel(), c.sourceApp(), c.useCount(), c.lastUsedAt());
    }
    return result;
  }();
  return cards;
}

void filterNeedsAttention(benchmark::State& state) {
  const auto& cards = cardsWithBlanks();
  const auto predicate = CardFilterPresets::needsAttention(state.range(0)).predicate();
  for (auto _ : state) {
    benchmark::DoNotOptimize(predicate.filter(cards, syntheticLibrary().now).size());
  }
}
BENCHMARK(filterNeedsAttention)
    ->Arg(CardFilterPresets::staleDays)
    ->Arg(30)
    ->Unit(benchmark::kMillisecond);

// Fields only, and then a name compared through the collator for every card.
void countThreeLevels(benchmark::State& state) {
  using P = CardPredicate;
  const auto& cards = cardsWithBlanks();
  const P names(P::Or{{P::shelf("Work"), P::project("Clients")}});
  const P fields(P::Or{{P::usedWithin(7), P::neverUsed()}});
  const P predicate(P::And{{P(P::Or{{P::type(CardType::text), P::hasAttachment()}}),
                            P::stale(45).negated(), state.range(0) ? names : fields}});
  for (auto _ : state) {
    benchmark::DoNotOptimize(predicate.count(cards, syntheticLibrary().now));
  }
}
BENCHMARK(countThreeLevels)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same order with one collation per comparison, as a plain comparator would do it.
std::vector<SearchableCard> plainTitleSort(std::vector<SearchableCard> cards) {
  std::stable_sort(cards.begin(), cards.end(), [](const auto& a, const auto& b) {
    const auto titles = text::localizedCaseInsensitiveCompare(a.title(), b.title());
    return titles != 0 ? titles < 0 : a.id() < b.id();
  });
  return cards;
}

void sortCards(benchmark::State& state) {
  const auto sort = static_cast<CardSort>(state.range(0));
  const auto& cards = cardsWithBlanks();
  for (auto _ : state) benchmark::DoNotOptimize(sorted(sort, cards).size());
}
BENCHMARK(sortCards)
    ->Arg(static_cast<int>(CardSort::title))
    ->Arg(static_cast<int>(CardSort::recentlyUsed))
    ->Arg(static_cast<int>(CardSort::mostUsed))
    ->Unit(benchmark::kMillisecond);

void plainStableSortByTitle(benchmark::State& state) {
  if (plainTitleSort(cardsWithBlanks()) != sorted(CardSort::title, cardsWithBlanks())) {
    state.SkipWithError("the two title orders differ");
    return;
  }
  for (auto _ : state) benchmark::DoNotOptimize(plainTitleSort(cardsWithBlanks()).size());
}
BENCHMARK(plainStableSortByTitle)->Unit(benchmark::kMillisecond);

SavedSearch fiveLevels() {
  using P = CardPredicate;
  const P leaf = P::shelf("Clients/2024").and_(P::stale(90));
  const P three(P::Or{{leaf, P::type(CardType::document), P::usedWithin(7)}});
  const P four = three.and_(P::hasUnfilledFields().negated());
  const P five(P::Or{{four, P::neverUsed(), P::project("Acme")}});
  return SavedSearch(UUID::random(), "Deep", "paid invoice", five, CardSort::title,
                     KelvoIcon::warning);
}

void encodeSavedSearch(benchmark::State& state) {
  const SavedSearch search = fiveLevels();
  for (auto _ : state) benchmark::DoNotOptimize(search.encoded());
}
BENCHMARK(encodeSavedSearch);

void decodeSavedSearch(benchmark::State& state) {
  const std::string text = fiveLevels().encoded();
  for (auto _ : state) benchmark::DoNotOptimize(SavedSearch::decoded(text));
}
BENCHMARK(decodeSavedSearch);

}  // namespace
}  // namespace kelvo::bench
