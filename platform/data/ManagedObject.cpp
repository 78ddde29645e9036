#include "platform/data/ManagedObject.hpp"

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_set>

#include "platform/data/Context.hpp"
#include "platform/data/EntityDescription.hpp"
#include "platform/data/internal/ManagedObjectAccess.hpp"
#include "platform/foundation/Error.hpp"

namespace kelvo::data {

using data_internal::ManagedObjectAccess;

// With the control block `std::make_shared` puts before it, an object fills a 96-byte block of
// the allocator; a card's slots and end take another.
static_assert(sizeof(ManagedObject) <= 72);

ManagedObject::Link* ManagedObject::links() const noexcept {
  return reinterpret_cast<Link*>(attributes_ + entity_->attributes().size());
}

bool ManagedObject::Members::contains(const ManagedObject* object) const {
  const std::size_t position = object->links()[inverse].position;
  return position < list.size() && list[position] == object;
}

void ManagedObject::Members::add(ManagedObject* object) {
  if (contains(object)) return;
  object->links()[inverse].position = list.size();
  list.push_back(object);
}

void ManagedObject::Members::remove(const ManagedObject* object) {
  if (!contains(object)) return;
  const std::size_t position = object->links()[inverse].position;
  list[position] = list.back();
  list[position]->links()[inverse].position = position;
  list.pop_back();
}

void ManagedObject::Snapshot::keep(std::uint32_t index, ValueSlot& stored) {
  for (const auto& kept : attributes) {
    if (kept.first == index) return;
  }
  attributes.emplace_back(index, std::move(stored));
}

ManagedObject::ManagedObject(const Init& init) : entity_(&init.entity_) {
  const std::size_t attributeCount = entity_->attributes().size();
  const std::size_t linkCount = entity_->relationships().size();
  // The links follow the slots, aligned as plain `new` aligns.
  static_assert(alignof(ValueSlot) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
  static_assert(sizeof(ValueSlot) % alignof(Link) == 0);
  void* storage = ::operator new(attributeCount * sizeof(ValueSlot) + linkCount * sizeof(Link));
  attributes_ = static_cast<ValueSlot*>(storage);
  std::uninitialized_default_construct_n(attributes_, attributeCount);
  std::uninitialized_default_construct_n(links(), linkCount);
  try {
    for (std::uint32_t i = 0; i < linkCount; ++i) {
      if (!entity_->relationships()[i].isToMany()) continue;
      links()[i].members = std::make_unique<Members>();
      links()[i].members->inverse = entity_->inverseIndex(i);
    }
  } catch (...) {
    releaseStorage();
    throw;
  }
}

void ManagedObject::releaseStorage() noexcept {
  std::destroy_n(links(), entity_->relationships().size());
  std::destroy_n(attributes_, entity_->attributes().size());
  ::operator delete(attributes_);
}

ManagedObject::~ManagedObject() {
  // The objects at the other ends outlive this one; they must not point at it any more.
  for (std::uint32_t i = 0; i < entity_->relationships().size(); ++i) {
    const std::uint32_t inverse = entity_->inverseIndex(i);
    if (links()[i].target != nullptr) {
      if (auto& back = links()[i].target->links()[inverse].members) back->remove(this);
    } else if (links()[i].members != nullptr) {
      for (ManagedObject* member : links()[i].members->list)
        member->links()[inverse].target = nullptr;
    }
  }
  releaseStorage();
}

std::shared_ptr<ManagedObject> ManagedObject::make(const EntityDescription& entity,
                                                   Context* context) {
  auto object = entity.instantiate();
  for (std::size_t i = 0; i < entity.attributes().size(); ++i) {
    object->attributes_[i] = entity.attributes()[i].defaultValue;
  }
  if (context != nullptr) context->insert(object);
  return object;
}

std::uint32_t ManagedObject::relationshipIndex(std::string_view key, bool toMany) const {
  const auto* index = entity_->find(key);
  if (!index || !index->isRelationship ||
      entity_->relationships()[index->index].isToMany() != toMany) {
    fatal(entity_->name() + " has no " + (toMany ? "to-many" : "to-one") +
          " relationship named \"" + std::string(key) + "\"");
  }
  return index->index;
}

ManagedObject::Members& ManagedObject::members(std::uint32_t relationship) const {
  Members& members = *links()[relationship].members;
  if (!members.loaded) {
    if (context_ != nullptr && primaryKey_ != 0) {
      context_->loadMembers(*this, relationship);
    } else {
      members.loaded = true;
    }
  }
  return members;
}

ManagedObject::Members& ManagedObject::membersToEdit(std::uint32_t relationship) const {
  const auto& description = entity_->relationships()[relationship];
  if (description.isOptional && description.minCount == 0 && description.maxCount == 0) {
    return *links()[relationship].members;
  }
  return members(relationship);
}

void ManagedObject::willChange() {
  if (context_ != nullptr) context_->noteChange(*this);
}

void ManagedObject::relate(ManagedObject& member, std::uint32_t relationship,
                           ManagedObject* target) {
  ManagedObject* current = member.links()[relationship].target;
  if (current == target) return;
  const EntityDescription& entity = *member.entity_;
  const auto where = [&] {
    return entity.name() + "." + entity.relationships()[relationship].name;
  };
  if (member.deleted_ || (target != nullptr && target->deleted_)) {
    fatal(where() + " cannot relate a deleted object");
  }
  if (target != nullptr && target->context_ != member.context_) {
    fatal(where() + " cannot relate objects of two different contexts");
  }
  const std::uint32_t inverse = entity.inverseIndex(relationship);
  // Read both sets before changing anything, so that a failed read changes nothing.
  Members* from = current != nullptr ? &current->membersToEdit(inverse) : nullptr;
  Members* to = target != nullptr ? &target->membersToEdit(inverse) : nullptr;
  member.willChange();
  if (current != nullptr) current->willChange();
  if (target != nullptr) target->willChange();
  if (from != nullptr) from->remove(&member);
  if (to != nullptr) to->add(&member);
  member.links()[relationship].target = target;
  // Set by its own context now, whatever a delete did to it before.
  if (member.snapshot_ != nullptr) std::erase(member.snapshot_->unlinkedByDelete, relationship);
}

void ManagedObject::replaceMembers(std::uint32_t relationship, const Value::ObjectSet& objects) {
  const EntityDescription& destination = entity_->destination(relationship);
  const std::uint32_t inverse = entity_->inverseIndex(relationship);
  std::unordered_set<const ManagedObject*> wanted;
  for (const auto& object : objects) {
    if (object == nullptr || &object->entity() != &destination) {
      fatal(entity_->name() + "." + entity_->relationships()[relationship].name +
            " takes only objects of " + destination.name());
    }
    wanted.insert(object.get());
  }
  const std::vector<ManagedObject*> current = members(relationship).list;
  for (ManagedObject* member : current) {
    if (!wanted.contains(member)) relate(*member, inverse, nullptr);
  }
  for (const auto& object : objects) relate(*object, inverse, this);
}

std::optional<Value> ManagedObject::value(std::string_view key) const {
  const auto* index = entity_->find(key);
  if (!index) fatal(entity_->name() + " has no property named \"" + std::string(key) + "\"");
  if (!index->isRelationship) return attributes_[index->index].optional();
  const Link& link = links()[index->index];
  if (link.members == nullptr) {
    if (link.target == nullptr) return std::nullopt;
    return Value(link.target->shared_from_this());
  }
  const auto& list = members(index->index).list;
  Value::ObjectSet objects;
  objects.reserve(list.size());
  for (ManagedObject* member : list) objects.push_back(member->shared_from_this());
  return Value(std::move(objects));
}

const Value* ManagedObject::attributeValue(std::string_view key) const {
  const auto* index = entity_->find(key);
  if (!index || index->isRelationship) {
    fatal(entity_->name() + " has no attribute named \"" + std::string(key) + "\"");
  }
  return attributes_[index->index].get();
}

void ManagedObject::setValue(std::string_view key, std::optional<Value> value) {
  const auto* index = entity_->find(key);
  if (!index) fatal(entity_->name() + " has no property named \"" + std::string(key) + "\"");
  if (!index->isRelationship) {
    auto& slot = attributes_[index->index];
    if (slot == value) return;
    willChange();
    if (snapshot_ != nullptr) snapshot_->keep(index->index, slot);
    slot = std::move(value);
    return;
  }
  const auto where = [&] { return entity_->name() + "." + std::string(key); };
  if (links()[index->index].members == nullptr) {
    auto target = value ? value->object() : nullptr;
    if (value && value->kind() != Value::Kind::object) fatal(where() + " takes an object");
    if (target != nullptr && &target->entity() != &entity_->destination(index->index)) {
      fatal(where() + " takes only objects of " + entity_->destination(index->index).name());
    }
    relate(*this, index->index, target.get());
    return;
  }
  if (value && value->objectSet() == nullptr) fatal(where() + " takes a set of objects");
  replaceMembers(index->index, value ? *value->objectSet() : Value::ObjectSet());
}

MutableSet ManagedObject::mutableSetValue(std::string_view key) {
  return MutableSet(*this, relationshipIndex(key, true));
}

void MutableSet::add(ManagedObject& object) {
  const EntityDescription& entity = owner_->entity();
  if (&object.entity() != &entity.destination(relationship_)) {
    fatal(entity.name() + "." + entity.relationships()[relationship_].name +
          " takes only objects of " + entity.destination(relationship_).name());
  }
  ManagedObjectAccess::relate(object, entity.inverseIndex(relationship_), owner_);
}

void MutableSet::remove(ManagedObject& object) {
  if (!contains(object)) return;
  ManagedObjectAccess::relate(object, owner_->entity().inverseIndex(relationship_), nullptr);
}

bool MutableSet::contains(const ManagedObject& object) const {
  if (&object.entity() != &owner_->entity().destination(relationship_)) return false;
  return ManagedObjectAccess::members(*owner_, relationship_).contains(&object);
}

std::size_t MutableSet::size() const {
  return ManagedObjectAccess::members(*owner_, relationship_).list.size();
}

std::vector<std::shared_ptr<ManagedObject>> MutableSet::objects() const {
  std::vector<std::shared_ptr<ManagedObject>> objects;
  for (ManagedObject* member : ManagedObjectAccess::members(*owner_, relationship_).list) {
    objects.push_back(member->shared_from_this());
  }
  return objects;
}

void failedCast(const ManagedObject& object, const char* className) {
  fatal("An object of " + object.entity().name() + " (class " + object.entity().objectClassName() +
        ") is not a " + className);
}

}  // namespace kelvo::data
