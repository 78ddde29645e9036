#include "platform/data/Context.hpp"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/data/EntityDescription.hpp"
#include "platform/data/Model.hpp"
#include "platform/data/Store.hpp"
#include "platform/data/StoreCoordinator.hpp"
#include "platform/data/StoreError.hpp"
#include "platform/data/internal/ContextLoader.hpp"
#include "platform/data/internal/ContextRegistry.hpp"
#include "platform/data/internal/Database.hpp"
#include "platform/data/internal/ManagedObjectAccess.hpp"
#include "platform/data/internal/StoreLog.hpp"
#include "platform/data/internal/StoreOpening.hpp"
#include "platform/data/internal/StoreStatements.hpp"
#include "platform/foundation/Error.hpp"

namespace kelvo::data {

using data_internal::Database;
using data_internal::ManagedObjectAccess;
using data_internal::ResetOnExit;
using data_internal::Statement;
using data_internal::StoreLog;
using data_internal::StoreOpening;
using data_internal::Transaction;

namespace {

using Access = ManagedObjectAccess;

// A fetch of this many rows has filled the connection's page cache (2 MiB) over.
constexpr std::size_t largeFetch = 4'096;

[[noreturn]] void refuse(const std::string& reason) {
  throw StoreError(StoreError::Kind::validation, "Could not save: " + reason);
}

// A to-one end that must hold an object.
bool isRequired(const RelationshipDescription& relationship) {
  return !relationship.isOptional || relationship.minCount > 0;
}

// A set with a smallest or a largest count.
bool isBounded(const RelationshipDescription& relationship) {
  return relationship.isToMany() && (isRequired(relationship) || relationship.maxCount > 1);
}

// What is wrong with a set of `count` members: too few or too many, or nothing.
std::optional<std::string_view> countProblem(const RelationshipDescription& relationship,
                                             std::size_t count) {
  if (count == 0 ? isRequired(relationship) : count < relationship.minCount) {
    return "too few objects.";
  }
  if (relationship.maxCount > 1 && count > relationship.maxCount) return "too many objects.";
  return std::nullopt;
}

// Whether a save must count in the file what another writer may have changed: a model with no
// required link back and no bounded set has nothing to count.
bool countsInStore(const Model& model) {
  for (const auto& entity : model.entities()) {
    for (const auto& relationship : entity->relationships()) {
      if (relationship.isToMany() ? isBounded(relationship) : isRequired(relationship)) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

// A bounded set to count in the file: its owner's entity and row, and whether this save takes
// members out of it.
struct Context::CountedSet {
  std::size_t entity;
  std::uint32_t set;
  std::int64_t owner;
  bool takesOut;
  auto operator<=>(const CountedSet&) const = default;
};

Context::Context(std::shared_ptr<StoreCoordinator> coordinator)
    : coordinator_(std::move(coordinator)) {
  if (coordinator_ != nullptr) {
    model_ = &coordinator_->model();
    registry_.resize(model_->entities().size());
    checksInStore_ = countsInStore(*model_);
  }
}

Context::~Context() {
  // Objects that outlive the context keep their values and belong to no context. Every link
  // is known at both ends, so those that stay are whole, and an object that goes unlinks itself.
  for (const auto& object : inserted_) {
    if (object != nullptr) Access::detach(*object);
  }
  for (const Registry& registry : registry_) {
    registry.forEach([](ManagedObject& object) { Access::detach(object); });
  }
}

Store* Context::store() const {
  if (coordinator_ == nullptr || coordinator_->stores().empty()) return nullptr;
  return coordinator_->stores().front().get();
}

const EntityDescription& Context::entityNamed(std::string_view name) const {
  const EntityDescription* entity = model_->entity(name);
  if (entity == nullptr) fatal("The model has no entity named " + std::string(name));
  return *entity;
}

void Context::insert(const std::shared_ptr<ManagedObject>& object) {
  if (object == nullptr) fatal("Cannot insert a null object");
  if (object->context() == this) return;
  const std::string& name = object->entity().name();
  if (object->context() != nullptr) {
    fatal("A " + name + " object of another context was inserted");
  }
  if (Access::primaryKey(*object) != 0) fatal("A stored " + name + " object was inserted again");
  if (model_ != nullptr && model_->entity(name) != &object->entity()) {
    fatal("A " + name + " object of another model was inserted");
  }
  // Four billion inserts would not fit in memory: the position fits in 32 bits.
  Access::markInserted(*object, *this, static_cast<std::uint32_t>(inserted_.size()));
  inserted_.push_back(object);
  ++insertedCount_;
}

void Context::deleteObject(ManagedObject& object) {
  if (object.context() != this) {
    fatal("A " + object.entity().name() + " object was deleted from a context it is not in");
  }
  if (Access::isDeleted(object)) return;
  const auto keep = object.shared_from_this();
  const EntityDescription& entity = object.entity();
  const auto& links = Access::links(object);
  const auto count = static_cast<std::uint32_t>(links.size());
  // Every object the context holds that links to this one is in its sets, read or not, so
  // unlinking them reads nothing; rows never read are the foreign keys' to clear. A set is read
  // only where the save must see every member: one whose members' link back is required (the
  // save then refuses to leave them without it) or whose count is bounded (so that no later
  // unlinking reads it midway). Reads come before anything changes, so that a failed one
  // changes nothing.
  for (std::uint32_t i = 0; i < count; ++i) {
    if (links[i].members != nullptr) {
      const auto& back = entity.destination(i).relationships()[entity.inverseIndex(i)];
      if (!back.isOptional || back.minCount > 0) {
        Access::members(object, i);
      } else {
        Access::membersToEdit(object, i);
      }
    } else if (ManagedObject* target = links[i].target) {
      Access::membersToEdit(*target, entity.inverseIndex(i));
    }
  }
  Access::willChange(object);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (links[i].members != nullptr) {
      const std::vector<ManagedObject*> members = links[i].members->list;
      for (ManagedObject* member : members)
        Access::unlinkForDelete(*member, entity.inverseIndex(i));
    } else {
      Access::relate(object, i, nullptr);
    }
  }
  if (Access::isInserted(object)) {
    Access::withdrawInsert(object);
    inserted_[Access::insertedAt(object)] = nullptr;
    --insertedCount_;
  } else {
    Access::markDeleted(object);
  }
}

void Context::noteChange(ManagedObject& object) {
  if (Access::isInserted(object) || Access::isChanged(object)) return;
  auto snapshot = std::make_unique<Access::Snapshot>();
  snapshot->targets.reserve(Access::links(object).size());
  for (const auto& link : Access::links(object)) snapshot->targets.push_back(link.target);
  // Room first, so that a failed allocation leaves the object unchanged; growing by the
  // vector's own factor keeps recording N changes linear.
  if (changed_.size() == changed_.capacity()) changed_.reserve(2 * changed_.size() + 8);
  Access::markChanged(object, std::move(snapshot));
  changed_.push_back(&object);
}

void Context::loadMembers(const ManagedObject& owner, std::uint32_t relationship) {
  auto& members = *Access::links(owner)[relationship].members;
  Store* store = this->store();
  if (store == nullptr) {
    members.loaded = true;
    return;
  }
  const EntityDescription& memberEntity = owner.entity().destination(relationship);
  const std::uint32_t inverse = owner.entity().inverseIndex(relationship);
  Statement& statement = store->byForeignKey(memberEntity, inverse);
  statement.bind(1, Access::primaryKey(owner));
  Loader loader(*this, *store);
  const auto objects = loader.read(memberEntity, statement);
  loader.finish();
  // Members that arrived in memory before the read go after the stored ones.
  const std::vector<ManagedObject*> arrived = members.list;
  members.clear();
  // Rows whose objects were moved elsewhere, or deleted, in memory are not members any more.
  const auto isMember = [&](const ManagedObject* object) {
    return !Access::isDeleted(*object) && Access::links(*object)[inverse].target == &owner;
  };
  for (ManagedObject* object : objects) {
    if (isMember(object)) members.add(object);
  }
  for (ManagedObject* object : arrived) {
    if (isMember(object)) members.add(object);
  }
  members.loaded = true;
}

std::vector<std::shared_ptr<ManagedObject>> Context::fetch(std::string_view entityName) {
  std::vector<std::shared_ptr<ManagedObject>> result;
  const EntityDescription* entity = model_ != nullptr ? &entityNamed(entityName) : nullptr;
  if (Store* store = this->store()) {
    Loader loader(*this, *store);
    const auto objects = loader.read(*entity, *store->statements(*entity).select);
    loader.finish();
    // The rows now live as objects: the pages they were read from need not stay in memory,
    // nor room for more objects than there are.
    if (objects.size() >= largeFetch) {
      store->database().releaseCache();
      registry_[entity->index()].trim();
    }
    result.reserve(objects.size() + insertedCount_);
    for (ManagedObject* object : objects) {
      if (!Access::isDeleted(*object)) result.push_back(object->shared_from_this());
    }
  }
  for (const auto& object : inserted_) {
    if (object != nullptr && object->entity().name() == entityName) result.push_back(object);
  }
  return result;
}

std::size_t Context::count(std::string_view entityName) {
  std::int64_t count = 0;
  const EntityDescription* entity = model_ != nullptr ? &entityNamed(entityName) : nullptr;
  if (Store* store = this->store()) {
    Statement& statement = *store->statements(*entity).count;
    ResetOnExit reset{statement};
    if (statement.step()) count = statement.columnInt64(0);
    for (const ManagedObject* object : changed_) {
      if (Access::isDeleted(*object) && &object->entity() == entity) --count;
    }
  }
  for (const auto& object : inserted_) {
    if (object != nullptr && object->entity().name() == entityName) ++count;
  }
  return count > 0 ? static_cast<std::size_t>(count) : 0;
}

std::vector<std::shared_ptr<ManagedObject>> Context::insertedObjects() const {
  std::vector<std::shared_ptr<ManagedObject>> objects;
  for (const auto& object : inserted_) {
    if (object != nullptr) objects.push_back(object);
  }
  return objects;
}

std::vector<std::shared_ptr<ManagedObject>> Context::updatedObjects() const {
  std::vector<std::shared_ptr<ManagedObject>> objects;
  for (ManagedObject* object : changed_) {
    if (!Access::isDeleted(*object)) objects.push_back(object->shared_from_this());
  }
  return objects;
}

std::vector<std::shared_ptr<ManagedObject>> Context::deletedObjects() const {
  std::vector<std::shared_ptr<ManagedObject>> objects;
  for (ManagedObject* object : changed_) {
    if (Access::isDeleted(*object)) objects.push_back(object->shared_from_this());
  }
  return objects;
}

// Saving: every inserted and updated object is checked against the model, then every change is
// written in one transaction, and only once it has committed do the objects take it as stored.

void Context::save() {
  if (!hasChanges()) return;
  Store* store = this->store();
  if (store == nullptr) {
    throw StoreError(StoreError::Kind::noStore, "Could not save: the context has no store.");
  }
  validate();
  const std::vector<ManagedObject*> inserts = pendingInserts();
  bool heldTheFile = false;
  try {
    // SQLite pairs the store with the log beside its path: a file moved since it was opened
    // takes no save, and the store is opened anew once it is back.
    store->refuseIfMoved();
    // SQLite keeps a connection it opened read-only so, and one that met a read-only -shm keeps
    // it: once the files can be written, the store is opened anew for this save.
    if (store->mayNotWrite()) store->reopenToWrite(*model_);
    Transaction transaction(store->database());
    // When nobody else has committed since this context read its rows, the sets it holds are
    // the file's, and `validate` has counted them.
    heldTheFile = checksInStore_ && holdsTheFile(*store);
    const bool counts = checksInStore_ && !heldTheFile;
    assignPrimaryKeys(*store, inserts);
    std::vector<std::string> scratch;
    writeInserts(*store, inserts, scratch);
    std::vector<CountedSet> sets;
    if (counts) sets = ownersInStore(*store);
    writeChanges(*store, scratch);
    if (counts) refuseBoundsBrokenInStore(*store, inserts, std::move(sets));
    // Room for the new rows' objects now, so that nothing can fail after the commit.
    reserveRegistry(inserts);
    try {
      transaction.commit();
    } catch (const StoreError& error) {
      // Links are checked at the commit, which leaves the transaction open to tell which.
      if (error.extendedCode() == Database::foreignKeyViolation)
        refuseLinkToGoneRow(*store, inserts);
      throw;
    }
  } catch (...) {
    for (ManagedObject* object : inserts) Access::setPrimaryKey(*object, 0);
    rethrowSaveFailure(*store);
  }
  if (checksInStore_) noteSaved(*store, heldTheFile);
  settleSaved();
}

void Context::noteRead(std::uint64_t first, std::uint64_t last) {
  if (readState_ == ReadState::acrossVersions) return;
  if (first != last || (readState_ == ReadState::atOneVersion && readVersion_ != first)) {
    readState_ = ReadState::acrossVersions;
    return;
  }
  readState_ = ReadState::atOneVersion;
  readVersion_ = first;
}

// Read under the write lock. The version also moves at the saves of the other contexts over
// this connection, so a sibling's save counts as another writer's.
bool Context::holdsTheFile(Store& store) const {
  return readState_ == ReadState::atOneVersion && store.database().dataVersion() == readVersion_;
}

// Committed. A context that held the file then holds it now, at the version its commit made;
// one that held nothing holds only what it saved.
void Context::noteSaved(Store& store, bool heldTheFile) {
  if (readState_ == ReadState::acrossVersions) return;
  if (readState_ == ReadState::atOneVersion && !heldTheFile) {
    readState_ = ReadState::acrossVersions;
    return;
  }
  readState_ = ReadState::atOneVersion;
  readVersion_ = store.database().dataVersion();
}

// SQLite's word for a file that cannot be written says neither which file nor what to do.
void Context::rethrowSaveFailure(Store& store) {
  try {
    throw;
  } catch (const StoreError& error) {
    // A sentence of a save's own already says what to do.
    const bool told = std::string_view(error.what()).starts_with("Could not save: ");
    if (error.kind() == StoreError::Kind::sqlite && error.primaryCode() == Database::busy &&
        !told) {
      throw StoreError(error.kind(),
                       "Could not save: another program has kept the store at " +
                           store.url().string() + " locked for the " +
                           std::to_string(Database::busyTimeoutMilliseconds / 1000) +
                           " seconds a save waits; the store is as it was before this save, and "
                           "its changes are still pending; save again once that program has "
                           "finished.",
                       error.extendedCode());
    }
    if (error.kind() == StoreError::Kind::sqlite && error.extendedCode() == StoreLog::diskFull &&
        !told) {
      throw StoreError(
          error.kind(),
          StoreLog::atSave(store.url().string(), store.database().fileThatCouldNotGrow()),
          error.extendedCode());
    }
    if (error.kind() != StoreError::Kind::sqlite || !Database::isReadOnly(error.extendedCode())) {
      throw;
    }
    store.noteNotWritable();
    if (error.extendedCode() == Database::fileMoved) {
      if (told) throw;
      throw StoreError(error.kind(),
                       "Could not save: the store at " + store.url().string() +
                           " is no longer the one this container opened (it was moved, or "
                           "another file put in its place); " +
                           StoreOpening::afterAMove,
                       error.extendedCode());
    }
    const std::string companions = Database::readOnlyCompanions(store.url().string());
    if (!companions.empty()) {
      throw StoreError(error.kind(), "Could not save: " + companions, error.extendedCode());
    }
    throw StoreError(error.kind(),
                     "Could not save: the store at " + store.url().string() + " is read-only.",
                     error.extendedCode());
  }
}

// A written link whose target row another writer deleted; the commit found one. Throws the
// conflict naming it, or returns when every written link holds (the fault was elsewhere).
void Context::refuseLinkToGoneRow(Store& store, const std::vector<ManagedObject*>& inserts) const {
  const auto check = [&](const ManagedObject& object, std::uint64_t columns) {
    if (columns == 0) return;
    const EntityDescription& entity = object.entity();
    const auto& toOne = entity.toOneRelationships();
    for (std::size_t i = 0; i < toOne.size(); ++i) {
      const std::size_t column = entity.attributes().size() + i;
      if (columns != allColumns && (columns >> column & 1) == 0) continue;
      const ManagedObject* target = Access::links(object)[toOne[i]].target;
      if (target == nullptr) continue;
      Statement& lookUp = *store.statements(target->entity()).selectOne;
      ResetOnExit reset{lookUp};
      lookUp.bind(1, Access::primaryKey(*target));
      if (lookUp.step()) continue;
      throw StoreError(StoreError::Kind::conflict, "Could not save: a " + entity.name() + "'s " +
                                                       entity.relationships()[toOne[i]].name +
                                                       " is a " + target->entity().name() +
                                                       " row that another writer deleted.");
    }
  };
  for (const ManagedObject* object : inserts) check(*object, allColumns);
  for (const ManagedObject* object : changed_) {
    if (!Access::isDeleted(*object)) check(*object, changedColumns(*object));
  }
}

void Context::validate() const {
  for (const auto& object : inserted_) {
    if (object != nullptr) validateObject(*object);
  }
  for (const ManagedObject* object : changed_) {
    if (!Access::isDeleted(*object)) validateObject(*object);
  }
}

void Context::validateObject(const ManagedObject& object) const {
  const EntityDescription& entity = object.entity();
  for (std::size_t i = 0; i < entity.attributes().size(); ++i) {
    const auto& attribute = entity.attributes()[i];
    const auto& value = Access::attributes(object)[i];
    if (value ? fitsAttribute(attribute, *value) : attribute.isOptional) continue;
    const std::string where = entity.name() + "." + attribute.name;
    if (!value) refuse(where + " is required.");
    refuse(where + " holds a " + std::string(kindName(value->kind())) + " where " +
           std::string(name(attribute.type)) + " is expected.");
  }
  for (std::uint32_t i = 0; i < entity.relationships().size(); ++i) {
    const auto& relationship = entity.relationships()[i];
    const auto& link = Access::links(object)[i];
    const auto refuseRelationship = [&](std::string_view problem) {
      refuse(entity.name() + "." + relationship.name + " " + std::string(problem));
    };
    if (link.members == nullptr) {
      if (link.target == nullptr) {
        if (!relationship.isOptional || relationship.minCount > 0)
          refuseRelationship("is required.");
      } else if (!isLive(*link.target)) {
        refuseRelationship("refers to an object that is not in the context.");
      }
      continue;
    }
    // A set never read is as stored, and was valid then.
    if (!link.members->loaded) continue;
    // Only an insert's set can hold an object that is not live: it may have gathered members
    // while it was in no context. A stored object's members joined it in this context, and
    // leave it when they are deleted or their insertion is undone, so its set, however large,
    // need not be walked at every save.
    if (Access::isInserted(object)) {
      for (const ManagedObject* member : link.members->list) {
        if (!isLive(*member)) refuseRelationship("holds an object that is not in the context.");
      }
    }
    if (const auto problem = countProblem(relationship, link.members->list.size())) {
      refuseRelationship("holds " + std::string(*problem));
    }
  }
}

bool Context::isLive(const ManagedObject& object) const {
  return object.context() == this && !Access::isDeleted(object);
}

std::vector<ManagedObject*> Context::pendingInserts() const {
  std::vector<ManagedObject*> inserts;
  inserts.reserve(insertedCount_);
  for (const auto& object : inserted_) {
    if (object != nullptr) inserts.push_back(object.get());
  }
  return inserts;
}

// A key once handed out for a table is never handed out again: not after its row is deleted,
// here or by another writer sharing the file, nor after a reopen. Were it reused, an update or
// delete pending for the old row would land on the new one. The last key given is kept in the
// store and advanced under the save's write lock; a store without that record continues past
// its largest row, and past every key this context has held.
void Context::assignPrimaryKeys(Store& store, const std::vector<ManagedObject*>& inserts) const {
  if (inserts.empty()) return;
  std::vector<std::size_t> counts(registry_.size(), 0);
  for (const ManagedObject* object : inserts) ++counts[object->entity().index()];
  std::vector<std::int64_t> lastKey(registry_.size(), 0);
  for (std::size_t entity = 0; entity < counts.size(); ++entity) {
    if (counts[entity] > 0) {
      lastKey[entity] = lastKeyGiven(store, *model_->entities()[entity], counts[entity]);
    }
  }
  for (ManagedObject* object : inserts) {
    Access::setPrimaryKey(*object, ++lastKey[object->entity().index()]);
  }
  std::string record;
  for (std::size_t entity = 0; entity < counts.size(); ++entity) {
    if (counts[entity] == 0) continue;
    auto& statements = store.statements(*model_->entities()[entity]);
    record = std::to_string(lastKey[entity]);
    // Every copy of the record is kept equal, should the table have lost its primary key.
    statements.recordLastKey->bindText(1, record);
    statements.recordLastKey->run();
    if (store.database().changes() == 0) {
      statements.createLastKey->bindText(1, record);
      statements.createLastKey->run();
    }
  }
}

// The key after which `count` new rows of the entity take theirs; throws when fewer are left.
std::int64_t Context::lastKeyGiven(Store& store, const EntityDescription& entity,
                                   std::size_t count) const {
  auto& statements = store.statements(entity);
  std::int64_t largest = registry_[entity.index()].largestKey();
  {
    ResetOnExit reset{*statements.maxPrimaryKey};
    if (statements.maxPrimaryKey->step()) {
      largest = std::max(largest, statements.maxPrimaryKey->columnInt64(0));
    }
  }
  {
    // A record that does not read as a key is passed over: the rows and this context still
    // bound the keys given.
    ResetOnExit reset{*statements.lastKey};
    while (statements.lastKey->step()) {
      const std::string_view text = statements.lastKey->columnText(0);
      std::int64_t recorded = 0;
      const auto parsed = std::from_chars(text.data(), text.data() + text.size(), recorded);
      if (parsed.ec == std::errc() && parsed.ptr == text.data() + text.size()) {
        largest = std::max(largest, recorded);
      }
    }
  }
  // Keys end at the largest 64-bit integer; `largest` is at least the registry's, never below 0.
  if (static_cast<std::uint64_t>(INT64_MAX - largest) < count) {
    throw StoreError(StoreError::Kind::keysExhausted,
                     "Could not save: the " + entity.name() + " table has handed out every key; " +
                         std::to_string(count) + " more would not fit.");
  }
  return largest;
}

void Context::writeInserts(Store& store, const std::vector<ManagedObject*>& inserts,
                           std::vector<std::string>& scratch) {
  for (ManagedObject* object : inserts) {
    Statement& statement = *store.statements(object->entity()).insert;
    Store::bind(statement, *object, scratch);
    statement.run();
  }
}

// Bit i: the i-th column after the key (attributes, then to-one ends) differs from the stored
// row. An entity of too many columns for the bits is written whole when anything differs.
std::uint64_t Context::changedColumns(const ManagedObject& object) {
  const auto& snapshot = Access::snapshot(object);
  const auto& attributes = Access::attributes(object);
  const auto& entity = object.entity();
  const bool fits =
      attributes.size() + entity.toOneRelationships().size() <= Store::maxPartialColumns;
  std::uint64_t columns = 0;
  for (const auto& [index, stored] : snapshot.attributes) {
    if (stored != attributes[index]) columns |= fits ? std::uint64_t{1} << index : allColumns;
  }
  const auto& toOne = entity.toOneRelationships();
  for (std::size_t i = 0; i < toOne.size(); ++i) {
    const ManagedObject* target = Access::links(object)[toOne[i]].target;
    if (target == snapshot.targets[toOne[i]]) continue;
    // Unlinked only because its stored target is being deleted: the delete itself clears the
    // rows that still point at it when the save commits, and leaves alone one another writer
    // moved. A move this context made, also out of that target, is written.
    if (target == nullptr && Access::isLeftToDelete(object, toOne[i])) continue;
    columns |= fits ? std::uint64_t{1} << (attributes.size() + i) : allColumns;
  }
  return columns;
}

// Updates go before deletes: once this save's moves are written, a row still linked to a
// deleted one is one the delete would leave without its link.
void Context::writeChanges(Store& store, std::vector<std::string>& scratch) const {
  for (ManagedObject* object : changed_) {
    if (Access::isDeleted(*object)) continue;
    auto& statements = store.statements(object->entity());
    // Only the columns that differ from the stored row are written; a change of a set alone
    // leaves the row as it is.
    const std::uint64_t columns = changedColumns(*object);
    if (columns == 0) continue;
    if (columns == allColumns) {
      Store::bind(*statements.update, *object, scratch);
      statements.update->run();
    } else {
      Statement& update = store.update(object->entity(), columns);
      Store::bindColumns(update, *object, columns, scratch);
      update.run();
    }
    if (store.database().changes() != 1) {
      throw StoreError(StoreError::Kind::conflict, "Could not save: a " + object->entity().name() +
                                                       " row was deleted by another writer.");
    }
  }
  for (ManagedObject* object : changed_) {
    if (!Access::isDeleted(*object)) continue;
    if (checksInStore_) refuseRequiredLinkLeftEmpty(store, *object);
    auto& remove = *store.statements(object->entity()).remove;
    remove.bind(1, Access::primaryKey(*object));
    remove.run();
  }
}

// A row another writer linked to `deleted` since this context read its set: the delete would
// empty that row's link, which the model requires. Rows this save deletes too may stay linked.
void Context::refuseRequiredLinkLeftEmpty(Store& store, const ManagedObject& deleted) const {
  const EntityDescription& entity = deleted.entity();
  for (std::uint32_t i = 0; i < entity.relationships().size(); ++i) {
    if (!entity.relationships()[i].isToMany()) continue;
    const EntityDescription& memberEntity = entity.destination(i);
    const auto& back = memberEntity.relationships()[entity.inverseIndex(i)];
    if (!isRequired(back)) continue;
    Statement& keys = store.keysByForeignKey(memberEntity, entity.inverseIndex(i));
    ResetOnExit reset{keys};
    keys.bind(1, Access::primaryKey(deleted));
    while (keys.step()) {
      const ManagedObject* member = registry_[memberEntity.index()].find(keys.columnInt64(0));
      if (member != nullptr && Access::isDeleted(*member)) continue;
      throw StoreError(StoreError::Kind::conflict,
                       "Could not save: another writer linked a " + memberEntity.name() +
                           " to the " + entity.name() + " this save deletes, and " +
                           memberEntity.name() + "." + back.name + " is required.");
    }
  }
}

// The owners the file holds, before the save writes, for the members it moves out of a bounded
// set or deletes, where they are not the ones this context read: another writer moved the
// member since, and the set it leaves is that one.
std::vector<Context::CountedSet> Context::ownersInStore(Store& store) const {
  std::vector<CountedSet> sets;
  for (const ManagedObject* object : changed_) {
    const EntityDescription& entity = object->entity();
    const auto& stored = Access::snapshot(*object).targets;
    for (std::uint32_t i : entity.toOneRelationships()) {
      if (!Access::isDeleted(*object) &&
          (Access::links(*object)[i].target == stored[i] || Access::isLeftToDelete(*object, i))) {
        continue;
      }
      const EntityDescription& owner = entity.destination(i);
      const std::uint32_t set = entity.inverseIndex(i);
      if (!isBounded(owner.relationships()[set])) continue;
      Statement& lookUp = store.foreignKeyOf(entity, i);
      ResetOnExit reset{lookUp};
      lookUp.bind(1, Access::primaryKey(*object));
      if (!lookUp.step() || lookUp.columnType(0) != Statement::ColumnType::integer) continue;
      const std::int64_t key = lookUp.columnInt64(0);
      if (stored[i] == nullptr || Access::primaryKey(*stored[i]) != key) {
        sets.push_back({owner.index(), set, key, true});
      }
    }
  }
  return sets;
}

// Each bounded set whose members this save adds or takes away, counted in the file once the
// save's rows are written: another writer may have moved members in or out since it was read.
// `sets` holds those the file's owners add to the ones this context holds.
void Context::refuseBoundsBrokenInStore(Store& store, const std::vector<ManagedObject*>& inserts,
                                        std::vector<CountedSet> sets) const {
  const auto note = [&](const ManagedObject* owner, const EntityDescription& member,
                        std::uint32_t toOne, bool takesOut) {
    if (owner == nullptr || Access::isDeleted(*owner) || Access::isInserted(*owner)) return;
    const std::uint32_t set = member.inverseIndex(toOne);
    if (isBounded(owner->entity().relationships()[set])) {
      sets.push_back({owner->entity().index(), set, Access::primaryKey(*owner), takesOut});
    }
  };
  for (const ManagedObject* object : inserts) {
    for (std::uint32_t i : object->entity().toOneRelationships()) {
      note(Access::links(*object)[i].target, object->entity(), i, false);
    }
  }
  for (const ManagedObject* object : changed_) {
    const auto& stored = Access::snapshot(*object).targets;
    for (std::uint32_t i : object->entity().toOneRelationships()) {
      const ManagedObject* target = Access::links(*object)[i].target;
      if (target == stored[i]) continue;
      note(stored[i], object->entity(), i, true);
      note(target, object->entity(), i, false);
    }
  }
  std::sort(sets.begin(), sets.end());
  for (std::size_t i = 0; i < sets.size(); ++i) {
    const CountedSet& each = sets[i];
    // Sorted, one owner's set takes members out in its last entry if in any.
    if (i + 1 < sets.size() && sets[i + 1].entity == each.entity && sets[i + 1].set == each.set &&
        sets[i + 1].owner == each.owner) {
      continue;
    }
    // An owner of the file's that this save deletes takes its set with it.
    const ManagedObject* held = registry_[each.entity].find(each.owner);
    if (held != nullptr && Access::isDeleted(*held)) continue;
    const EntityDescription& entity = *model_->entities()[each.entity];
    const auto& relationship = entity.relationships()[each.set];
    const auto problem = countProblem(relationship, countInStore(store, entity, each));
    if (!problem) continue;
    if (!rowExists(store, entity, each.owner)) {
      // A member moved in is a link to the gone row, which the commit names.
      if (!each.takesOut) continue;
      throw StoreError(StoreError::Kind::conflict, "Could not save: a " + entity.name() +
                                                       " row was deleted by another writer.");
    }
    throw StoreError(StoreError::Kind::conflict, "Could not save: with another writer's changes, " +
                                                     entity.name() + "." + relationship.name +
                                                     " would hold " + std::string(*problem));
  }
}

// Counted only as far as a bound can tell: one past the largest count, or up to the smallest
// where there is no largest.
std::size_t Context::countInStore(Store& store, const EntityDescription& owner,
                                  const CountedSet& set) {
  const auto& relationship = owner.relationships()[set.set];
  Statement& keys = store.keysByForeignKey(owner.destination(set.set), owner.inverseIndex(set.set));
  ResetOnExit reset{keys};
  keys.bind(1, set.owner);
  const std::size_t enough = relationship.maxCount > 1
                                 ? relationship.maxCount + 1
                                 : std::max<std::size_t>(relationship.minCount, 1);
  std::size_t count = 0;
  while (count < enough && keys.step()) ++count;
  return count;
}

bool Context::rowExists(Store& store, const EntityDescription& entity, std::int64_t key) {
  Statement& lookUp = *store.statements(entity).selectOne;
  ResetOnExit reset{lookUp};
  lookUp.bind(1, key);
  return lookUp.step();
}

// Also the last check before the commit: a new row's key held by a stored object would release
// that object, which pending changes still point at, once the save settles.
void Context::reserveRegistry(const std::vector<ManagedObject*>& inserts) {
  if (inserts.empty()) return;
  std::vector<std::size_t> added(registry_.size(), 0);
  std::vector<std::int64_t> largest(registry_.size(), 0);
  for (ManagedObject* object : inserts) {
    const std::size_t entity = object->entity().index();
    const std::int64_t key = Access::primaryKey(*object);
    if (registry_[entity].contains(key)) {
      throw StoreError(StoreError::Kind::conflict,
                       "Could not save: a new " + object->entity().name() +
                           " row took the key of a row this context still holds.");
    }
    ++added[entity];
    largest[entity] = std::max(largest[entity], key);
  }
  for (std::size_t i = 0; i < registry_.size(); ++i) {
    if (added[i] > 0) registry_[i].reserve(largest[i], added[i]);
  }
}

// Committed: the pending changes are now the stored state.
void Context::settleSaved() {
  for (auto& object : inserted_) {
    if (object == nullptr) continue;
    Access::settleInsert(*object);
    const std::int64_t key = Access::primaryKey(*object);
    registry_[object->entity().index()].insert(key, std::move(object));
  }
  for (ManagedObject* object : changed_) {
    if (Access::isDeleted(*object)) {
      // Its delete unlinked what this context held; whatever is left goes too, so that no
      // object keeps pointing at one the context lets go.
      Access::dropLinks(*object);
      registry_[object->entity().index()].erase(Access::settleDeletion(*object));
    } else {
      Access::clearChange(*object);
    }
  }
  changed_.clear();
  inserted_.clear();
  insertedCount_ = 0;
}

void Context::rollback() {
  // Inserts leave first; of their links they keep those among themselves.
  std::vector<std::shared_ptr<ManagedObject>> leaving;
  for (auto& object : inserted_) {
    if (object == nullptr) continue;
    Access::withdrawInsert(*object);
    leaving.push_back(std::move(object));
  }
  for (const auto& object : leaving) {
    const auto links = Access::links(*object);
    for (std::uint32_t i = 0; i < links.size(); ++i) {
      if (links[i].members == nullptr) {
        if (links[i].target != nullptr && links[i].target->context() == this) {
          Access::retarget(*object, i, nullptr);
        }
        continue;
      }
      // Stored members take back their stored targets below.
      const std::vector<ManagedObject*> members = links[i].members->list;
      for (ManagedObject* member : members) {
        if (member->context() == this) links[i].members->remove(member);
      }
    }
  }
  // Stored objects take back their stored values and targets; their sets keep the members
  // held in memory and are read again when next used.
  for (ManagedObject* object : changed_) {
    auto& snapshot = Access::snapshot(*object);
    for (auto& [index, stored] : snapshot.attributes) {
      Access::attributes(*object)[index] = std::move(stored);
    }
    const auto links = Access::links(*object);
    for (std::uint32_t i = 0; i < links.size(); ++i) {
      if (links[i].members != nullptr) {
        links[i].members->loaded = false;
      } else {
        Access::retarget(*object, i, snapshot.targets[i]);
      }
    }
  }
  for (ManagedObject* object : changed_) Access::clearChange(*object);
  changed_.clear();
  inserted_.clear();
  insertedCount_ = 0;
}

}  // namespace kelvo::data
