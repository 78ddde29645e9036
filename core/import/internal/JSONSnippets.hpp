#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/import/ImportedSnippet.hpp"
#include "platform/foundation/JSON.hpp"

namespace kelvo::importing {

/// The text under `key` of an object; none when absent or not a string.
inline std::optional<std::string> jsonText(const Json& object, std::string_view key) {
  const auto found = object.find(key);
  if (found == object.end() || !found->is_string()) return std::nullopt;
  return found->get<std::string>();
}

/// A snippet from one object of a JSON export; a body that is not text becomes an empty body
/// with a warning naming its key.
inline ImportedSnippet jsonSnippet(const Json& object, std::string_view bodyKey) {
  ImportedSnippet snippet{.title = jsonText(object, "name"),
                          .body = {},
                          .keyword = jsonText(object, "keyword"),
                          .folderPath = {},
                          .warnings = {}};
  if (std::optional<std::string> body = jsonText(object, bodyKey)) {
    snippet.body = std::move(*body);
  } else {
    snippet.warnings.push_back(ImportWarning::valueWasNotText(std::string(bodyKey)));
  }
  return snippet;
}

}  // namespace kelvo::importing
