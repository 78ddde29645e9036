#include "core/organisation/ShelfHierarchy.hpp"

#include "core/model/Shelf.hpp"

namespace kelvo::ShelfHierarchy {

bool areInIncreasingOrder(const Shelf& a, const Shelf& b) {
  return Shelf::isSiblingOrderBefore(a, b);
}

}  // namespace kelvo::ShelfHierarchy
