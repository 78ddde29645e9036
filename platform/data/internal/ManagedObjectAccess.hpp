// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <concepts>
#include <cstdint>
#include <span>
#include <type_traits>

#include "platform/data/EntityDescription.hpp"
#include "platform/data/ManagedObject.hpp"

namespace kelvo::data_internal {

/// The one way the layer's own classes (the context, the store, a to-many set) reach a managed
/// object's bookkeeping: its context, row, pending state, values and relationship ends. Each
/// reference accessor takes a `ManagedObject` or a `const ManagedObject` and keeps its constness.
class ManagedObjectAccess {
  using ManagedObject = data::ManagedObject;

  template <class Object>
  static constexpr bool isManagedObject = std::same_as<std::remove_const_t<Object>, ManagedObject>;

 public:
  using Members = ManagedObject::Members;
  using Link = ManagedObject::Link;
  using Snapshot = ManagedObject::Snapshot;

  template <class Object>
  static auto& context(Object& object) requires isManagedObject<Object> {
    return object.context_;
  }
  /// The store's row; 0 until saved.
  template <class Object>
  static auto& primaryKey(Object& object) requires isManagedObject<Object> {
    return object.primaryKey_;
  }
  /// One slot per attribute of the entity, in its order.
  static std::span<data::ValueSlot> attributes(ManagedObject& object) {
    return {object.attributes_, object.entity().attributes().size()};
  }
  static std::span<const data::ValueSlot> attributes(const ManagedObject& object) {
    return {object.attributes_, object.entity().attributes().size()};
  }
  /// One end per relationship of the entity, in its order.
  static std::span<Link> links(ManagedObject& object) {
    return {reinterpret_cast<Link*>(object.attributes_ + object.entity().attributes().size()),
            object.entity().relationships().size()};
  }
  static std::span<const Link> links(const ManagedObject& object) {
    return {reinterpret_cast<const Link*>(object.attributes_ + object.entity().attributes().size()),
            object.entity().relationships().size()};
  }
  /// The stored values of a changed stored object; null otherwise.
  template <class Object>
  static auto& snapshot(Object& object) requires isManagedObject<Object> {
    return object.snapshot_;
  }
  /// Where an insert sits in its context's list of inserts.
  template <class Object>
  static auto& insertedAt(Object& object) requires isManagedObject<Object> {
    return object.insertedAt_;
  }
  template <class Object>
  static auto& inserted(Object& object) requires isManagedObject<Object> {
    return object.inserted_;
  }
  template <class Object>
  static auto& deleted(Object& object) requires isManagedObject<Object> {
    return object.deleted_;
  }
  /// Whether a stored object is in its context's list of changed objects.
  template <class Object>
  static auto& changed(Object& object) requires isManagedObject<Object> {
    return object.changed_;
  }

  /// The members of a to-many end, read from the store on first use.
  static Members& members(const ManagedObject& object, std::uint32_t relationship) {
    return object.members(relationship);
  }
  /// Points `member`'s to-one end at `target` (or nothing) and moves it between the sets.
  static void relate(ManagedObject& member, std::uint32_t relationship, ManagedObject* target) {
    ManagedObject::relate(member, relationship, target);
  }
  /// Tells the object's context that it is about to change.
  static void willChange(ManagedObject& object) { object.willChange(); }
};

}  // namespace kelvo::data_internal
