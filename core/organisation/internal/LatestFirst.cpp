#include "core/organisation/internal/LatestFirst.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kelvo::organisation_internal {
namespace {

// Below this a comparison sort is quicker than eight counting passes.
constexpr std::size_t radixThreshold = 2'048;

struct Entry {
  std::uint64_t key;  // ascending key order is latest first
  std::uint32_t index;
};

// Orders as the instants do, reversed: NaN lowest, and the two zeros as one.
std::uint64_t descendingKey(double seconds) {
  if (std::isnan(seconds)) seconds = -std::numeric_limits<double>::infinity();
  const auto bits = std::bit_cast<std::uint64_t>(seconds + 0.0);
  constexpr std::uint64_t sign = std::uint64_t{1} << 63;
  const std::uint64_t ascending = (bits & sign) != 0 ? ~bits : bits | sign;
  return ~ascending;
}

// A stable least-significant-digit sort by key, one byte a pass.
void radixSort(std::vector<Entry>& entries) {
  std::vector<Entry> scratch(entries.size());
  for (int shift = 0; shift < 64; shift += 8) {
    std::array<std::size_t, 257> offsets{};
    for (const Entry& entry : entries) ++offsets[((entry.key >> shift) & 0xFF) + 1];
    if (offsets[((entries.front().key >> shift) & 0xFF) + 1] == entries.size()) continue;
    for (std::size_t digit = 1; digit < offsets.size(); ++digit) {
      offsets[digit] += offsets[digit - 1];
    }
    for (const Entry& entry : entries) scratch[offsets[(entry.key >> shift) & 0xFF]++] = entry;
    entries.swap(scratch);
  }
}

}  // namespace

std::vector<UUID> latestFirst(const Pile& pile) {
  std::vector<Entry> entries;
  entries.reserve(pile.size());
  for (std::size_t index = 0; index < pile.size(); ++index) {
    entries.push_back({descendingKey(pile[index].first), static_cast<std::uint32_t>(index)});
  }
  const auto before = [&](const Entry& a, const Entry& b) {
    if (a.key != b.key) return a.key < b.key;
    return pile[a.index].second < pile[b.index].second;
  };
  if (entries.size() < radixThreshold) {
    std::sort(entries.begin(), entries.end(), before);
  } else {
    radixSort(entries);
    // Equal instants, in runs, by identifier.
    for (auto run = entries.begin(); run != entries.end();) {
      const auto end = std::find_if(run, entries.end(),
                                    [&](const Entry& entry) { return entry.key != run->key; });
      if (end - run > 1) std::sort(run, end, before);
      run = end;
    }
  }
  std::vector<UUID> ids;
  ids.reserve(entries.size());
  for (const Entry& entry : entries) ids.push_back(pile[entry.index].second);
  return ids;
}

}  // namespace kelvo::organisation_internal
