#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <typeinfo>
#include <utility>
#include <vector>

#include "platform/data/Value.hpp"

namespace kelvo::data_internal {
class ManagedObjectAccess;
}

namespace kelvo::data {

class Context;
class EntityDescription;
class MutableSet;

/// An object of an entity, holding a dynamic value per attribute and the objects at the other end
/// of its relationships. Entities may name a subclass (`Card`, `Shelf`, ...) that adds typed
/// accessors over `value` and `setValue`; such a subclass inherits the constructor:
///
///     class Card : public data::ManagedObject {
///      public:
///       using ManagedObject::ManagedObject;
///     };
///
/// Objects always live in a `std::shared_ptr`. An object in a context is kept alive by it; an
/// object outside any context lives as long as its holders. Setting either end of a relationship
/// updates the other end. Changing a relationship of a stored object may read the store and then
/// throws `StoreError` when the read fails, leaving everything as it was.
class ManagedObject : public std::enable_shared_from_this<ManagedObject> {
 public:
  /// Made only by the layer, so that every object comes from `make` or from a fetch.
  class Init {
    friend class EntityDescription;
    friend class ManagedObject;
    explicit Init(const EntityDescription& entity) : entity_(entity) {}
    const EntityDescription& entity_;
  };

  explicit ManagedObject(const Init& init);
  virtual ~ManagedObject();
  ManagedObject(const ManagedObject&) = delete;
  ManagedObject& operator=(const ManagedObject&) = delete;

  /// A new object of the entity's class with the model's defaults, inserted into `context` when
  /// one is given, else in no context (insert it later).
  static std::shared_ptr<ManagedObject> make(const EntityDescription& entity,
                                             Context* context = nullptr);
  /// The same, as the entity's class `T`; a class mismatch stops the process.
  template <class T>
  static std::shared_ptr<T> make(const EntityDescription& entity, Context* context = nullptr);

  const EntityDescription& entity() const { return *entity_; }
  /// The context the object lives in; null outside any context, after its deletion was saved,
  /// and after its insertion was rolled back.
  Context* context() const { return context_; }
  bool isInserted() const { return context_ != nullptr && inserted_; }
  bool isUpdated() const { return context_ != nullptr && changed_ && !deleted_; }
  bool isDeleted() const { return context_ != nullptr && deleted_; }

  /// The value under an attribute or relationship key; nothing when none is held. A to-one
  /// relationship gives an object, a to-many one a set of objects (possibly empty). An unknown
  /// key stops the process.
  std::optional<Value> value(std::string_view key) const;
  /// The value of an attribute without a copy, or null when none is held; valid until the
  /// attribute changes. A key that names no attribute stops the process.
  const Value* attributeValue(std::string_view key) const;
  /// Stores a value (nothing removes it). Attributes take any value: its type is checked when the
  /// context saves. A to-one relationship takes an object or nothing (a null object is nothing),
  /// a to-many one a set of objects or nothing; either way the inverse ends follow.
  /// Stops the process for a key the entity lacks, a value of the wrong kind or entity for a
  /// relationship, and a link to or from a deleted object or between two contexts.
  void setValue(std::string_view key, std::optional<Value> value);
  /// The to-many relationship under `key`, changed in place. A key that names none stops the
  /// process, and so do the changes `setValue` forbids.
  MutableSet mutableSetValue(std::string_view key);

 private:
  // The layer's own classes reach what follows through platform/data/internal/ManagedObjectAccess.
  friend class data_internal::ManagedObjectAccess;

  // A to-many end: an unordered set, iterated in the order members arrived. Each member keeps
  // its place in `list` in its own to-one end, so that finding and removing one needs no table.
  struct Members {
    std::vector<ManagedObject*> list;
    std::uint32_t inverse = 0;  // the members' to-one end
    // Every object whose to-one end points at the owner is in `list`, read or not: a stored
    // object's set is read from the store on first use, and until then it holds the members
    // the context knows of (read with a link to the owner, or arrived in memory); reading it
    // adds the rows not yet known.
    bool loaded = true;

