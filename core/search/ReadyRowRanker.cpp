#include "core/search/ReadyRowRanker.hpp"

#include <algorithm>
#include <cmath>

#include "platform/foundation/Text.hpp"

namespace kelvo {
namespace {

bool sameApplication(const std::optional<std::string>& host,
                     std::optional<std::string_view> source) {
  if (!host || !source) return false;
  return *host == *source || text::canonicallyEqual(*host, *source);
}

}  // namespace

double ReadyRowRanker::score(const SearchableCard& card, const RankingContext& context) const {
  // A negative count is damage, not a record of use; taken as it is, it would make the
  // logarithm NaN and break the order.
  const double uses = static_cast<double>(std::max<std::int64_t>(card.useCount(), 0));
  const double use = std::log(uses + 1.0) + 1.0;

  double recency = 0.5;
  if (card.lastUsedAt()) {
    const double days = (context.now - *card.lastUsedAt()) / 86'400.0;
    // A last use later than now (or an unreadable date) counts as just used.
    recency = days >= 0 ? 0.5 + 1.5 * std::exp(-days / 7.0) : 2.0;
  }

  const double appMatch = sameApplication(context.hostApp, card.sourceApp()) ? 1.6 : 1.0;

  const bool workShelf = context.workShelfNames.contains(card.shelfName());
  double workFit;
  if (context.isWorkingHours()) {
    workFit = workShelf ? 1.35 : 0.9;
  } else {
    workFit = workShelf ? 0.85 : 1.15;
  }
  return use * recency * appMatch * workFit;
}

std::vector<SearchableCard> ReadyRowRanker::rank(std::span<const SearchableCard> cards,
                                                 const RankingContext& context,
                                                 std::int64_t limit) const {
  if (limit <= 0 || cards.empty()) return {};
  struct Scored {
    double score;
    std::size_t index;
  };
  std::vector<Scored> scored;
  scored.reserve(cards.size());
  // Each record lives in its own block: asking for a few ahead hides the wait for memory.
  constexpr std::size_t lookahead = 8;
  for (std::size_t i = 0; i < cards.size(); ++i) {
    if (i + lookahead < cards.size()) {
      cards[i + lookahead].prefetch();
    }
    scored.push_back({score(cards[i], context), i});
  }

  // The input position as the last key keeps equal cards in input order, as a stable sort.
  const auto before = [cards](const Scored& a, const Scored& b) {
    if (a.score != b.score) return a.score > b.score;
    const auto order = text::localizedCompare(cards[a.index].title(), cards[b.index].title());
    if (order != 0) return order < 0;
    return a.index < b.index;
  };
  const std::size_t count = std::min<std::size_t>(scored.size(), static_cast<std::uint64_t>(limit));
  std::partial_sort(scored.begin(), scored.begin() + static_cast<std::ptrdiff_t>(count),
                    scored.end(), before);

  std::vector<SearchableCard> ranked;
  ranked.reserve(count);
  for (std::size_t i = 0; i < count; ++i) ranked.push_back(cards[scored[i].index]);
  return ranked;
}

}  // namespace kelvo
