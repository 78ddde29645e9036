#include "core/search/CardSort.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/foundation/Localized.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

// What the sort orders first, read once per card so that comparisons never reach the cards'
// bodies: for `recentlyUsed` the group (used, last use not a number, never used) and the last
// use, later first; for `mostUsed` the use count, higher first.
struct Primary {
  std::int64_t group = 0;
  double lastUse = 0;
  std::uint32_t index = 0;
};

Primary primaryKey(CardSort sort, const SearchableCard& card, std::uint32_t index) {
  Primary key{0, 0, index};
  if (sort == CardSort::mostUsed) {
    key.group = ~card.useCount();  // higher counts first, without overflow
  } else if (sort == CardSort::recentlyUsed) {
    const auto& lastUsedAt = card.lastUsedAt();
    if (!lastUsedAt) {
      key.group = 2;
    } else if (std::isnan(lastUsedAt->timeIntervalSinceReferenceDate())) {
      key.group = 1;
    } else {
      key.lastUse = -lastUsedAt->timeIntervalSinceReferenceDate();
    }
  }
  return key;
}

bool primaryBefore(const Primary& a, const Primary& b) {
  if (a.group != b.group) return a.group < b.group;
  return a.lastUse < b.lastUse;
}

bool primaryTies(const Primary& a, const Primary& b) {
  return a.group == b.group && a.lastUse == b.lastUse;
}

// One entry of a run to order by title: the key's first eight bytes, big-endian, decide most
// comparisons without leaving the entry.
struct Titled {
  std::uint64_t prefix;
  std::uint32_t index;
  std::uint32_t key;
};

std::uint64_t keyPrefix(const std::string& key) {
  unsigned char bytes[8] = {};
  std::memcpy(bytes, key.data(), std::min<std::size_t>(key.size(), 8));
  std::uint64_t prefix = 0;
  for (const unsigned char byte : bytes) prefix = (prefix << 8) | byte;
  return prefix;
}

// Orders cards[run] by title, then identifier, stably. Each title's collation key is made once.
void sortByTitle(const std::vector<SearchableCard>& cards, Primary* first, Primary* last) {
  const auto size = static_cast<std::size_t>(last - first);
  std::vector<std::string> keys(size);
  std::vector<Titled> run(size);
  for (std::size_t i = 0; i < size; ++i) {
    if (i + 8 < size) cards[first[i + 8].index].prefetch();
    keys[i] = text::localizedCaseInsensitiveSortKey(cards[first[i].index].title());
    run[i] = {keyPrefix(keys[i]), first[i].index, static_cast<std::uint32_t>(i)};
  }
  std::stable_sort(run.begin(), run.end(), [&](const Titled& a, const Titled& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    const int titles = keys[a.key].compare(keys[b.key]);
    if (titles != 0) return titles < 0;
    return cards[a.index].id() < cards[b.index].id();
  });
  for (std::size_t i = 0; i < size; ++i) first[i].index = run[i].index;
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
  std::vector<Primary> order(cards.size());
  for (std::size_t i = 0; i < cards.size(); ++i) {
    if (i + 8 < cards.size()) cards[i + 8].prefetch();
    order[i] = primaryKey(sort, cards[i], static_cast<std::uint32_t>(i));
  }
  std::stable_sort(order.begin(), order.end(), primaryBefore);
  // Cards whose primary keys tie are ordered by title, then identifier.
  for (auto run = order.begin(); run != order.end();) {
    const auto end = std::find_if_not(run + 1, order.end(),
                                      [&](const Primary& key) { return primaryTies(key, *run); });
    if (end - run > 1) sortByTitle(cards, &*run, &*run + (end - run));
    run = end;
  }
  std::vector<SearchableCard> result;
  result.reserve(cards.size());
  for (const Primary& key : order) result.push_back(std::move(cards[key.index]));
  return result;
}

}  // namespace kelvo
