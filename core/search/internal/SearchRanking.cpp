#include "core/search/internal/SearchRanking.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <string_view>

namespace kelvo::search_internal {

std::vector<SearchResult> SearchRanking::best(std::vector<Scored> scored, std::uint64_t limit,
                                              std::optional<Date> now) const {
  if (limit == 0) return {};
  keepThoseThatCanRank(scored, limit);
  applyBoosts(scored, now);
  return choose(scored, limit);
}

namespace {

bool higherScore(const SearchRanking::Scored& a, const SearchRanking::Scored& b) {
  return a.score > b.score;
}

// The `rank`-th greatest score (from 1). A few best of many are kept in a small heap, which
// most scores only need comparing with.
double scoreAtRank(std::vector<SearchRanking::Scored>& scored, std::size_t rank) {
  if (rank * 16 > scored.size()) {
    const auto at = scored.begin() + static_cast<std::ptrdiff_t>(rank - 1);
    std::nth_element(scored.begin(), at, scored.end(), higherScore);
    return at->score;
  }
  std::vector<double> best;
  best.reserve(rank);
  for (const auto& entry : scored) {
    if (best.size() < rank) {
      best.push_back(entry.score);
      std::push_heap(best.begin(), best.end(), std::greater<>());
    } else if (entry.score > best.front()) {
      std::pop_heap(best.begin(), best.end(), std::greater<>());
      best.back() = entry.score;
      std::push_heap(best.begin(), best.end(), std::greater<>());
    }
  }
  return best.front();
}

}  // namespace

// Whether at least `count` of the entries scoring `score` or more belong to cards still held.
bool SearchRanking::holdAtLeast(std::span<const Scored> scored, double score,
                                std::uint64_t count) const {
  std::uint64_t held = 0;
  for (const Scored& entry : scored) {
    if (entry.score >= score && index_.card(entry.slot) && ++held >= count) return true;
  }
  return false;
}

// Boosts only ever raise a score, by a bounded factor, so the `limit` best text scores set a
// floor under the final ones: a card whose text score times the greatest boost stays below
// the limit-th best text score can never rank, and need not be boosted. The floor holds while
// at least `limit` cards still held reach the score it came from; cards that left may stay
// above it, for `choose` to pass over. Otherwise it is found again among the cards held.
void SearchRanking::keepThoseThatCanRank(std::vector<Scored>& scored, std::uint64_t limit) const {
  if (scored.size() > limit) {
    const double kth = scoreAtRank(scored, static_cast<std::size_t>(limit));
    if (holdAtLeast(scored, kth, limit)) {
      // The bound leaves room for rounding in the products of the boosts.
      const double floor = kth / (SearchIndexImpl::greatestBoost * (1 + 1e-9));
      std::erase_if(scored, [floor](const Scored& entry) { return entry.score < floor; });
      return;
    }
  }
  std::erase_if(scored, [this](const Scored& entry) { return !index_.card(entry.slot); });
  if (scored.size() <= limit) return;
  const double kth = scoreAtRank(scored, static_cast<std::size_t>(limit));
  const double floor = kth / (SearchIndexImpl::greatestBoost * (1 + 1e-9));
  std::erase_if(scored, [floor](const Scored& entry) { return entry.score < floor; });
}

// `now` is read once, when the first card with a last use needs it, unless given.
void SearchRanking::applyBoosts(std::vector<Scored>& scored, std::optional<Date> now) const {
  constexpr std::size_t ahead = 16;
  for (std::size_t i = 0; i < scored.size(); ++i) {
    // The boosts of cards far apart: fetched ahead, so that their misses overlap.
    if (i + ahead < scored.size()) __builtin_prefetch(&index_.boosts(scored[i + ahead].slot));
    Scored& entry = scored[i];
    const SearchIndexImpl::Boosts& boosts = index_.boosts(entry.slot);
    double recencyBoost = 1.0;
    if (boosts.lastUsedAt() != nullptr) {
      if (!now) now = index_.clock().now();
      recencyBoost = boosts.recency(*now);
    }
    entry.score = entry.score * boosts.use() * recencyBoost;
  }
}

// A card in the running with the title it ties by, read once.
struct SearchRanking::Ranked {
  double score;
  SearchIndexImpl::Slot slot;
  std::uint8_t fields;
  std::string_view title;
};

// The titles of many cards, each in its own record: the records are fetched a few cards ahead,
// so that their misses overlap rather than follow one another.
std::vector<SearchRanking::Ranked> SearchRanking::withTitles(std::span<const Scored> scored) const {
  constexpr std::size_t ahead = 8;
  const auto record = [this, scored](std::size_t i) -> const std::optional<SearchableCard>& {
    return index_.card(scored[i].slot);
  };
  std::vector<Ranked> ranked;
  ranked.reserve(scored.size());
  for (std::size_t i = 0; i < scored.size(); ++i) {
    if (i + 2 * ahead < scored.size()) __builtin_prefetch(&record(i + 2 * ahead));
    if (i + ahead < scored.size()) record(i + ahead)->prefetch();
    ranked.push_back(Ranked{scored[i].score, scored[i].slot, scored[i].fields,
                            index_.orderTitle(scored[i].slot)});
  }
  return ranked;
}

// The best `limit` by score, then title, then slot. Scores alone settle most places: only the
// cards tied with the last place taken need their titles to choose among them.
std::vector<SearchResult> SearchRanking::choose(std::vector<Scored>& scored,
                                                std::uint64_t limit) const {
  std::size_t count = 0;
  auto contenders = scored.end();
  // Cards that left may still be among the entries: those that would rank are dropped, and
  // the places chosen again.
  for (;;) {
    count = std::min<std::size_t>(scored.size(), limit);
    if (count == 0) return {};
    contenders = scored.end();
    if (count < scored.size()) {
      const auto last = scored.begin() + static_cast<std::ptrdiff_t>(count - 1);
      std::nth_element(scored.begin(), last, scored.end(), higherScore);
      const double lastScore = last->score;
      contenders = std::partition(last + 1, scored.end(), [lastScore](const Scored& entry) {
        return entry.score == lastScore;
      });
    }
    const auto firstLeft = std::remove_if(scored.begin(), contenders, [this](const Scored& entry) {
      return !index_.card(entry.slot);
    });
    if (firstLeft == contenders) break;
    scored.erase(firstLeft, contenders);
  }
  std::vector<Ranked> ranked = withTitles(std::span<const Scored>(scored.begin(), contenders));
  const auto better = [](const Ranked& a, const Ranked& b) {
    if (a.score != b.score) return a.score > b.score;
    const int order = a.title.compare(b.title);
    if (order != 0) return order < 0;
    return a.slot < b.slot;
  };
  std::partial_sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(count),
                    ranked.end(), better);

  std::vector<SearchResult> results;
  results.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    SearchFields matched;
    for (unsigned bit = 0; bit < 6; ++bit) {
      if ((ranked[i].fields >> bit & 1u) != 0) {
        matched.insert(matched.end(), static_cast<SearchField>(bit));
      }
    }
    results.push_back(
        SearchResult{*index_.card(ranked[i].slot), ranked[i].score, std::move(matched)});
  }
  return results;
}

}  // namespace kelvo::search_internal
