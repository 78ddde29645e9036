#include "platform/data/internal/ContextLoader.hpp"

#include "platform/data/EntityDescription.hpp"
#include "platform/data/Store.hpp"
#include "platform/data/internal/ContextRegistry.hpp"
#include "platform/data/internal/Database.hpp"
#include "platform/data/internal/ManagedObjectAccess.hpp"
#include "platform/data/internal/StoreStatements.hpp"

namespace kelvo::data {

using data_internal::Database;
using data_internal::ManagedObjectAccess;
using data_internal::ResetOnExit;
using data_internal::Statement;

namespace {

using Access = ManagedObjectAccess;

}  // namespace

Context::Loader::~Loader() {
  if (finished_) return;
  for (const auto& [entity, primaryKey] : fresh_) context_.registry_[entity].erase(primaryKey);
}

std::vector<ManagedObject*> Context::Loader::read(const EntityDescription& entity,
                                                  Statement& statement) {
  ResetOnExit reset{statement};
  std::vector<ManagedObject*> objects;
  while (statement.step()) objects.push_back(&materialize(entity, statement));
  if (context_.checksInStore_ && !readOne_) firstVersion_ = store_.database().dataVersion();
  readOne_ = true;
  return objects;
}

void Context::Loader::finish() {
  for (std::size_t i = 0; i < pending_.size(); ++i) {
    const PendingLink link = pending_[i];
    const auto& destination = link.object->entity().destination(link.relationship);
    if (context_.registry_[destination.index()].contains(link.primaryKey)) continue;
    Statement& statement = *store_.statements(destination).selectOne;
    ResetOnExit reset{statement};
    statement.bind(1, link.primaryKey);
    if (statement.step()) materialize(destination, statement);
  }
  finished_ = true;
  if (context_.checksInStore_ && readOne_) {
    context_.noteRead(firstVersion_, store_.database().dataVersion());
  }
  for (const auto& link : pending_) {
    const auto& entity = link.object->entity();
    const auto& registry = context_.registry_[entity.destination(link.relationship).index()];
    ManagedObject* target = registry.find(link.primaryKey);
    // A key without its row (a damaged or foreign store) reads as no target.
    if (target == nullptr) continue;
    Access::links(*link.object)[link.relationship].target = target;
    // Read or not, a set knows every member it has in memory, so that deleting its owner can
    // unlink them all whatever the file says by then.
    Access::links(*target)[entity.inverseIndex(link.relationship)].members->add(link.object);
    // A row read while this context deletes its target is unlinked as the delete unlinked the
    // others, and a rollback links it again.
    if (Access::isDeleted(*target)) Access::unlinkForDelete(*link.object, link.relationship);
  }
}

ManagedObject& Context::Loader::materialize(const EntityDescription& entity, const Statement& row) {
  const std::int64_t primaryKey = Store::primaryKey(row);
  auto& registry = context_.registry_[entity.index()];
  if (ManagedObject* found = registry.find(primaryKey)) return *found;
  auto object = entity.instantiate();
  Store::read(row, *object, keys_);
  Access::attachStored(*object, context_, primaryKey);
  for (auto& link : Access::links(*object)) {
    if (link.members != nullptr) link.members->loaded = false;
  }
  const auto& toOne = entity.toOneRelationships();
  for (std::size_t i = 0; i < toOne.size(); ++i) {
    if (keys_[i] != 0) pending_.push_back({object.get(), toOne[i], keys_[i]});
  }
  ManagedObject& result = *object;
  registry.insert(primaryKey, std::move(object));
  fresh_.emplace_back(entity.index(), primaryKey);
  return result;
}

}  // namespace kelvo::data
