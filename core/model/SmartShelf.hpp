#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/model/KelvoModel.hpp"
#include "core/model/ManagedObjectValues.hpp"
#include "platform/data/FetchRequest.hpp"
#include "platform/data/ManagedObject.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// The managed object of a smart shelf: a saved search kept with its criteria document. Its
/// rules belong to search (which reads the document); the model names the class and its
/// attributes. Every property reads its attribute, a missing or mistyped one as its default.
class SmartShelf : public data::ManagedObject {
 public:
  using ManagedObject::ManagedObject;

  /// The most smart shelves one library holds.
  static constexpr int maximumCount = 12;
  /// The entity this class takes part in duplicate merge as.
  static constexpr std::string_view mergeEntityName = KelvoModel::Entities::smartShelf;

  /// A new smart shelf in no context; the caller inserts it. Saves nothing.
  static std::shared_ptr<SmartShelf> make(const UUID& id, std::string name, std::int64_t sortIndex,
                                          Date createdAt, std::string criteriaText);
  /// A request for every smart shelf, unsorted.
  static auto fetchRequest();

  /// The "id" attribute; a fresh identifier at every read when none is stored.
  UUID id() const { return storedIdentifier(*this); }
  void setID(const UUID& id) { storeIdentifier(*this, id); }
  std::string name() const { return stringValue(*this, "name", ""); }
  void setName(std::string name) { setValue("name", data::Value(std::move(name))); }
  std::int64_t sortIndex() const { return intValue(*this, "sortIndex", 0); }
  void setSortIndex(std::int64_t index) { setValue("sortIndex", data::Value(index)); }
  /// The distant past when none is stored, earlier than every real date.
  Date createdAt() const { return dateValue(*this, "createdAt", Date::distantPast()); }
  void setCreatedAt(Date date) { setValue("createdAt", data::Value(date)); }
  /// The criteria document, kept as text; empty when none is stored.
  std::string criteriaJSON() const { return stringValue(*this, "criteria", ""); }
  void setCriteriaJSON(std::string text) { setValue("criteria", data::Value(std::move(text))); }

  /// The name and the sort index, joined by U+001F.
  std::string mergeSignature() const;
  /// Takes over nothing: a duplicate smart shelf is only deleted.
  void absorb(SmartShelf& duplicate);
};

// Defined here because the request names the class, which is complete only now.
inline auto SmartShelf::fetchRequest() {
  return data::FetchRequest<SmartShelf>(std::string(KelvoModel::Entities::smartShelf));
}

}  // namespace kelvo
