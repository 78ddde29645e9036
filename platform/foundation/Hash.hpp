#pragma once

// Hashing a value of several parts: each part's hash is folded into a seed in turn.
//
//   std::size_t seed = std::hash<std::string>{}(name);
//   kelvo::hashCombine(seed, std::hash<std::int64_t>{}(count));

#include <cstddef>

namespace kelvo {

/// Folds `value` into `seed`, so that the order of the parts counts.
inline void hashCombine(std::size_t& seed, std::size_t value) {
  seed ^= value + 0x9E3779B97F4A7C15ULL + (seed << 6) + (seed >> 2);
}

}  // namespace kelvo
