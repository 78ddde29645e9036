#pragma once

namespace kelvo {
class Shelf;
}

/// The shelf tree as the library shows it.
namespace kelvo::ShelfHierarchy {

/// Whether `a` comes before `b` among siblings, as the model orders them
/// (`Shelf::isSiblingOrderBefore`).
bool areInIncreasingOrder(const Shelf& a, const Shelf& b);

}  // namespace kelvo::ShelfHierarchy
