#pragma once

namespace kelvo {
class Shelf;
}

/// The shelf tree as the library shows it.
namespace kelvo::ShelfHierarchy {

/// Whether `a` comes before `b` among siblings: the default shelf after the others, then the
/// smaller sort index, then the name compared without regard to case in the current locale,
/// then the identifier's text. Reads the attributes afresh and changes nothing. A shelf without
/// a stored identifier reads a fresh one at every read, so the order is only consistent among
/// shelves that have one; `Shelf::children` lists no other.
bool areInIncreasingOrder(const Shelf& a, const Shelf& b);

}  // namespace kelvo::ShelfHierarchy