    // `object` must be of the members' entity.
    bool contains(const ManagedObject* object) const;
    void add(ManagedObject* object);
    void remove(const ManagedObject* object);
    void clear() { list.clear(); }
  };
  struct Link {
    ManagedObject* target = nullptr;   // to-one ends
    std::size_t position = 0;          // to-one ends: the place in the target's set's list
    std::unique_ptr<Members> members;  // to-many ends
  };
  // The stored values of a changed object, for rollback and for telling what to write: each
  // attribute's is kept when it first changes, so that noting a change copies no values.
  struct Snapshot {
    std::vector<std::pair<std::uint32_t, ValueSlot>> attributes;  // by first change
    std::vector<ManagedObject*> targets;
    // To-one ends emptied only because their stored target is being deleted, and not set since:
    // the delete clears such a row in the store itself, and leaves one another writer moved.
    std::vector<std::uint32_t> unlinkedByDelete;

    // Keeps `stored` as attribute `index`'s stored value, unless one is kept already.
    void keep(std::uint32_t index, ValueSlot& stored);
  };

  std::uint32_t relationshipIndex(std::string_view key, bool toMany) const;
  // A stored set lives apart from the object and is read on first use, by readers too.
  Members& members(std::uint32_t relationship) const;
  // The set to edit when a member arrives or leaves: an unbounded set is edited unread, since
  // reading it is what a move of one member must not cost; a bounded one is read for its count.
  Members& membersToEdit(std::uint32_t relationship) const;
  void replaceMembers(std::uint32_t relationship, const Value::ObjectSet& objects);
  void willChange();
  // Destroys the slots and ends and frees their allocation.
  void releaseStorage() noexcept;
  Link* links() const noexcept;
  // Points `member`'s to-one end at `target` (or nothing) and moves it between the sets.
  static void relate(ManagedObject& member, std::uint32_t relationship, ManagedObject* target);

  const EntityDescription* entity_;
  Context* context_ = nullptr;
  std::int64_t primaryKey_ = 0;  // the store's row; 0 until saved
  // One slot per attribute of the entity, then one end per relationship (`links()`), in one
  // allocation: a library holds a great many objects, each read or made with all of them.
  ValueSlot* attributes_ = nullptr;
  std::unique_ptr<Snapshot> snapshot_;
  std::uint32_t insertedAt_ = 0;  // position in the context's list of inserts
  bool inserted_ = false;
  bool deleted_ = false;
  bool changed_ = false;  // in the context's list of changed stored objects
};

/// A to-many relationship of one object, changed in place; the inverse ends follow.
class MutableSet {
 public:
  void add(ManagedObject& object);
  void remove(ManagedObject& object);
  bool contains(const ManagedObject& object) const;
  std::size_t size() const;
  std::vector<std::shared_ptr<ManagedObject>> objects() const;

 private:
  friend class ManagedObject;
  MutableSet(ManagedObject& owner, std::uint32_t relationship)
      : owner_(&owner), relationship_(relationship) {}

  ManagedObject* owner_;
  std::uint32_t relationship_;
};

/// Stops the process: `object` is not of the class a caller required.
[[noreturn]] void failedCast(const ManagedObject& object, const char* className);

/// `object` as a `T`, or null for null; an object of another class stops the process.
template <class T>
std::shared_ptr<T> objectCast(const std::shared_ptr<ManagedObject>& object) {
  if (object == nullptr) return nullptr;
  auto cast = std::dynamic_pointer_cast<T>(object);
  if (cast == nullptr) failedCast(*object, typeid(T).name());
  return cast;
}

template <class T>
std::shared_ptr<T> ManagedObject::make(const EntityDescription& entity, Context* context) {
  return objectCast<T>(make(entity, context));
}

}  // namespace kelvo::data
