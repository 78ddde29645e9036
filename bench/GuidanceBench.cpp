// The guidance rules that run often: the launch frame on every display refresh and the choice of
// a tip over the full home catalogue; and, for scale, a practice search (a one-card index built
// per query) and the listing of tutorials with clips over real files.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "core/guidance/HintDirector.hpp"
#include "core/guidance/LaunchChoreography.hpp"
#include "core/guidance/OnboardingPractice.hpp"
#include "core/guidance/TutorialLibrary.hpp"

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

void BM_PracticeResults(benchmark::State& state) {
  kelvo::OnboardingPractice practice;
  practice.saveExample();
  const char* queries[] = {"intro", "zoe rebr", "intro zebra"};
  const char* query = queries[state.range(0)];
  for (auto _ : state) benchmark::DoNotOptimize(practice.results(query));
  state.SetLabel(query);
}
BENCHMARK(BM_PracticeResults)->DenseRange(0, 2);

void BM_FeaturesWithClips(benchmark::State& state) {
  const auto folder = std::filesystem::temp_directory_path() / "kelvo-bench-tutorials";
  std::filesystem::create_directories(folder);
  for (const auto& feature : kelvo::TutorialCatalogue::touch()) {
    std::ofstream(folder / feature.clipFilename()) << "clip";
  }
  const kelvo::TutorialLibrary library([&](std::string_view name) {
    return std::optional(kelvo::URL::fileURL(folder / std::string(name)));
  });
  for (auto _ : state) benchmark::DoNotOptimize(library.featuresWithClips());
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_FeaturesWithClips);

}  // namespace
