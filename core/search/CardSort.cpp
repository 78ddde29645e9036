#include "core/search/CardSort.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

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

// One entry of a run to order by title: the first twenty bytes of a collation key, read
// big-endian, which decide all but a few comparisons without leaving the entry.
struct Titled {
  std::uint64_t high;
  std::uint64_t middle;
  std::uint32_t low;
  std::uint32_t index;
};

// Entries that tie keep their order in the run, where indices ascend: a plain sort with the
// index last is then as stable as a stable one, and quicker.
bool prefixBefore(const Titled& a, const Titled& b) {
  if (a.high != b.high) return a.high < b.high;
  if (a.middle != b.middle) return a.middle < b.middle;
  return a.low != b.low ? a.low < b.low : a.index < b.index;
}

bool prefixTies(const Titled& a, const Titled& b) {
  return a.high == b.high && a.middle == b.middle && a.low == b.low;
}

template <class Value>
Value bigEndian(const std::uint8_t* bytes) {
  Value value = 0;
  for (std::size_t i = 0; i < sizeof(Value); ++i) {
    value = static_cast<Value>((value << 8) | bytes[i]);
  }
  return value;
}

// Cards whose key prefixes tie, ordered by whole keys and then identifiers, stably.
void sortTies(const std::vector<SearchableCard>& cards, Titled* first, Titled* last) {
  struct Keyed {
    std::string key;
    std::uint32_t index;
  };
  std::vector<Keyed> run;
  run.reserve(static_cast<std::size_t>(last - first));
  for (const Titled* entry = first; entry != last; ++entry) {
    run.push_back(
        {text::localizedCaseInsensitiveSortKey(cards[entry->index].title()), entry->index});
  }
  std::stable_sort(run.begin(), run.end(), [&](const Keyed& a, const Keyed& b) {
    const int titles = a.key.compare(b.key);
    if (titles != 0) return titles < 0;
    return cards[a.index].id() < cards[b.index].id();
  });
  for (const Keyed& keyed : run) (first++)->index = keyed.index;
}

// How many cards ahead the loop below asks for a card's body, and for its title's bytes.
constexpr std::size_t bodyDistance = 16;
constexpr std::size_t titleDistance = 8;

// Orders cards[run] by title, then identifier, stably. Each title gets a short key prefix,
// which is quick to make from its first characters; only cards whose prefixes tie get whole
// keys.
void sortByTitle(const std::vector<SearchableCard>& cards, Primary* first, Primary* last) {
  const auto size = static_cast<std::size_t>(last - first);
  std::vector<Titled> run(size);
  for (std::size_t i = 0; i < size; ++i) {
    if (i + bodyDistance < size) cards[first[i + bodyDistance].index].prefetch();
    if (i + titleDistance < size) {
      __builtin_prefetch(cards[first[i + titleDistance].index].title().data());
    }
    std::uint8_t prefix[20];
    text::localizedCaseInsensitiveSortKeyPrefix(cards[first[i].index].title(), prefix);
    run[i] = {bigEndian<std::uint64_t>(prefix), bigEndian<std::uint64_t>(prefix + 8),
              bigEndian<std::uint32_t>(prefix + 16), first[i].index};
  }
  std::sort(run.begin(), run.end(), prefixBefore);
  for (auto tie = run.begin(); tie != run.end();) {
    const auto end = std::find_if_not(tie + 1, run.end(),
                                      [&](const Titled& entry) { return prefixTies(entry, *tie); });
    if (end - tie > 1) sortTies(cards, &*tie, &*tie + (end - tie));
    tie = end;
  }
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
