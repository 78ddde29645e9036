#include "core/model/DuplicateMergeReport.hpp"

#include <limits>

namespace kelvo {
namespace {

// A sum that would not fit stays at the end of the range it ran past.
std::int64_t sum(const DuplicateMergeReport::Counts& counts) {
  std::int64_t total = 0;
  for (const auto& [name, count] : counts) {
    if (__builtin_add_overflow(total, count, &total)) {
      return count > 0 ? std::numeric_limits<std::int64_t>::max()
                       : std::numeric_limits<std::int64_t>::min();
    }
  }
  return total;
}

}  // namespace

std::int64_t DuplicateMergeReport::removedCount() const { return sum(removed); }

std::int64_t DuplicateMergeReport::indistinguishableCount() const { return sum(indistinguishable); }

std::int64_t DuplicateMergeReport::removedCount(std::string_view entityName) const {
  const auto found = removed.find(entityName);
  return found == removed.end() ? 0 : found->second;
}

}  // namespace kelvo
