#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <variant>

#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// Where the cards of an import go: a new shelf (inside a project, or at the top) or an
/// existing shelf. Names compare by canonical equivalence.
///
///   ImportDestination::newShelf("Raycast snippets", std::nullopt)
struct ImportDestination {
  struct NewShelf {
    std::string name;
    /// The top-level shelf to create it in; none for the top.
    std::optional<UUID> inProject;
  };
  struct Existing {
    UUID shelf;
  };

  std::variant<NewShelf, Existing> value;

  static ImportDestination newShelf(std::string name, std::optional<UUID> inProject) {
    return {NewShelf{std::move(name), inProject}};
  }
  static ImportDestination existing(const UUID& shelf) { return {Existing{shelf}}; }

  friend bool operator==(const ImportDestination& a, const ImportDestination& b);
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::ImportDestination> {
  std::size_t operator()(const kelvo::ImportDestination& destination) const noexcept;
};
