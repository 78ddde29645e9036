#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <vector>

namespace kelvo::bench {

/// The sample at `fraction` (0.5 the median, 0.95 the 95th percentile) of timings taken one by
/// one; 0 without samples.
inline double percentile(std::vector<double> samples, double fraction) {
  if (samples.empty()) return 0;
  const auto at = static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1));
  std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(at),
                   samples.end());
  return samples[at];
}

/// Times each iteration's `run` on its own, so the counters give the median, 95th and 99th
/// percentiles of single runs rather than of batches; returns the timings in microseconds.
template <class Run>
std::vector<double> timeEach(benchmark::State& state, Run run) {
  std::vector<double> micros;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    run();
    const auto end = std::chrono::steady_clock::now();
    micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
  }
  state.counters["p50_us"] = percentile(micros, 0.5);
  state.counters["p95_us"] = percentile(micros, 0.95);
  state.counters["p99_us"] = percentile(micros, 0.99);
  return micros;
}

}  // namespace kelvo::bench
