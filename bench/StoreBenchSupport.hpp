#pragma once
// What the store benchmarks share: the sizes they run at, a check of SQLite's results, and the
// timing of reading a whole table, and of letting go of what was read, on either side.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include <unistd.h>

namespace kelvo::bench {

/// 10,000 and 100,000 cards, and as many more as KELVO_BENCH_STORE_CARDS says (1000000 for the
/// large figures).
inline void storeSizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(10'000)->Arg(100'000);
  const char* given = std::getenv("KELVO_BENCH_STORE_CARDS");
  const long long extra = given != nullptr ? std::atoll(given) : 0;
  if (extra > 0) benchmark->Arg(extra);
}

/// A folder of this process's own for its store files, so that runs side by side (a build
/// before a change and after it) never share a file; it goes when the process ends.
inline const std::filesystem::path& benchFolder() {
  struct Folder {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("kelvo-bench-" + std::to_string(::getpid()));
    Folder() { std::filesystem::create_directories(path); }
    ~Folder() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  };
  static const Folder folder;
  return folder.path;
}

inline void check(int result, sqlite3* db) {
  if (result != SQLITE_OK && result != SQLITE_DONE && result != SQLITE_ROW) {
    throw std::runtime_error(sqlite3_errmsg(db));
  }
}

/// A raw connection that closes when it goes.
using Connection = std::unique_ptr<sqlite3, decltype(&sqlite3_close)>;

/// What a read holds afterwards: its rows, and what keeps them (a connection, a container; a
/// pointer, null when nothing does), which goes after them.
template <class Rows, class Keeper>
struct Held {
  Rows rows;
  Keeper keeper;
};

/// Times `read()`, which returns a `Held` of `state.range(0)` rows, and counts the heap it keeps
/// per row, as `heapBytes` tells it.
template <class Read>
void timeRead(benchmark::State& state, double (*heapBytes)(), Read read) {
  double held = 0;
  for (auto _ : state) {
    const double before = heapBytes();
    auto holding = read();
    held = heapBytes() - before;
    if (holding.rows.size() != static_cast<std::size_t>(state.range(0))) {
      state.SkipWithError("count");
    }
    benchmark::DoNotOptimize(holding.rows.data());
    state.PauseTiming();
    holding.rows = {};
    holding.keeper.reset();
    state.ResumeTiming();
  }
  state.counters["heldBytesPerCard"] = held / static_cast<double>(state.range(0));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

/// Times letting go of what `read()` returns (not timed): the rows, then what keeps them.
template <class Read>
void timeRelease(benchmark::State& state, Read read) {
  for (auto _ : state) {
    state.PauseTiming();
    auto holding = read();
    state.ResumeTiming();
    holding.rows = {};
    holding.keeper.reset();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace kelvo::bench
