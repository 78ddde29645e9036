#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/KelvoModel.hpp"
#include "core/model/ManagedObjectValues.hpp"
#include "platform/data/FetchRequest.hpp"
#include "platform/data/ManagedObject.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

class Card;

/// The managed object of a shelf: a named container of cards that may sit inside another shelf.
/// A shelf with no parent is a project. Like every managed object here it holds no state of its
/// own: its properties read and write the attributes and relationships of the "Shelf" entity.
/// Reading a relationship of a stored shelf may read the store, and throws `data::StoreError`
/// when that read fails.
class Shelf : public data::ManagedObject {
 public:
  using ManagedObject::ManagedObject;

  /// The identifier the default shelf carries in every library and on every device.
  static const UUID& defaultShelfID();

  /// Whether `a` comes before `b` among siblings: the default shelf after the others, then the
  /// smaller sort index, then the name compared without regard to case in the current locale,
  /// then the identifier's text. Reads the attributes afresh and changes nothing. A shelf without
  /// a stored identifier reads a fresh one at every read, so the order is only consistent among
  /// shelves that have one; `children` lists no other.
  static bool isSiblingOrderBefore(const Shelf& a, const Shelf& b);
  static constexpr std::string_view defaultShelfName = "Unsorted";
  /// The most shelves, projects included, that one library holds.
  static constexpr int maximumCount = 24;
  static constexpr int comfortableCount = 6;
  /// The entity this class takes part in duplicate merge as.
  static constexpr std::string_view mergeEntityName = KelvoModel::Entities::shelf;

  /// A new shelf in `parent`'s context, listed among its children; without a parent (or with
  /// one in no context) it belongs to no context until the caller inserts it. Saves nothing.
  /// A parent whose delete is pending stops the process, as `setParent` does.
  static std::shared_ptr<Shelf> make(const UUID& id, std::string name, std::int64_t sortIndex,
                                     Date createdAt, bool isDefaultShelf,
                                     const std::shared_ptr<Shelf>& parent);

  /// A request for every shelf, unsorted.
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
  bool isDefaultShelf() const { return boolValue(*this, "isDefaultShelf", false); }
  void setIsDefaultShelf(bool flag) { setValue("isDefaultShelf", data::Value(flag)); }

  /// The cards whose shelf this is, as an unordered set; none when not a set of cards.
  std::optional<std::vector<std::shared_ptr<Card>>> cardsStorage() const;
  /// Replaces the cards; each card leaves its old shelf. None empties the shelf. A deleted card
  /// or shelf, or one of another context, stops the process.
  void setCardsStorage(const std::optional<std::vector<std::shared_ptr<Card>>>& cards);
  /// The shelf this one sits in; none for a project, or when the stored object is no shelf.
  std::shared_ptr<Shelf> parent() const;
  /// Moves the shelf between its old and new parent's children, without reading either's
  /// children from the store. Setting the parent it already has (the same object), or none on a
  /// project, writes nothing. A parent deleted from the shelf's context, or of another context
  /// (one the context let go at a save, as duplicate merge does), stops the process.
  void setParent(const std::shared_ptr<Shelf>& parent);
  /// The child shelves as an unordered set, read only: a child moves through `setParent`.
  std::optional<std::vector<std::shared_ptr<Shelf>>> childrenStorage() const;

  /// The members of `cardsStorage`, unsorted.
  std::vector<std::shared_ptr<Card>> cards() const;
  /// The child shelves, one per identifier (chosen as duplicate merge would), in the sibling
  /// order. A child without a stored identifier is not listed.
  std::vector<std::shared_ptr<Shelf>> children() const;

  // Duplicate merge.

  /// The name, the sort index and "1" or "0" for the default flag, joined by U+001F.
  std::string mergeSignature() const;
  /// Takes over the cards and child shelves of `duplicate`, which is about to be deleted, and
  /// its default flag; steps out from under it when it was this shelf's parent. No shelf is
  /// ever given itself or one of its descendants as parent: it becomes a project instead.
  void absorb(Shelf& duplicate);
};

// Defined here because the request names the class, which is complete only now.
inline auto Shelf::fetchRequest() {
  return data::FetchRequest<Shelf>(std::string(KelvoModel::Entities::shelf));
}

}  // namespace kelvo
