// Whole fresh processes, one a pass: what a program pays from exec to exit.
//
// - BM_LanguageFirstUse runs bench_language_first_use (beside this program): its first lemma
//   and first neighbour look-up, timed inside the process, and the resident memory they add.
//   Give it the tables with KELVO_LANGUAGE_DATA.
// - BM_SettingsOnlyProgram runs the program KELVO_BENCH_SETTINGS_PROGRAM names, built from
//   bench/settings-consumer against an install: it links kelvo::core and opens a settings suite.
//
// - BM_StoreProgram runs the program KELVO_BENCH_STORE_PROGRAM names, built from
//   bench/store-consumer against an install: it opens a store of 100 cards and reads them.
//
// Counters are medians over the passes: wall and CPU time (user and system) of the process,
// its peak resident memory, and for the settings program its file size.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/Percentile.hpp"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Run {
  double wallMs = 0;
  double cpuMs = 0;
  double peakMB = 0;
  std::string output;
  bool succeeded = false;
};

double milliseconds(const timeval& time) { return time.tv_sec * 1e3 + time.tv_usec / 1e3; }

// Runs `program` with `arguments` and this process's environment, reading what it prints.
Run run(const fs::path& program, const std::vector<std::string>& arguments) {
  std::vector<std::string> words{program.string()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  int out[2];
  if (::pipe(out) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  Run result;
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  const int spawned = ::posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  char buffer[512];
  for (ssize_t got; spawned == 0 && (got = ::read(out[0], buffer, sizeof buffer)) > 0;) {
    result.output.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(out[0]);
  if (spawned != 0) return result;
  int status = 0;
  rusage usage{};
  if (::wait4(child, &status, 0, &usage) != child) return result;
  result.wallMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  result.cpuMs = milliseconds(usage.ru_utime) + milliseconds(usage.ru_stime);
  result.peakMB = static_cast<double>(usage.ru_maxrss) / 1e3;
  result.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return result;
}

// Runs the program once a pass and reports the medians of what each run measured, the process's
// own counters together with the numbers it printed as name=value.
void measure(benchmark::State& state, const fs::path& program,
             const std::vector<std::string>& arguments) {
  std::map<std::string, std::vector<double>> samples;
  for (auto _ : state) {
    const Run result = run(program, arguments);
    if (!result.succeeded)
      return state.SkipWithError(("could not run " + program.string()).c_str());
    state.SetIterationTime(result.wallMs / 1e3);
    samples["wall_ms"].push_back(result.wallMs);
    samples["cpu_ms"].push_back(result.cpuMs);
    samples["peak_MB"].push_back(result.peakMB);
    char name[64];
    double value = 0;
    int used = 0;
    for (const char* at = result.output.c_str();
         std::sscanf(at, " %63[^=]=%lf%n", name, &value, &used) == 2; at += used) {
      samples[name].push_back(value);
    }
  }
  for (const auto& [name, values] : samples) {
    state.counters[name] = kelvo::bench::percentile(values, 0.5);
  }
}

fs::path besideThisProgram(const char* name) {
  return fs::read_symlink("/proc/self/exe").parent_path() / name;
}

void BM_LanguageFirstUse(benchmark::State& state) {
  measure(state, besideThisProgram("bench_language_first_use"), {});
}
BENCHMARK(BM_LanguageFirstUse)->Iterations(41)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_SettingsOnlyProgram(benchmark::State& state) {
  const char* program = std::getenv("KELVO_BENCH_SETTINGS_PROGRAM");
  if (program == nullptr) return state.SkipWithError("KELVO_BENCH_SETTINGS_PROGRAM is not set");
  const fs::path settings = fs::temp_directory_path() / "kelvo-bench-settings-only.json";
  std::ofstream(settings) << R"({"appearance": "dark"})";
  measure(state, program, {settings.string()});
  state.counters["binary_KB"] = static_cast<double>(fs::file_size(program)) / 1e3;
  fs::remove(settings);
}
BENCHMARK(BM_SettingsOnlyProgram)->Iterations(101)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_StoreProgram(benchmark::State& state) {
  const char* program = std::getenv("KELVO_BENCH_STORE_PROGRAM");
  if (program == nullptr) return state.SkipWithError("KELVO_BENCH_STORE_PROGRAM is not set");
  const fs::path folder = fs::temp_directory_path() / "kelvo-bench-store-program";
  fs::remove_all(folder);
  fs::create_directories(folder);
  const fs::path store = folder / "Kelvo.store";
  // The first run makes the library; the measured ones read it.
  if (!run(program, {store.string()}).succeeded)
    return state.SkipWithError("could not make the library");
  measure(state, program, {store.string()});
  fs::remove_all(folder);
}
BENCHMARK(BM_StoreProgram)->Iterations(101)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
