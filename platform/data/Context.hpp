#pragma once

// The scratch pad of managed objects (ManagedObject.hpp) over a store. A context inserts,
// fetches and deletes objects, keeps one object per stored row, and writes every pending change
// in one transaction when saved; a save that fails leaves the changes pending and the store as
// it was, and `rollback` throws them away:
//
//     data::Context& context = container.viewContext();
//     auto note = data::ManagedObject::make(*model->entity("Note"), &context);
//     note->setValue("title", "Groceries");
//     context.save();  // throws StoreError
//     for (const auto& stored : context.fetch("Note")) show(*stored->value("title"));

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/data/FetchRequest.hpp"
#include "platform/data/ManagedObject.hpp"

namespace kelvo::data {

class EntityDescription;
class Model;
class Store;
class StoreCoordinator;

/// How conflicting changes are settled when they are merged. Kept and readable; a save always
/// writes only the attributes and links its context changed, as `mergeByPropertyObjectTrump`
/// asks, whatever the policy (see docs/store.md, "Conflicts").
enum class MergePolicy {
  error,
  mergeByPropertyStoreTrump,
  mergeByPropertyObjectTrump,
  overwrite,
  rollback,
};

/// A scratch pad of managed objects over a coordinator's store: it inserts, deletes and fetches
/// objects, keeps one object per stored row, and writes every pending change in one transaction
/// when saved. Without a coordinator it holds inserted objects only and cannot save them.
/// A context, its objects and its coordinator are used on one thread at a time.
class Context {
 public:
  explicit Context(std::shared_ptr<StoreCoordinator> coordinator = nullptr);
  ~Context();
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  const std::shared_ptr<StoreCoordinator>& coordinator() const { return coordinator_; }

  /// Inserts an object that is in no context. An object of another context, one whose entity is
  /// not of this context's model, or one that was stored before stops the process.
  void insert(const std::shared_ptr<ManagedObject>& object);
  /// Deletes an object of this context. Each relationship is nullified at once at its other end,
  /// in every object the context holds; nothing cascades. The save writes the delete alone: rows
  /// still linked to the deleted one when it commits lose the link in the store. A deleted
  /// insert simply leaves the context. Reads nothing from the store, but a set whose count is
  /// bounded or whose members' link back is required (so that the save can check them); that
  /// read throws `StoreError` when it fails, changing nothing.
  /// An object of another context, or one whose delete was saved, stops the process.
  void deleteObject(ManagedObject& object);

  /// Every live object of the entity: stored ones (one object per row, the same object on every
  /// fetch) without pending deletes, then pending inserts. An unknown entity stops the process.
  std::vector<std::shared_ptr<ManagedObject>> fetch(std::string_view entityName);
  template <class T>
  std::vector<std::shared_ptr<T>> fetch(const FetchRequest<T>& request);
  /// How many objects `fetch` would give, without making them.
  std::size_t count(std::string_view entityName);
  template <class T>
  std::size_t count(const FetchRequest<T>& request) {
    return count(request.entityName);
  }

  /// Validates every inserted and updated object, then writes every insert, update and delete in
  /// one transaction: of an updated object, only what this context changed. On any failure it
  /// throws `StoreError` and every pending change stays exactly as it was; the store is as
  /// before the save. Kind `conflict` says another writer deleted a row this save updates or
  /// links to, linked a row whose link is required to one this save deletes, or moved members
  /// into or out of a bounded set so that, with this save, it would pass its bounds. Those last
  /// two are counted in the file under the save's write lock, and only for a model that has
  /// such links or sets; a bounded set only once someone else has committed to the file since
  /// this context read (until then the sets it holds are the file's). A store SQLite opened
  /// read-only, or whose last save met a file it could not write, is opened anew for writing
  /// first once its file and the -wal and -shm beside it can be written, so that the same context
  /// saves what it kept pending. A store whose path no longer names the file it opened (moved,
  /// renamed, removed or replaced) takes no save (kind `sqlite`, `extendedCode()` 1032) until
  /// the file is back: what was saved before is first written into that file, wherever it now
  /// is, which may wait up to 5 seconds for another program's reader. The host closes the
  /// container and opens the store where it now is in a new one.
  void save();
  /// Throws away every pending change: inserts leave the context, deletes are undone, and
  /// attributes and relationships (both ends) read their stored values again. It reads nothing
  /// from the file: after a conflict, the change is made anew in a new context, which does.
  void rollback();
  bool hasChanges() const { return insertedCount_ > 0 || !changed_.empty(); }

