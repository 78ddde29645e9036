#include "core/organisation/GroupableCard.hpp"
#include "platform/foundation/Hash.hpp"

#include <initializer_list>

namespace {

size_t hashOf(const std::optional<kelvo::UUID>& id) {
  return id ? std::hash<kelvo::UUID>{}(*id) : 0x51ed27;
}

size_t hashOf(const std::optional<kelvo::Date>& date) {
  return date ? std::hash<kelvo::Date>{}(*date) : 0x2b9c41;
}

}  // namespace

size_t std::hash<kelvo::GroupableCard>::operator()(
    const kelvo::GroupableCard& card) const noexcept {
  size_t seed = 0;
  for (const size_t part : {
           std::hash<kelvo::UUID>{}(card.id),
           std::hash<int>{}(static_cast<int>(card.type)),
           hashOf(card.shelfID),
           std::hash<std::string>{}(card.shelfName),
           std::hash<std::int64_t>{}(card.shelfSortIndex),
           hashOf(card.projectID),
           std::hash<std::string>{}(card.projectName),
           std::hash<std::int64_t>{}(card.projectSortIndex),
           std::hash<kelvo::Date>{}(card.createdAt),
           hashOf(card.lastUsedAt),
           std::hash<std::int64_t>{}(card.useCount),
       }) {
    kelvo::hashCombine(seed, part);
  }
  return seed;
}
