#include "platform/data/Model.hpp"

#include <cstdint>
#include <cstdio>
#include <set>

#include "platform/data/ValueTransformer.hpp"
#include "platform/foundation/Error.hpp"

namespace kelvo::data {
namespace {

void checkAttribute(const EntityDescription& entity, const AttributeDescription& attribute) {
  const std::string where = entity.name() + "." + attribute.name;
  if (attribute.type == AttributeType::transformable &&
      ValueTransformer::named(attribute.valueTransformerName) == nullptr) {
    fatal(where + " names no known value transformer: \"" + attribute.valueTransformerName + "\"");
  }
  if (attribute.defaultValue && !fitsAttribute(attribute, *attribute.defaultValue)) {
    fatal(where + " has a default value that is not a " + std::string(name(attribute.type)));
  }
}

std::string hexDigest(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

// FNV-1a over a canonical text of the stored shape; stable across runs and platforms.
std::string shapeDigest(const std::vector<std::unique_ptr<EntityDescription>>& entities) {
  std::string shape;
  for (const auto& entity : entities) {
    shape += "E " + entity->name() + "\n";
    for (const auto& attribute : entity->attributes()) {
      shape += "A " + attribute.name + " " + std::to_string(rawValue(attribute.type)) + "\n";
    }
    for (const auto& relationship : entity->relationships()) {
      shape += "R " + relationship.name + " " + relationship.destinationEntityName + " " +
               std::to_string(relationship.maxCount == 1 ? 1 : 0) + " " + relationship.inverseName +
               "\n";
    }
  }
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (unsigned char c : shape) {
    hash ^= c;
    hash *= 0x100000001b3ULL;
  }
  return hexDigest(hash);
}

}  // namespace

Model::Model(std::vector<EntityDescription> entities) {
  std::set<std::string, std::less<>> names;
  for (auto& entity : entities) {
    if (!names.insert(entity.name()).second)
      fatal("The model has two entities named " + entity.name());
    entity.index_ = entities_.size();
    entities_.push_back(std::make_unique<EntityDescription>(std::move(entity)));
  }
  for (const auto& entity : entities_) {
    for (const auto& attribute : entity->attributes()) checkAttribute(*entity, attribute);
    entity->links_.clear();
    entity->toOne_.clear();
    for (std::uint32_t i = 0; i < entity->relationships().size(); ++i) {
      const auto& relationship = entity->relationships()[i];
      const std::string where = entity->name() + "." + relationship.name;
      const EntityDescription* destination = this->entity(relationship.destinationEntityName);
      if (destination == nullptr) {
        fatal(where + " leads to no entity named " + relationship.destinationEntityName);
      }
      const auto inverse = destination->propertyIndex(relationship.inverseName);
      if (!inverse || !inverse->isRelationship) {
        fatal(where + " has no inverse named " + relationship.inverseName);
      }
      const auto& back = destination->relationships()[inverse->index];
      if (back.destinationEntityName != entity->name() || back.inverseName != relationship.name) {
        fatal(where + " and its inverse " + destination->name() + "." + back.name +
              " do not name each other");
      }
      if (relationship.isToMany() == back.isToMany()) {
        fatal(where + " and its inverse must be one to-one and one to-many end");
      }
      if (relationship.isToMany() && relationship.maxCount != 0 &&
          relationship.minCount > relationship.maxCount) {
        fatal(where + " has a minimum count above its maximum");
      }
      entity->links_.push_back({destination, inverse->index});
      if (!relationship.isToMany()) entity->toOne_.push_back(i);
    }
  }
  versionHash_ = shapeDigest(entities_);
}

const EntityDescription* Model::entity(std::string_view name) const {
  for (const auto& entity : entities_) {
    if (entity->name() == name) return entity.get();
  }
  return nullptr;
}

}  // namespace kelvo::data
