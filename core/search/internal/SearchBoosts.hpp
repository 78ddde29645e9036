// Internal to core/search: include "core/search/SearchIndex.hpp" instead.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "platform/foundation/Date.hpp"

namespace kelvo::search_internal {

/// What scoring reads of each card, kept beside the slots so that scoring many candidates does
/// not chase every card's record: its use, clamped where the use boost stops growing, and its
/// last use.
class SearchBoosts {
 public:
  /// The most a card's use (1.5) and recency (1.3) can multiply its text score by.
  static constexpr double greatest = 1.5 * 1.3;
  /// Past this many uses the boost stays the same; the levels of use are 0 to this.
  static constexpr std::int64_t usesCounted = 25;

  SearchBoosts() = default;
  SearchBoosts(std::int64_t useCount, std::optional<Date> lastUsedAt)
      // A negative count is damage, not a record of use: it counts as no use.
      : lastUsed_(lastUsedAt.value_or(Date())),
        uses_(static_cast<std::uint8_t>(std::clamp<std::int64_t>(useCount, 0, usesCounted))),
        hasLastUse_(lastUsedAt.has_value()) {}

  double use() const { return useBoosts[uses_]; }
  /// The last use, or null for none. A pointer rather than an optional: building an optional
  /// from the two fields in the scoring loop stalls on the store it goes through.
  const Date* lastUsedAt() const { return hasLastUse_ ? &lastUsed_ : nullptr; }
  /// 1.3 for a use now or later, falling towards 1 with a half-life of about ten days; 1 for
  /// none.
  double recency(Date now) const {
    if (!hasLastUse_) return 1.0;
    const double days = (now - lastUsed_) / 86'400.0;
    return days >= 0 ? 1.0 + 0.3 * std::exp(-days / 14.0) : 1.3;
  }

  /// The use level, 0 to `usesCounted`: cards of one level share their use boost.
  std::uint8_t level() const { return uses_; }
  /// Orders cards of one level by recency at any moment, greatest first: the last use, where
  /// one that is not a number counts as in the future (its recency is 1.3), and none last.
  double recencyKey() const {
    if (!hasLastUse_) return -std::numeric_limits<double>::infinity();
    const double at = lastUsed_.timeIntervalSinceReferenceDate();
    return std::isnan(at) ? std::numeric_limits<double>::infinity() : at;
  }

 private:
  // Looked up rather than divided: scoring a prefix's cards boosts thousands of them.
  static constexpr auto useBoosts = [] {
    std::array<double, usesCounted + 1> boosts{};
    for (std::size_t uses = 0; uses < boosts.size(); ++uses) {
      boosts[uses] = 1.0 + std::min(static_cast<double>(uses) / 50.0, 0.5);
    }
    return boosts;
  }();
  Date lastUsed_;
  std::uint8_t uses_ = 0;
  bool hasLastUse_ = false;
};
static_assert(sizeof(SearchBoosts) == 16);

}  // namespace kelvo::search_internal
