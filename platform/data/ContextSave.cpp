// Saving a context: validation, then every change in one transaction.
#include <cstdint>
#include <string>

#include "platform/data/Context.hpp"
#include "platform/data/EntityDescription.hpp"
#include "platform/data/Model.hpp"
#include "platform/data/Store.hpp"
#include "platform/data/StoreError.hpp"
#include "platform/data/internal/ManagedObjectAccess.hpp"

namespace kelvo::data {
namespace {

using Access = ManagedObjectAccess;

[[noreturn]] void refuse(const std::string& reason) {
  throw StoreError(StoreError::Kind::validation, "Could not save: " + reason);
}

}  // namespace

void Context::validate() const {
  const auto check = [this](const ManagedObject& object) {
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
    const auto isLive = [this](const ManagedObject* other) {
      return Access::context(*other) == this && !Access::deleted(*other);
    };
    for (std::size_t i = 0; i < entity.relationships().size(); ++i) {
      const auto& relationship = entity.relationships()[i];
      const auto& link = Access::links(object)[i];
      const std::string where = entity.name() + "." + relationship.name;
      if (link.members == nullptr) {
        if (link.target == nullptr) {
          if (!relationship.isOptional || relationship.minCount > 0)
            refuse(where + " is required.");
        } else if (!isLive(link.target)) {
          refuse(where + " refers to an object that is not in the context.");
        }
        continue;
      }
      // A set never read is as stored, and was valid then.
      if (!link.members->loaded) continue;
      for (const ManagedObject* member : link.members->list) {
        if (!isLive(member)) refuse(where + " holds an object that is not in the context.");
      }
      const std::size_t count = link.members->list.size();
      if (count == 0 ? !relationship.isOptional || relationship.minCount > 0
                     : count < relationship.minCount) {
        refuse(where + " holds too few objects.");
      }
      if (relationship.maxCount > 1 && count > relationship.maxCount) {
        refuse(where + " holds too many objects.");
      }
    }
  };
  for (const auto& object : inserted_) {
    if (object != nullptr) check(*object);
  }
  for (const ManagedObject* object : changed_) {
    if (!Access::deleted(*object)) check(*object);
  }
}

void Context::save() {
  if (!hasChanges()) return;
  Store* store = this->store();
  if (store == nullptr) {
    throw StoreError(StoreError::Kind::noStore, "Could not save: the context has no store.");
  }
  validate();
  std::vector<ManagedObject*> inserts;
  inserts.reserve(insertedCount_);
  for (const auto& object : inserted_) {
    if (object != nullptr) inserts.push_back(object.get());
  }
  std::vector<std::string> scratch;
  try {
    Transaction transaction(store->database());
    // New rows go after the largest key of their table.
    std::vector<std::int64_t> nextKey(registry_.size(), 0);
    for (ManagedObject* object : inserts) {
      const EntityDescription& entity = object->entity();
      std::int64_t& next = nextKey[entity.index()];
      if (next == 0) {
        Statement& statement = store->statements(entity).maxPrimaryKey;
        const std::int64_t largest = statement.step() ? statement.columnInt64(0) : 0;
        statement.reset();
        if (largest >= INT64_MAX - static_cast<std::int64_t>(inserts.size())) {
          throw StoreError(StoreError::Kind::sqlite,
                           "Could not save: the " + entity.name() + " table has no keys left.",
                           13);  // SQLITE_FULL
        }
        next = largest + 1;
      }
      Access::primaryKey(*object) = next++;
    }
    for (ManagedObject* object : inserts) {
      Statement& statement = store->statements(object->entity()).insert;
      Store::bind(statement, *object, scratch);
      statement.run();
    }
    for (ManagedObject* object : changed_) {
      auto& statements = store->statements(object->entity());
      if (Access::deleted(*object)) {
        statements.remove.bind(1, Access::primaryKey(*object));
        statements.remove.run();
        continue;
      }
      // A change of a set alone leaves the row as it is.
      bool rowChanged = Access::snapshot(*object)->attributes != Access::attributes(*object);
      for (std::size_t i = 0; !rowChanged && i < Access::links(*object).size(); ++i) {
        rowChanged = Access::links(*object)[i].target != Access::snapshot(*object)->targets[i];
      }
      if (!rowChanged) continue;
      Store::bind(statements.update, *object, scratch);
      statements.update.run();
      if (store->database().changes() != 1) {
        throw StoreError(
            StoreError::Kind::conflict,
            "Could not save: a " + object->entity().name() + " row was deleted by another writer.");
      }
    }
    // Room for the new rows' objects now, so that nothing can fail after the commit.
    std::vector<std::size_t> added(registry_.size(), 0);
    for (ManagedObject* object : inserts) ++added[object->entity().index()];
    for (std::size_t i = 0; i < registry_.size(); ++i) {
      if (added[i] > 0) registry_[i].reserve(registry_[i].size() + added[i]);
    }
    transaction.commit();
  } catch (...) {
    for (ManagedObject* object : inserts) Access::primaryKey(*object) = 0;
    throw;
  }
  // Committed: the pending changes are now the stored state.
  for (auto& object : inserted_) {
    if (object == nullptr) continue;
    Access::inserted(*object) = false;
    const std::int64_t key = Access::primaryKey(*object);
    registry_[object->entity().index()].emplace(key, std::move(object));
  }
  for (ManagedObject* object : changed_) {
    Access::snapshot(*object).reset();
    Access::changed(*object) = false;
    if (Access::deleted(*object)) {
      Access::deleted(*object) = false;
      Access::context(*object) = nullptr;
      const std::int64_t key = Access::primaryKey(*object);
      Access::primaryKey(*object) = 0;
      registry_[object->entity().index()].erase(key);
    }
  }
  changed_.clear();
  inserted_.clear();
  insertedCount_ = 0;
}

}  // namespace kelvo::data
