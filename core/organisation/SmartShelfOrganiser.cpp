#include "core/organisation/SmartShelfOrganiser.hpp"

#include <algorithm>
#include <limits>
#include <optional>

#include "core/model/SmartShelf.hpp"
#include "platform/data/Context.hpp"

namespace kelvo::SmartShelfOrganiser {
namespace {

std::int64_t nextSortIndex(data::Context& context) {
  std::optional<std::int64_t> largest;
  for (const auto& shelf : context.fetch(SmartShelf::fetchRequest())) {
    largest =
        std::max(largest.value_or(std::numeric_limits<std::int64_t>::min()), shelf->sortIndex());
  }
  if (!largest) return 0;
  return *largest == std::numeric_limits<std::int64_t>::max() ? *largest : *largest + 1;
}

}  // namespace

SmartShelfCreation create(std::string name, const SmartShelfCriteria& criteria,
                          data::Context& context, Date now) {
  const auto limit = static_cast<std::size_t>(SmartShelf::maximumCount);
  if (context.count(SmartShelf::fetchRequest()) >= limit) {
    return ShelfRefusal::smartShelfCapReached(SmartShelf::maximumCount);
  }
  auto shelf =
      makeSmartShelf(UUID::random(), std::move(name), nextSortIndex(context), now, criteria);
  context.insert(shelf);
  return shelf;
}

std::variant<SavedSearch, ShelfRefusal> open(const SmartShelf& shelf) {
  if (auto search = definition(shelf)) return std::move(*search);
  return ShelfRefusal::criteriaAreUnreadable();
}

}  // namespace kelvo::SmartShelfOrganiser
