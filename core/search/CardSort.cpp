#include "core/search/CardSort.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

// The title-then-identifier order. Each title's collation key is made once, and only for the
// cards whose primary keys tie.
class TitleOrder {
 public:
  explicit TitleOrder(const std::vector<SearchableCard>& cards)
      : cards_(cards), keys_(cards.size()), made_(cards.size(), false) {}

  bool before(std::size_t a, std::size_t b) {
    const int titles = key(a).compare(key(b));
    if (titles != 0) return titles < 0;
    return cards_[a].id() < cards_[b].id();
  }

 private:
  const std::string& key(std::size_t i) {
    if (!made_[i]) {
      keys_[i] = text::localizedCaseInsensitiveSortKey(cards_[i].title());
      made_[i] = true;
    }
    return keys_[i];
  }

  const std::vector<SearchableCard>& cards_;
  std::vector<std::string> keys_;
  std::vector<bool> made_;
};

// Used cards, then those whose last use is not a number, then cards never used.
int recencyGroup(const SearchableCard& card) {
  const auto& lastUsedAt = card.lastUsedAt();
  if (!lastUsedAt) return 2;
  return std::isnan(lastUsedAt->timeIntervalSinceReferenceDate()) ? 1 : 0;
}

// -1 when a comes first, 1 when b does, 0 when the primary keys tie.
int comparePrimary(CardSort sort, const SearchableCard& a, const SearchableCard& b) {
  if (sort == CardSort::mostUsed) {
    if (a.useCount() != b.useCount()) return a.useCount() > b.useCount() ? -1 : 1;
    return 0;
  }
  if (sort == CardSort::recentlyUsed) {
    const int groupA = recencyGroup(a);
    const int groupB = recencyGroup(b);
    if (groupA != groupB) return groupA < groupB ? -1 : 1;
    if (groupA == 0 && *a.lastUsedAt() != *b.lastUsedAt()) {
      return *a.lastUsedAt() > *b.lastUsedAt() ? -1 : 1;
    }
  }
  return 0;
}

}  // namespace

std::string name(CardSort sort) {
  switch (sort) {
    case CardSort::relevance:
      return localized("Best match");
    case CardSort::recentlyUsed:
      return localized("Recently used");
    case CardSort::mostUsed:
      return localized("Most used");
    case CardSort::title:
      return localized("Title");
  }
  return {};
}

std::vector<SearchableCard> sorted(CardSort sort, std::vector<SearchableCard> cards) {
  if (sort == CardSort::relevance) return cards;
  std::vector<std::size_t> order(cards.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  TitleOrder titles(cards);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const int primary = comparePrimary(sort, cards[a], cards[b]);
    return primary != 0 ? primary < 0 : titles.before(a, b);
  });
  std::vector<SearchableCard> result;
  result.reserve(cards.size());
  for (const std::size_t i : order) result.push_back(std::move(cards[i]));
  return result;
}

}  // namespace kelvo
