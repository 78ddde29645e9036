// The guidance rules that run often: the launch frame on every display refresh and the choice of
// a tip over the full home catalogue.
#include <benchmark/benchmark.h>

#include "core/guidance/HintDirector.hpp"
#include "core/guidance/LaunchChoreography.hpp"

namespace {

void BM_LaunchFrame(benchmark::State& state) {
  const std::optional<double> ready =
      state.range(0) ? std::optional<double>(0.9) : std::optional<double>();
  double t = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvo::LaunchChoreography::frame(t, ready, false));
    t = t > 3.5 ? 0 : t + 1.0 / 120;
  }
}
BENCHMARK(BM_LaunchFrame)->Arg(0)->Arg(1);

void BM_HintOnHome(benchmark::State& state) {
  using kelvo::HintAction;
  // Every home tip's action is available but only the last one qualifies, so all six are tried.
  const kelvo::HintState library{
      .cardCount = 12,
      .pinnedCount = 1,
      .templateCount = 1,
      .reminderCount = 1,
      .shelfCount = 1,
      .availableActions = {HintAction::keepTextCard, HintAction::pinFromCardMenu,
                           HintAction::openAgenda, HintAction::openFillAForm, HintAction::search,
                           HintAction::openShelves}};
  const kelvo::HintDirector director;
  const kelvo::HintDismissals dismissed{kelvo::HintID::doneKeepsTheCard};
  for (auto _ : state) {
    benchmark::DoNotOptimize(director.hint(kelvo::HintScreen::home, library, dismissed,
                                           kelvo::HintSuppression::none(), 30,
                                           kelvo::Date(700'000'000)));
  }
}
BENCHMARK(BM_HintOnHome);

}  // namespace
