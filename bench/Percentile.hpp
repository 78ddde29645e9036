#pragma once

#include <algorithm>
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

}  // namespace kelvo::bench
