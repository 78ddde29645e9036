// Internal to core/import: include "core/import/RaycastParser.hpp" or
// "core/import/AlfredParser.hpp" instead.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/import/ImportedSnippet.hpp"
#include "platform/foundation/JSON.hpp"

namespace kelvo::import_internal {

/// A snippet of a JSON export from the texts found under its keys; a body that was not text
/// becomes an empty body with a warning naming its key.
inline ImportedSnippet jsonSnippet(std::optional<std::string> title,
                                   std::optional<std::string> body,
                                   std::optional<std::string> keyword, std::string_view bodyKey) {
  ImportedSnippet snippet{.title = std::move(title),
                          .body = {},
                          .keyword = std::move(keyword),
                          .folderPath = {},
                          .warnings = {}};
  if (body) {
    snippet.body = std::move(*body);
  } else {
    snippet.warnings.push_back(ImportWarning::valueWasNotText(std::string(bodyKey)));
  }
  return snippet;
}

/// The text under `key` of an object; none when absent or not a string.
inline std::optional<std::string> jsonText(const Json& object, std::string_view key) {
  const auto found = object.find(key);
  if (found == object.end() || !found->is_string()) return std::nullopt;
  return found->get<std::string>();
}

/// The snippet of one object of a JSON export's tree.
inline ImportedSnippet jsonSnippet(const Json& object, std::string_view bodyKey) {
  return jsonSnippet(jsonText(object, "name"), jsonText(object, bodyKey),
                     jsonText(object, "keyword"), bodyKey);
}

}  // namespace kelvo::import_internal
