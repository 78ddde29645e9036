#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/model/CardType.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// One card of a grouped view, flattened by the host from its store. The shelf fields and the
/// use count serve the host's other views; no grouping reads them. Fields may be named, and
/// those left out take the value shown.
struct GroupableCard {
  UUID id{};
  CardType type = CardType::text;
  std::optional<UUID> shelfID{};
  std::string shelfName{};
  std::int64_t shelfSortIndex = 0;
  /// The project (top-level shelf); none for an unsorted card.
  std::optional<UUID> projectID{};
  std::string projectName{};
  std::int64_t projectSortIndex = 0;
  Date createdAt{};
  /// None when never used.
  std::optional<Date> lastUsedAt{};
  std::int64_t useCount = 0;

  /// The last use, or the keeping for a card never used.
  Date lastTouchedAt() const { return lastUsedAt.value_or(createdAt); }

  friend bool operator==(const GroupableCard&, const GroupableCard&) = default;
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::GroupableCard> {
  size_t operator()(const kelvo::GroupableCard& card) const noexcept;
};
