// Internal to core/import: include "core/import/SnippetImporter.hpp" instead.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Hash.hpp"
#include "platform/foundation/Text.hpp"

// Imported texts compare by canonical equivalence, and hash to match.
namespace kelvo::import_internal {

inline bool sameText(const std::optional<std::string>& a, const std::optional<std::string>& b) {
  if (a.has_value() != b.has_value()) return false;
  return !a || text::canonicallyEqual(*a, *b);
}

inline bool sameTexts(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!text::canonicallyEqual(a[i], b[i])) return false;
  }
  return true;
}

}  // namespace kelvo::import_internal
