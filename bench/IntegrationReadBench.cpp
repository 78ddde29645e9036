// Integration reads under a deadline beside std::async with future::wait_for, the threads left
// behind after many reads, and the wording and naming rules the integration screens call in bulk.
#include <benchmark/benchmark.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "core/agenda/IntegrationPermissionCopy.hpp"
#include "core/agenda/IntegrationRead.hpp"
#include "core/agenda/PhotoImport.hpp"

namespace {

using namespace std::chrono_literals;

int immediate(std::stop_token) { return 42; }

int untilStopped(std::stop_token stop) {
  std::mutex mutex;
  std::condition_variable_any wake;
  std::unique_lock lock(mutex);
  wake.wait(lock, stop, [] { return false; });
  return 0;
}

void BM_WithDeadlineImmediate(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvo::withDeadline<int>(kelvo::IntegrationRead::deadline, immediate));
  }
}
BENCHMARK(BM_WithDeadlineImmediate)->UseRealTime();

void BM_AsyncWaitForImmediate(benchmark::State& state) {
  for (auto _ : state) {
    auto future = std::async(std::launch::async, immediate, std::stop_token());
    if (future.wait_for(12s) == std::future_status::ready) benchmark::DoNotOptimize(future.get());
  }
}
BENCHMARK(BM_AsyncWaitForImmediate)->UseRealTime();

long threadCount() {
  long count = 0;
  for ([[maybe_unused]] const auto& entry :
       std::filesystem::directory_iterator("/proc/self/task")) {
    ++count;
  }
  return count;
}

// Threads alive once 1,000 reads have returned and their operations have had 2 s to end.
void threadsAfter(benchmark::State& state, double deadline, int (*operation)(std::stop_token)) {
  for (auto _ : state) {
    const long before = threadCount();
    for (int i = 0; i < 1'000; ++i)
      benchmark::DoNotOptimize(kelvo::withDeadline<int>(deadline, operation));
    const auto waitUntil = std::chrono::steady_clock::now() + 2s;
    while (threadCount() > before && std::chrono::steady_clock::now() < waitUntil) {
      std::this_thread::sleep_for(1ms);
    }
    state.counters["before"] = static_cast<double>(before);
    state.counters["after"] = static_cast<double>(threadCount());
  }
}

void BM_ThreadsAfterImmediateReads(benchmark::State& state) { threadsAfter(state, 12, immediate); }
BENCHMARK(BM_ThreadsAfterImmediateReads)->Iterations(1)->UseRealTime();

void BM_ThreadsAfterTimedOutReads(benchmark::State& state) {
  threadsAfter(state, 0.0001, untilStopped);
}
BENCHMARK(BM_ThreadsAfterTimedOutReads)->Iterations(1)->UseRealTime();

void BM_CopyForEveryKindAndState(benchmark::State& state) {
  using Auth = kelvo::IntegrationAuthorization;
  const std::vector<Auth> states{Auth::unavailable("Server down"),
                                 Auth::notDetermined(),
                                 Auth::authorized(),
                                 Auth::limited(),
                                 Auth::denied(),
                                 Auth::restricted()};
  for (auto _ : state) {
    for (const auto kind : kelvo::allCases<kelvo::KelvoIntegrationKind>()) {
      for (const auto& authorization : states) {
        benchmark::DoNotOptimize(kelvo::IntegrationPermissionCopyBook::copy(kind, authorization));
      }
    }
  }
}
BENCHMARK(BM_CopyForEveryKindAndState);

void BM_FilenameForRecentItems(benchmark::State& state) {
  std::vector<kelvo::PhotoAssetSnapshot> snapshots;
  for (int i = 0; i < kelvo::PhotoImport::recentLimit; ++i) {
    snapshots.push_back({"item", kelvo::Date(8e8 + i * 3'600.0), i % 3 == 0, 1170, 2532,
                         i % 2 == 0 ? "HEIC" : " .jpeg"});
  }
  const auto zone = *kelvo::TimeZone::named("Europe/London");
  for (auto _ : state) {
    for (const auto& snapshot : snapshots) {
      benchmark::DoNotOptimize(kelvo::PhotoImport::filename(snapshot, kelvo::Date(), zone));
    }
  }
}
BENCHMARK(BM_FilenameForRecentItems);

}  // namespace
