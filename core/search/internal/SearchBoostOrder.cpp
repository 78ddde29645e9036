#include "core/search/internal/SearchBoostOrder.hpp"

#include <algorithm>

namespace kelvo::search_internal {
namespace {

// Waiting slots are merged into the levels once they pass this share of the levels' slots, and
// this many at least: each merge copies every level, and each walk reads the waiting ones.
constexpr std::size_t fewestMerged = 4'096;
constexpr std::size_t mergedShare = 256;

// Whether slot `a` comes before `b`: by level, then by recency, greatest first, then by slot.
auto orderOf(std::span<const SearchBoosts> boosts) {
  return [boosts](SearchTermTable::Slot a, SearchTermTable::Slot b) {
    const SearchBoosts& x = boosts[a];
    const SearchBoosts& y = boosts[b];
    if (x.level() != y.level()) return x.level() < y.level();
    if (x.recencyKey() != y.recencyKey()) return x.recencyKey() > y.recencyKey();
    return a < b;
  };
}

}  // namespace

void SearchBoostOrder::settle(std::span<const SearchBoosts> boosts) {
  if (sorted_ < waiting_.size()) {
    // Sorted by keys taken out first: a batch of a whole library sorts without chasing each
    // slot's boosts at every comparison.
    struct Keyed {
      std::uint8_t level;
      double recency;
      Slot slot;
    };
    const auto middle = waiting_.begin() + static_cast<std::ptrdiff_t>(sorted_);
    std::vector<Keyed> keyed;
    keyed.reserve(static_cast<std::size_t>(waiting_.end() - middle));
    for (auto slot = middle; slot != waiting_.end(); ++slot) {
      keyed.push_back({boosts[*slot].level(), boosts[*slot].recencyKey(), *slot});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
      if (a.level != b.level) return a.level < b.level;
      if (a.recency != b.recency) return a.recency > b.recency;
      return a.slot < b.slot;
    });
    for (std::size_t i = 0; i < keyed.size(); ++i)
      middle[static_cast<std::ptrdiff_t>(i)] = keyed[i].slot;
    std::inplace_merge(waiting_.begin(), middle, waiting_.end(), orderOf(boosts));
    sorted_ = waiting_.size();
  }
  if (waiting_.size() > std::max(fewestMerged, levelled_ / mergedShare)) mergeWaiting(boosts);
}

void SearchBoostOrder::mergeWaiting(std::span<const SearchBoosts> boosts) {
  const auto before = orderOf(boosts);
  for (auto from = waiting_.begin(); from != waiting_.end();) {
    const std::uint8_t number = boosts[*from].level();
    auto to = from;
    while (to != waiting_.end() && boosts[*to].level() == number) ++to;
    std::vector<Slot>& level = levels_[number];
    // Each waiting slot finds its place by a binary search, so the level is read through once.
    std::vector<Slot> merged;
    merged.reserve(level.size() + static_cast<std::size_t>(to - from));
    auto kept = level.begin();
    for (auto slot = from; slot != to; ++slot) {
      const auto place = std::upper_bound(kept, level.end(), *slot, before);
      merged.insert(merged.end(), kept, place);
      merged.push_back(*slot);
      kept = place;
    }
    merged.insert(merged.end(), kept, level.end());
    levelled_ += static_cast<std::size_t>(to - from);
    level = std::move(merged);
    from = to;
  }
  waiting_.clear();
  waiting_.shrink_to_fit();
  sorted_ = 0;
}

void SearchBoostOrder::renumber(std::span<const Slot> newSlots) {
  const auto map = [&](std::vector<Slot>& slots) {
    std::size_t kept = 0;
    for (const Slot slot : slots) {
      if (newSlots[slot] != SearchTermTable::droppedSlot) slots[kept++] = newSlots[slot];
    }
    slots.resize(kept);
    return kept;
  };
  levelled_ = 0;
  for (std::vector<Slot>& level : levels_) levelled_ += map(level);
  // The waiting slots keep their order too; only how many of them were sorted is lost.
  const std::size_t sortedBefore = sorted_;
  std::size_t kept = 0;
  sorted_ = 0;
  for (std::size_t i = 0; i < waiting_.size(); ++i) {
    if (newSlots[waiting_[i]] == SearchTermTable::droppedSlot) continue;
    if (i < sortedBefore) ++sorted_;
    waiting_[kept++] = newSlots[waiting_[i]];
  }
  waiting_.resize(kept);
}

std::size_t SearchBoostOrder::memoryUsage() const {
  std::size_t slots = waiting_.capacity();
  for (const auto& level : levels_) slots += level.capacity();
  return slots * sizeof(Slot);
}

SearchBoostOrder::Walk::Walk(const SearchBoostOrder& order, std::span<const SearchBoosts> boosts,
                             Date now)
    : boosts_(boosts), now_(now) {
  heap_.reserve(2 * order.levels_.size());
  for (const auto& level : order.levels_) push(level.data(), level.data() + level.size());
  // The sorted waiting slots: one run per level.
  const Slot* at = order.waiting_.data();
  const Slot* const end = at + order.sorted_;
  while (at != end) {
    const std::uint8_t level = boosts_[*at].level();
    const Slot* to = at;
    while (to != end && boosts_[*to].level() == level) ++to;
    push(at, to);
    at = to;
  }
}

void SearchBoostOrder::Walk::push(const Slot* at, const Slot* end) {
  if (at == end) return;
  const SearchBoosts& boosts = boosts_[*at];
  heap_.push_back(Run{at, end, boosts.use() * boosts.recency(now_)});
  std::push_heap(heap_.begin(), heap_.end(),
                 [](const Run& a, const Run& b) { return a.head < b.head; });
}

bool SearchBoostOrder::Walk::next(Slot& slot, double& boost) {
  if (heap_.empty()) return false;
  const auto lower = [](const Run& a, const Run& b) { return a.head < b.head; };
  std::pop_heap(heap_.begin(), heap_.end(), lower);
  const Run run = heap_.back();
  heap_.pop_back();
  slot = *run.at;
  boost = run.head;
  push(run.at + 1, run.end);
  return true;
}

}  // namespace kelvo::search_internal
