#pragma once

#include "platform/data/ManagedObject.hpp"

namespace kelvo {

/// The managed object of a shelf: a named container of cards that may sit inside another shelf.
/// A shelf with no parent is a project. Like every managed object here it holds no state of its
/// own: its properties read and write the attributes and relationships of the "Shelf" entity.
class Shelf : public data::ManagedObject {
 public:
  using ManagedObject::ManagedObject;
};

}  // namespace kelvo
