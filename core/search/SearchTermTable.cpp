#include "core/search/SearchTermTable.hpp"

#include <algorithm>
#include <functional>

#include "platform/foundation/Error.hpp"

namespace kelvo {
namespace {

// Past this many changes a refresh rebuilds the list in one pass instead of editing it.
constexpr std::size_t editInPlaceLimit = 16;

std::size_t hashOf(std::string_view term) { return std::hash<std::string_view>{}(term); }

}  // namespace

std::size_t SearchTermTable::bucketOf(std::string_view term, std::size_t hash) const {
  const std::size_t mask = buckets_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const std::uint32_t entry = buckets_[i];
    if (entry == emptyBucket) return i;
    if (entry == deletedBucket) continue;
    const Term& candidate = terms_[entry - 1];
    if (candidate.hash == hash && candidate.text == term) return i;
  }
}

std::optional<SearchTermTable::TermID> SearchTermTable::find(std::string_view term) const {
  if (buckets_.empty()) return std::nullopt;
  const std::uint32_t entry = buckets_[bucketOf(term, hashOf(term))];
  if (entry == emptyBucket) return std::nullopt;
  return entry - 1;
}

SearchTermTable::TermID SearchTermTable::intern(std::string_view term) {
  // Deleted buckets count as used, so probing always ends at an empty one.
  if ((usedBuckets_ + 1) * 2 > buckets_.size()) growBuckets();
  const std::size_t hash = hashOf(term);
  const std::size_t mask = buckets_.size() - 1;
  std::size_t reusable = buckets_.size();
  std::size_t i = hash & mask;
  for (;; i = (i + 1) & mask) {
    const std::uint32_t entry = buckets_[i];
    if (entry == emptyBucket) break;
    if (entry == deletedBucket) {
      if (reusable == buckets_.size()) reusable = i;
      continue;
    }
    const Term& candidate = terms_[entry - 1];
    if (candidate.hash == hash && candidate.text == term) return entry - 1;
  }

  TermID id;
  if (!free_.empty()) {
    id = free_.back();
    free_.pop_back();
  } else {
    if (terms_.size() >= deletedBucket - 1) fatal("SearchTermTable ran out of term numbers");
    id = static_cast<TermID>(terms_.size());
    terms_.emplace_back();
  }
  Term& created = terms_[id];
  created.text.assign(term);
  created.postings.clear();
  created.hash = hash;
  created.live = true;
  created.listed = false;
  if (reusable != buckets_.size()) {
    i = reusable;
  } else {
    ++usedBuckets_;
  }
  buckets_[i] = id + 1;
  ++liveCount_;
  added_.push_back(id);
  return id;
}

void SearchTermTable::growBuckets() {
  std::size_t capacity = 16;
  while (capacity < (liveCount_ + 1) * 4) capacity *= 2;
  buckets_.assign(capacity, emptyBucket);
  usedBuckets_ = liveCount_;
  const std::size_t mask = capacity - 1;
  for (TermID id = 0; id < terms_.size(); ++id) {
    if (!terms_[id].live) continue;
    std::size_t i = terms_[id].hash & mask;
    while (buckets_[i] != emptyBucket) i = (i + 1) & mask;
    buckets_[i] = id + 1;
  }
}

void SearchTermTable::add(TermID id, Slot slot, unsigned fields) {
  auto& postings = terms_[id].postings;
  const Posting entry = posting(slot, fields);
  if (postings.empty() || slotOf(postings.back()) < slot) {
    postings.push_back(entry);
  } else {
    postings.insert(std::lower_bound(postings.begin(), postings.end(), entry), entry);
  }
}

void SearchTermTable::remove(TermID id, Slot slot) {
  auto& postings = terms_[id].postings;
  const auto at = std::lower_bound(postings.begin(), postings.end(), posting(slot, 0));
  if (at == postings.end() || slotOf(*at) != slot) return;
  postings.erase(at);
  if (postings.empty()) dropTerm(id);
}

void SearchTermTable::dropTerm(TermID id) {
  Term& term = terms_[id];
  buckets_[bucketOf(term.text, term.hash)] = deletedBucket;
  term.live = false;
  std::vector<Posting>().swap(term.postings);
  --liveCount_;
  // The text stays until the number is reused: the refresh finds the term by it.
  retired_.push_back(id);
}

void SearchTermTable::refreshSortedList() {
  if (added_.empty() && retired_.empty()) return;
  const auto textLess = [this](TermID a, TermID b) { return terms_[a].text < terms_[b].text; };

  if (retired_.size() <= editInPlaceLimit) {
    for (const TermID id : retired_) {
      if (!terms_[id].listed) continue;
      const auto at = std::lower_bound(sorted_.begin(), sorted_.end(), id, textLess);
      if (at != sorted_.end() && *at == id) sorted_.erase(at);
      terms_[id].listed = false;
    }
  } else {
    std::erase_if(sorted_, [this](TermID id) { return !terms_[id].live; });
    for (const TermID id : retired_) terms_[id].listed = false;
  }

  std::erase_if(added_, [this](TermID id) { return !terms_[id].live || terms_[id].listed; });
  std::sort(added_.begin(), added_.end(), textLess);
  if (added_.size() <= editInPlaceLimit) {
    for (const TermID id : added_) {
      sorted_.insert(std::upper_bound(sorted_.begin(), sorted_.end(), id, textLess), id);
    }
  } else {
    std::vector<TermID> merged;
    merged.reserve(sorted_.size() + added_.size());
    std::merge(sorted_.begin(), sorted_.end(), added_.begin(), added_.end(),
               std::back_inserter(merged), textLess);
    sorted_ = std::move(merged);
  }
  for (const TermID id : added_) terms_[id].listed = true;

  free_.insert(free_.end(), retired_.begin(), retired_.end());
  retired_.clear();
  added_.clear();
}

std::pair<std::size_t, std::size_t> SearchTermTable::prefixRange(std::string_view prefix) const {
  const auto first = std::lower_bound(
      sorted_.begin(), sorted_.end(), prefix,
      [this](TermID id, std::string_view value) { return terms_[id].text < value; });
  const auto last = std::partition_point(first, sorted_.end(), [this, prefix](TermID id) {
    return terms_[id].text.starts_with(prefix);
  });
  return {static_cast<std::size_t>(first - sorted_.begin()),
          static_cast<std::size_t>(last - sorted_.begin())};
}

std::size_t SearchTermTable::memoryUsage() const {
  std::size_t bytes =
      terms_.capacity() * sizeof(Term) + buckets_.capacity() * sizeof(std::uint32_t) +
      (free_.capacity() + retired_.capacity() + added_.capacity() + sorted_.capacity()) *
          sizeof(TermID);
  for (const Term& term : terms_) {
    if (term.text.capacity() > 15) bytes += term.text.capacity() + 1;
    bytes += term.postings.capacity() * sizeof(Posting);
  }
  return bytes;
}

}  // namespace kelvo
