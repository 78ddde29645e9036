// Internal to core/search: include "core/search/SearchIndex.hpp" or
// "core/search/SemanticSearch.hpp" instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/foundation/Error.hpp"

namespace kelvo::search_internal {

/// A hash set of small numbers whose keys live elsewhere (a term's text, a card's
/// identifier): open addressing with linear probing, four bytes a bucket, no node per entry.
/// The owner passes each key's hash, a test whether a number holds the key, and, for growing,
/// the hash of any number stored.
class SearchIDBuckets {
 public:
  using ID = std::uint32_t;
  static constexpr ID largestID = 0xFFFFFFFDu;

  template <class Matches>
  std::optional<ID> find(std::size_t hash, Matches&& matches) const {
    if (buckets_.empty()) return std::nullopt;
    const std::uint32_t entry = buckets_[probe(hash, matches)];
    if (entry == empty) return std::nullopt;
    return entry - 1;
  }

  /// Adds `id`, whose key must not be present yet.
  template <class HashOf>
  void insert(std::size_t hash, ID id, HashOf&& hashOf) {
    if (id > largestID) fatal("SearchIDBuckets: number out of range");
    // Deleted buckets count as used, so every probe ends at an empty one.
    if ((used_ + 1) * 2 > buckets_.size()) rebuild(hashOf);
    const std::size_t mask = buckets_.size() - 1;
    std::size_t i = home(hash, mask);
    while (buckets_[i] != empty && buckets_[i] != deleted) i = (i + 1) & mask;
    if (buckets_[i] == empty) ++used_;
    buckets_[i] = id + 1;
    ++live_;
  }

  /// Removes the number holding the key; nothing when none does.
  template <class Matches>
  void erase(std::size_t hash, Matches&& matches) {
    if (buckets_.empty()) return;
    const std::size_t at = probe(hash, matches);
    if (buckets_[at] == empty) return;
    buckets_[at] = deleted;
    --live_;
  }

  std::size_t size() const { return live_; }
  std::size_t memoryUsage() const { return buckets_.capacity() * sizeof(std::uint32_t); }

 private:
  static constexpr std::uint32_t empty = 0;
  static constexpr std::uint32_t deleted = 0xFFFFFFFFu;

  // Where a key's probe starts. Hashes that run in sequence (identifiers numbered in order hash
  // to their numbers) would fill one long run of buckets, which every probe for a missing key
  // would walk: mixing the bits spreads them.
  static std::size_t home(std::size_t hash, std::size_t mask) {
    return static_cast<std::size_t>((std::uint64_t{hash} * 0x9E3779B97F4A7C15ULL) >> 32) & mask;
  }

  // The bucket holding the key, or the empty bucket that ends its probe.
  template <class Matches>
  std::size_t probe(std::size_t hash, Matches& matches) const {
    const std::size_t mask = buckets_.size() - 1;
    for (std::size_t i = home(hash, mask);; i = (i + 1) & mask) {
      const std::uint32_t entry = buckets_[i];
      if (entry == empty) return i;
      if (entry != deleted && matches(entry - 1)) return i;
    }
  }

  template <class HashOf>
  void rebuild(HashOf& hashOf) {
    std::size_t capacity = 16;
    while (capacity < (live_ + 1) * 4) capacity *= 2;
    std::vector<std::uint32_t> old(capacity, empty);
    old.swap(buckets_);
    const std::size_t mask = capacity - 1;
    for (const std::uint32_t entry : old) {
      if (entry == empty || entry == deleted) continue;
      std::size_t i = home(hashOf(entry - 1), mask);
      while (buckets_[i] != empty) i = (i + 1) & mask;
      buckets_[i] = entry;
    }
    used_ = live_;
  }

  std::vector<std::uint32_t> buckets_;
  std::size_t used_ = 0;  // live and deleted
  std::size_t live_ = 0;
};

}  // namespace kelvo::search_internal
