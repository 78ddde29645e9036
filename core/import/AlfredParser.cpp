#include "core/import/AlfredParser.hpp"

#include <nlohmann/json.hpp>

#include "core/import/internal/JSONSnippets.hpp"

namespace kelvo::AlfredParser {
namespace {

const Json* wrapped(const Json& object) {
  const auto found = object.find("alfredsnippet");
  return found != object.end() && found->is_object() ? &*found : nullptr;
}

}  // namespace

bool looksLikeAlfred(const Json& value) {
  if (value.is_object()) return wrapped(value) != nullptr;
  return value.is_array() && !value.empty() && value.front().is_object() &&
         wrapped(value.front()) != nullptr;
}

std::vector<ImportedSnippet> parse(const Json& value) {
  std::vector<ImportedSnippet> snippets;
  const auto take = [&snippets](const Json& candidate) {
    if (!candidate.is_object()) return;
    if (const Json* inner = wrapped(candidate)) {
      snippets.push_back(import_internal::jsonSnippet(*inner, "snippet"));
    }
  };
  if (value.is_object()) {
    take(value);
  } else if (value.is_array()) {
    for (const Json& element : value) take(element);
  }
  return snippets;
}

}  // namespace kelvo::AlfredParser
