#include "platform/data/EntityDescription.hpp"

#include "platform/foundation/Error.hpp"

namespace kelvo::data {
namespace {

// Names become SQL identifiers; letters, digits and "_", starting with a letter, quote safely.
bool isValidName(std::string_view name) {
  if (name.empty() || name.size() > 128) return false;
  const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!isLetter(name.front())) return false;
  for (char c : name) {
    if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '_') return false;
  }
  return true;
}

}  // namespace

EntityDescription::EntityDescription(std::string name) : name_(std::move(name)) {
  if (!isValidName(name_) || name_.starts_with("sqlite")) {
    fatal("Entity name \"" + name_ + "\" is not a letter followed by letters, digits or _");
  }
  factory_ = [](const ManagedObject::Init& init) { return std::make_shared<ManagedObject>(init); };
}

void EntityDescription::addAttribute(AttributeDescription attribute) {
  if (!isValidName(attribute.name) || byName_.contains(attribute.name)) {
    fatal(name_ + " cannot take an attribute named \"" + attribute.name + "\"");
  }
  const PropertyIndex index{false, static_cast<std::uint32_t>(attributes_.size())};
  byName_.emplace(attribute.name, index);
  order_.push_back(index);
  attributes_.push_back(std::move(attribute));
}

void EntityDescription::addRelationship(RelationshipDescription relationship) {
  if (!isValidName(relationship.name) || byName_.contains(relationship.name)) {
    fatal(name_ + " cannot take a relationship named \"" + relationship.name + "\"");
  }
  const PropertyIndex index{true, static_cast<std::uint32_t>(relationships_.size())};
  byName_.emplace(relationship.name, index);
  order_.push_back(index);
  relationships_.push_back(std::move(relationship));
}

std::vector<std::string> EntityDescription::propertyNames() const {
  std::vector<std::string> names;
  names.reserve(order_.size());
  for (const auto& index : order_) {
    names.push_back(index.isRelationship ? relationships_[index.index].name
                                         : attributes_[index.index].name);
  }
  return names;
}

const AttributeDescription* EntityDescription::attribute(std::string_view name) const {
  const auto index = propertyIndex(name);
  return index && !index->isRelationship ? &attributes_[index->index] : nullptr;
}

const RelationshipDescription* EntityDescription::relationship(std::string_view name) const {
  const auto index = propertyIndex(name);
  return index && index->isRelationship ? &relationships_[index->index] : nullptr;
}

std::optional<EntityDescription::PropertyIndex> EntityDescription::propertyIndex(
    std::string_view name) const {
  const auto found = byName_.find(name);
  if (found == byName_.end()) return std::nullopt;
  return found->second;
}

std::shared_ptr<ManagedObject> EntityDescription::instantiate() const {
  if (links_.size() != relationships_.size()) {
    fatal("Entity " + name_ + " is used before a model was built with it");
  }
  return factory_(ManagedObject::Init(*this));
}

}  // namespace kelvo::data
