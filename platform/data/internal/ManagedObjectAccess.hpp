// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>

#include "platform/data/EntityDescription.hpp"
#include "platform/data/ManagedObject.hpp"

namespace kelvo::data_internal {

/// The one way the layer's own classes (the context, its loader, the store, a to-many set) reach a
/// managed object's bookkeeping. Each operation names a step of the object's life in a context —
/// read, inserted, changed, deleted, saved, rolled back — so that the flags only ever change
/// together as those steps need. The object's own `context()` tells which context holds it.
class ManagedObjectAccess {
  using ManagedObject = data::ManagedObject;
  using Context = data::Context;

 public:
  using Members = ManagedObject::Members;
  using Link = ManagedObject::Link;
  using Snapshot = ManagedObject::Snapshot;

  /// The store's row; 0 until saved.
  static std::int64_t primaryKey(const ManagedObject& object) { return object.primaryKey_; }
  static void setPrimaryKey(ManagedObject& object, std::int64_t key) { object.primaryKey_ = key; }

  /// A pending insert, a pending deletion, a stored object with pending changes. Unlike the
  /// object's public questions these hold for an object whose context is being torn down.
  static bool isInserted(const ManagedObject& object) { return object.inserted_; }
  static bool isDeleted(const ManagedObject& object) { return object.deleted_; }
  static bool isChanged(const ManagedObject& object) { return object.changed_; }
  /// Where an insert sits in its context's list of inserts.
  static std::uint32_t insertedAt(const ManagedObject& object) { return object.insertedAt_; }

  /// A row read from the store becomes an object of `context`.
  static void attachStored(ManagedObject& object, Context& context, std::int64_t key) {
    object.primaryKey_ = key;
    object.context_ = &context;
  }
  static void markInserted(ManagedObject& object, Context& context, std::uint32_t at) {
    object.context_ = &context;
    object.inserted_ = true;
    object.insertedAt_ = at;
  }
  /// An insert leaves its context unsaved, by its deletion or a rollback.
  static void withdrawInsert(ManagedObject& object) {
    object.inserted_ = false;
    object.context_ = nullptr;
  }
  /// An insert's row was committed.
  static void settleInsert(ManagedObject& object) { object.inserted_ = false; }
  /// A stored object starts changing: `snapshot` holds what it is restored to.
  static void markChanged(ManagedObject& object, std::unique_ptr<Snapshot> snapshot) {
    object.snapshot_ = std::move(snapshot);
    object.changed_ = true;
  }
  static void markDeleted(ManagedObject& object) { object.deleted_ = true; }
  /// The stored values of a changed stored object.
  static Snapshot& snapshot(ManagedObject& object) { return *object.snapshot_; }
  static const Snapshot& snapshot(const ManagedObject& object) { return *object.snapshot_; }
  /// A stored object's changes were committed or rolled back: it is as stored again.
  static void clearChange(ManagedObject& object) {
    object.snapshot_.reset();
    object.changed_ = false;
    object.deleted_ = false;
  }
  /// A deletion was committed: the object has no row and no context any more. Gives the row.
  static std::int64_t settleDeletion(ManagedObject& object) {
    clearChange(object);
    object.context_ = nullptr;
    return std::exchange(object.primaryKey_, 0);
  }
  /// The object's context goes away; the object keeps its values and its row.
  static void detach(ManagedObject& object) {
    object.inserted_ = false;
    object.context_ = nullptr;
    clearChange(object);
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

  /// The members of a to-many end, read from the store on first use.
  static Members& members(const ManagedObject& object, std::uint32_t relationship) {
    return object.members(relationship);
  }
  /// The set a member joins or leaves: read from the store only when its count is bounded.
  static Members& membersToEdit(const ManagedObject& object, std::uint32_t relationship) {
    return object.membersToEdit(relationship);
  }
  /// Points `member`'s to-one end at `target` (or nothing) and moves it between the sets.
  static void relate(ManagedObject& member, std::uint32_t relationship, ManagedObject* target) {
    ManagedObject::relate(member, relationship, target);
  }
  /// Empties `member`'s to-one end because its target is being deleted. When that target is
  /// the one stored, the save leaves the end to the delete rather than writing it.
  static void unlinkForDelete(ManagedObject& member, std::uint32_t relationship) {
    const ManagedObject* deleted = links(member)[relationship].target;
    relate(member, relationship, nullptr);
    if (member.snapshot_ != nullptr && member.snapshot_->targets[relationship] == deleted) {
      member.snapshot_->unlinkedByDelete.push_back(relationship);
    }
  }
  /// Whether the save leaves `relationship` of a changed stored object to a delete.
  static bool isLeftToDelete(const ManagedObject& object, std::uint32_t relationship) {
    const auto& emptied = object.snapshot_->unlinkedByDelete;
    return std::find(emptied.begin(), emptied.end(), relationship) != emptied.end();
  }
  /// Points `member`'s to-one end at `target` (or nothing) and moves it between the sets, noting
  /// no change: for links that are so already in the store, or are being restored.
  static void retarget(ManagedObject& member, std::uint32_t relationship, ManagedObject* target) {
    Link& link = links(member)[relationship];
    if (link.target == target) return;
    const std::uint32_t inverse = member.entity().inverseIndex(relationship);
    if (link.target != nullptr) links(*link.target)[inverse].members->remove(&member);
    link.target = target;
    if (target != nullptr) links(*target)[inverse].members->add(&member);
  }
  /// Drops every link of `object` at both ends, noting no change.
  static void dropLinks(ManagedObject& object) {
    const auto ends = links(object);
    for (std::uint32_t i = 0; i < ends.size(); ++i) {
      if (ends[i].members == nullptr) {
        retarget(object, i, nullptr);
        continue;
      }
      const std::uint32_t inverse = object.entity().inverseIndex(i);
      for (ManagedObject* member : ends[i].members->list) links(*member)[inverse].target = nullptr;
      ends[i].members->clear();
    }
  }
  /// Tells the object's context that it is about to change.
  static void willChange(ManagedObject& object) { object.willChange(); }
};

}  // namespace kelvo::data_internal