  std::vector<std::shared_ptr<ManagedObject>> insertedObjects() const;
  std::vector<std::shared_ptr<ManagedObject>> updatedObjects() const;
  std::vector<std::shared_ptr<ManagedObject>> deletedObjects() const;

  MergePolicy mergePolicy() const { return mergePolicy_; }
  void setMergePolicy(MergePolicy policy) { mergePolicy_ = policy; }
  bool automaticallyMergesChangesFromParent() const { return automaticallyMerges_; }
  void setAutomaticallyMergesChangesFromParent(bool merges) { automaticallyMerges_ = merges; }

 private:
  friend class ManagedObject;
  class Loader;    // internal/ContextLoader.hpp
  class Registry;  // internal/ContextRegistry.hpp

  Store* store() const;
  const EntityDescription& entityNamed(std::string_view name) const;
  void noteChange(ManagedObject& object);
  void loadMembers(const ManagedObject& owner, std::uint32_t relationship);

  // The steps of `save`, in their order.
  void validate() const;
  void validateObject(const ManagedObject& object) const;
  bool isLive(const ManagedObject& object) const;
  std::vector<ManagedObject*> pendingInserts() const;
  void assignPrimaryKeys(Store& store, const std::vector<ManagedObject*>& inserts) const;
  std::int64_t lastKeyGiven(Store& store, const EntityDescription& entity, std::size_t count) const;
  static void writeInserts(Store& store, const std::vector<ManagedObject*>& inserts,
                           std::vector<std::string>& scratch);
  void writeChanges(Store& store, std::vector<std::string>& scratch) const;
  void refuseRequiredLinkLeftEmpty(Store& store, const ManagedObject& deleted) const;
  struct CountedSet;
  std::vector<CountedSet> ownersInStore(Store& store) const;
  void refuseBoundsBrokenInStore(Store& store, const std::vector<ManagedObject*>& inserts,
                                 std::vector<CountedSet> sets) const;
  static std::size_t countInStore(Store& store, const EntityDescription& owner,
                                  const CountedSet& set);
  static bool rowExists(Store& store, const EntityDescription& entity, std::int64_t key);
  static constexpr std::uint64_t allColumns = ~std::uint64_t{0};
  static std::uint64_t changedColumns(const ManagedObject& object);
  [[noreturn]] static void rethrowSaveFailure(Store& store);
  void refuseLinkToGoneRow(Store& store, const std::vector<ManagedObject*>& inserts) const;
  void reserveRegistry(const std::vector<ManagedObject*>& inserts);
  void settleSaved();

  // What the context holds against the file's version (Database::dataVersion).
  void noteRead(std::uint64_t first, std::uint64_t last);
  bool holdsTheFile(Store& store) const;
  void noteSaved(Store& store, bool heldTheFile);

  std::shared_ptr<StoreCoordinator> coordinator_;
  const Model* model_ = nullptr;
  std::vector<Registry> registry_;  // stored objects by entity index, then by row
  std::vector<std::shared_ptr<ManagedObject>> inserted_;  // null where an insert was deleted
  std::size_t insertedCount_ = 0;
  std::vector<ManagedObject*> changed_;  // stored objects updated or deleted
  bool checksInStore_ = false;           // the model has a required link or a bounded set
  // For such a model: whether every row the context holds was read at one version of the file,
  // `readVersion_`, which its own saves have moved on. While nobody else has committed since,
  // the sets it holds are the file's, and their counts need not be read again.
  enum class ReadState : std::uint8_t { nothing, atOneVersion, acrossVersions };
  ReadState readState_ = ReadState::nothing;
  std::uint64_t readVersion_ = 0;
  MergePolicy mergePolicy_ = MergePolicy::error;
  bool automaticallyMerges_ = false;
};

template <class T>
std::vector<std::shared_ptr<T>> Context::fetch(const FetchRequest<T>& request) {
  auto objects = fetch(request.entityName);
  std::vector<std::shared_ptr<T>> typed;
  typed.reserve(objects.size());
  for (auto& object : objects) typed.push_back(objectCast<T>(object));
  return typed;
}

}  // namespace kelvo::data
