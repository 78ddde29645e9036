#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/foundation/Hash.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// A project (a top-level shelf) as the library's sections see it.
struct LibraryProject {
  UUID id;
  /// The section's title.
  std::string name;
  /// The project's place among the projects.
  std::int64_t sortIndex = 0;

  friend bool operator==(const LibraryProject&, const LibraryProject&) = default;
};

}  // namespace kelvo

template <>
struct std::hash<kelvo::LibraryProject> {
  size_t operator()(const kelvo::LibraryProject& project) const noexcept {
    size_t seed = std::hash<kelvo::UUID>{}(project.id);
    for (const size_t part :
         {std::hash<std::string>{}(project.name), std::hash<std::int64_t>{}(project.sortIndex)}) {
      kelvo::hashCombine(seed, part);
    }
    return seed;
  }
};
