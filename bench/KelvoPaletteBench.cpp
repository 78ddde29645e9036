// Colour resolution runs at draw time for every tile; the fetch list is built on each access.
#include <benchmark/benchmark.h>

#include "core/design/KelvoIcon.hpp"
#include "core/design/KelvoPalette.hpp"

namespace {

using namespace kelvo;

void BM_PaletteValueEveryTokenAndTheme(benchmark::State& state) {
  for (auto _ : state) {
    for (const KelvoTheme& theme : KelvoTheme::everyPlatform) {
      for (const KelvoColorToken token : allCases<KelvoColorToken>()) {
        benchmark::DoNotOptimize(KelvoPalette::value(token, theme, KelvoPaletteFamily::brand));
        benchmark::DoNotOptimize(KelvoPalette::value(token, theme, KelvoPaletteFamily::twoColour));
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * 8 * 63 * 2);
}
BENCHMARK(BM_PaletteValueEveryTokenAndTheme);

void BM_HexParseAndPrint(benchmark::State& state) {
  for (auto _ : state) {
    const auto colour = SRGB::fromHex("#E9E1D2");
    benchmark::DoNotOptimize(colour->hexString());
  }
}
BENCHMARK(BM_HexParseAndPrint);

void BM_IconFetchList(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(kelvoIconFetchList());
}
BENCHMARK(BM_IconFetchList);

void BM_IconFromRawValue(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(fromRawValue<KelvoIcon>("devices"));
}
BENCHMARK(BM_IconFromRawValue);

}  // namespace
