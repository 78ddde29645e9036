#pragma once

#include <string>
#include <string_view>

#include "core/model/KelvoModel.hpp"
#include "core/model/ManagedObjectValues.hpp"
#include "platform/data/ManagedObject.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// The managed object of a smart shelf: a saved search kept with its criteria document. Its
/// rules belong to search; the model names the class.
class SmartShelf : public data::ManagedObject {
 public:
  using ManagedObject::ManagedObject;

  /// The entity this class takes part in duplicate merge as.
  static constexpr std::string_view mergeEntityName = KelvoModel::Entities::smartShelf;

  /// The "id" attribute; a fresh identifier at every read when none is stored.
  UUID id() const { return storedIdentifier(*this); }
  void setID(const UUID& id) { storeIdentifier(*this, id); }
  /// The distant past when none is stored, earlier than every real date.
  Date createdAt() const { return dateValue(*this, "createdAt", Date::distantPast()); }

  /// The name and the sort index, joined by U+001F.
  std::string mergeSignature() const;
  /// Takes over nothing: a duplicate smart shelf is only deleted.
  void absorb(SmartShelf& duplicate);
};

}  // namespace kelvo
