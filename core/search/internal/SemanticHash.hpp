#pragma once

#include <cstddef>

namespace kelvo {

/// Folds `value` into `seed`, so that the order of the parts counts.
inline void hashMix(std::size_t& seed, std::size_t value) {
  seed ^= value + 0x9E3779B97F4A7C15ULL + (seed << 6) + (seed >> 2);
}

}  // namespace kelvo
