#include "core/import/RaycastParser.hpp"

#include <nlohmann/json.hpp>

#include "core/import/internal/JSONSnippets.hpp"

namespace kelvo::RaycastParser {

bool looksLikeRaycast(const Json& value) {
  if (!value.is_array() || value.empty() || !value.front().is_object()) return false;
  const Json& first = value.front();
  return first.contains("text") && (first.contains("name") || first.contains("keyword"));
}

std::vector<ImportedSnippet> parse(const Json& value) {
  std::vector<ImportedSnippet> snippets;
  if (!value.is_array()) return snippets;
  snippets.reserve(value.size());
  for (const Json& element : value) {
    if (element.is_object()) snippets.push_back(import_internal::jsonSnippet(element, "text"));
  }
  return snippets;
}

}  // namespace kelvo::RaycastParser
