#pragma once

#include <concepts>
#include <string>

#include "platform/data/ManagedObject.hpp"

namespace kelvo::data {

/// Asks a context for every live object of one entity, as objects of class `T`.
template <class T = ManagedObject>
requires std::derived_from<T, ManagedObject>
struct FetchRequest {
  explicit FetchRequest(std::string entity) : entityName(std::move(entity)) {}

  std::string entityName;
};

}  // namespace kelvo::data
