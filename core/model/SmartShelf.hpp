#pragma once

#include "core/model/ManagedObjectValues.hpp"
#include "platform/data/ManagedObject.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// The managed object of a smart shelf: a saved search kept with its criteria document. Its
/// rules belong to search; the model names the class.
class SmartShelf : public data::ManagedObject {
 public:
  using ManagedObject::ManagedObject;

  /// The "id" attribute; a fresh identifier at every read when none is stored.
  UUID id() const { return storedIdentifier(*this); }
  void setID(const UUID& id) { storeIdentifier(*this, id); }
};

}  // namespace kelvo
