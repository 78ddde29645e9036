#include "core/organisation/ShelfHierarchy.hpp"

#include "core/model/Shelf.hpp"
#include "platform/foundation/Text.hpp"

namespace kelvo::ShelfHierarchy {

bool areInIncreasingOrder(const Shelf& a, const Shelf& b) {
  const bool aIsDefault = a.isDefaultShelf();
  const bool bIsDefault = b.isDefaultShelf();
  if (aIsDefault != bIsDefault) return bIsDefault;
  const std::int64_t aIndex = a.sortIndex();
  const std::int64_t bIndex = b.sortIndex();
  if (aIndex != bIndex) return aIndex < bIndex;
  const auto byName = text::localizedCaseInsensitiveCompare(a.name(), b.name());
  if (byName != 0) return byName < 0;
  // Identifiers order by their bytes exactly as by their upper-case canonical texts.
  return a.id() < b.id();
}

}  // namespace kelvo::ShelfHierarchy
