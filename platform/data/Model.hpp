#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/data/EntityDescription.hpp"

namespace kelvo::data {

/// A managed-object model: its entities in order. Building it checks the entities and links
/// each relationship to its destination and inverse; a faulty model is a programming error and
/// stops the process. A model outlives every object, context and store made with it.
class Model {
 public:
  explicit Model(std::vector<EntityDescription> entities);
  Model(const Model&) = delete;
  Model& operator=(const Model&) = delete;

  const std::vector<std::unique_ptr<EntityDescription>>& entities() const { return entities_; }
  /// The entity of exactly that name (case-sensitive); null when the model has none.
  const EntityDescription* entity(std::string_view name) const;

  /// A digest of the stored shape (entities, attributes with their types, relationships): equal
  /// models share it, and a store keeps the one it was last written with.
  const std::string& versionHash() const { return versionHash_; }

 private:
  std::vector<std::unique_ptr<EntityDescription>> entities_;
  std::string versionHash_;
};

}  // namespace kelvo::data
