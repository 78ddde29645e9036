#pragma once

#include "core/model/ManagedObjectValues.hpp"
#include "platform/data/ManagedObject.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// The managed object of a reminder on a card, which it names by "cardID" rather than by a
/// relationship. Its rules belong to the agenda; the model names the class.
class CardReminder : public data::ManagedObject {
 public:
  using ManagedObject::ManagedObject;

  /// The "id" attribute; a fresh identifier at every read when none is stored.
  UUID id() const { return storedIdentifier(*this); }
  void setID(const UUID& id) { storeIdentifier(*this, id); }
};

}  // namespace kelvo
