#pragma once

#include <concepts>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/data/ManagedObject.hpp"
#include "platform/data/PropertyDescription.hpp"

namespace kelvo::data {

class Model;

/// One entity of a model: its name, its properties in order, and the C++ class of its objects.
/// Built by adding properties, then handed to a `Model`, which checks and links it.
class EntityDescription {
 public:
  using Factory = std::shared_ptr<ManagedObject> (*)(const ManagedObject::Init&);

  /// Where a property lives: the index among the attributes or among the relationships.
  struct PropertyIndex {
    bool isRelationship;
    std::uint32_t index;
  };

  explicit EntityDescription(std::string name);

  const std::string& name() const { return name_; }

  /// Makes the entity's objects instances of `T`, so that fetched objects are `T`s.
  template <class T>
  requires std::derived_from<T, ManagedObject>
  void setObjectClass(std::string className) {
    className_ = std::move(className);
    factory_ = [](const ManagedObject::Init& init) -> std::shared_ptr<ManagedObject> {
      return std::make_shared<T>(init);
    };
  }
  /// The name given with the class; "ManagedObject" for plain objects.
  const std::string& objectClassName() const { return className_; }

  void addAttribute(AttributeDescription attribute);
  void addRelationship(RelationshipDescription relationship);

  const std::vector<AttributeDescription>& attributes() const { return attributes_; }
  const std::vector<RelationshipDescription>& relationships() const { return relationships_; }
  /// Every property name, attributes and relationships, in the order they were added.
  std::vector<std::string> propertyNames() const;

  const AttributeDescription* attribute(std::string_view name) const;
  const RelationshipDescription* relationship(std::string_view name) const;
  std::optional<PropertyIndex> propertyIndex(std::string_view name) const;

  /// Resolved by the model: the destination of a relationship and its inverse's index there.
  const EntityDescription& destination(std::uint32_t relationship) const {
    return *links_[relationship].destination;
  }
  std::uint32_t inverseIndex(std::uint32_t relationship) const {
    return links_[relationship].inverse;
  }
  /// The relationships stored as foreign keys (the to-one ends), in property order.
  const std::vector<std::uint32_t>& toOneRelationships() const { return toOne_; }
  /// The entity's position in its model.
  std::size_t index() const { return index_; }

  /// A new object of the entity's class, with no values (the context fills them from a row).
  std::shared_ptr<ManagedObject> instantiate() const;

 private:
  friend class Model;
  struct Link {
    const EntityDescription* destination = nullptr;
    std::uint32_t inverse = 0;
  };

  std::string name_;
  std::string className_ = "ManagedObject";
  Factory factory_;
  std::vector<AttributeDescription> attributes_;
  std::vector<RelationshipDescription> relationships_;
  std::vector<PropertyIndex> order_;
  // Every name lookup of every value read or set goes through here: an open-addressed table at
  // least twice as large as the names. A slot holds its name's length and first and last eight
  // bytes, which are the whole name up to 16 bytes; longer ones are compared in `names_`.
  struct Slot {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
    PropertyIndex index{};
    bool used = false;
  };
  std::vector<Slot> slots_;
  std::string names_;  // every name, one after another

  const std::string& propertyName(PropertyIndex index) const;
  void addName(PropertyIndex index);
  // Puts the name of `index`, found at `offset` in `names_`, in its slot.
  void place(PropertyIndex index, std::size_t offset);
  // A pointer rather than an optional: every value read or set by name comes here, and a
  // returned optional of this shape is built through memory in a way that stalls the caller.
  friend class ManagedObject;
  const PropertyIndex* find(std::string_view name) const;
  std::vector<Link> links_;
  std::vector<std::uint32_t> toOne_;
  std::size_t index_ = 0;
};

}  // namespace kelvo::data
