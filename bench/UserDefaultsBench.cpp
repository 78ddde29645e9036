// Settings written to one suite's file: many changes and then one synchronize(), and a
// synchronize() after each change. Every change rewrites the file (a write, two fsyncs and a
// rename), so wall time is mostly the disk's; CPU time (user and system) is the suite's own
// work. Each pass starts from an empty folder under the system's temporary folder.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/foundation/UserDefaults.hpp"

namespace {

namespace fs = std::filesystem;

fs::path freshFolder() {
  const fs::path folder =
      fs::temp_directory_path() / ("kelvo-bench-settings-" + std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

void writeSettings(benchmark::State& state, bool synchronizeEach) {
  const auto count = state.range(0);
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path folder = freshFolder();
    state.ResumeTiming();
    {
      kelvo::UserDefaults defaults(folder / "defaults.json");
      for (std::int64_t i = 0; i < count; ++i) {
        defaults.set("key." + std::to_string(i), i);
        if (synchronizeEach && !defaults.synchronize()) state.SkipWithError("a write failed");
      }
      if (!defaults.synchronize()) state.SkipWithError("a write failed");
    }
    state.PauseTiming();
    fs::remove_all(folder);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * count);
}

void BM_SetThenSynchronize(benchmark::State& state) { writeSettings(state, false); }
BENCHMARK(BM_SetThenSynchronize)->Arg(10'000)->Iterations(1)->Unit(benchmark::kSecond);

void BM_SetAndSynchronizeEach(benchmark::State& state) { writeSettings(state, true); }
BENCHMARK(BM_SetAndSynchronizeEach)->Arg(10)->Arg(1'000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
