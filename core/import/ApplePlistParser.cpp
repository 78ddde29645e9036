#include "core/import/ApplePlistParser.hpp"

namespace kelvo::ApplePlistParser {
namespace {

std::optional<std::string> text(const PropertyListValue& dictionary, std::string_view key) {
  const PropertyListValue* value = dictionary.find(key);
  if (!value || !value->isString()) return std::nullopt;
  return value->string();
}

}  // namespace

bool looksLikeTextReplacements(const PropertyListValue& value) {
  if (!value.isArray() || value.array().empty()) return false;
  const PropertyListValue& first = value.array().front();
  return first.isDictionary() && first.find("phrase") && first.find("shortcut");
}

std::vector<ImportedSnippet> parse(const PropertyListValue& value) {
  std::vector<ImportedSnippet> snippets;
  snippets.reserve(value.array().size());
  for (const PropertyListValue& entry : value.array()) {
    if (!entry.isDictionary()) continue;
    // Made in place: moving a snippet in costs about as much as filling it.
    ImportedSnippet& snippet = snippets.emplace_back();
    snippet.keyword = text(entry, "shortcut");
    if (const PropertyListValue* phrase = entry.find("phrase"); phrase && phrase->isString()) {
      snippet.body = std::string(phrase->string());  // a copy at its exact size
    } else {
      snippet.warnings.push_back(ImportWarning::valueWasNotText("phrase"));
    }
  }
  return snippets;
}

}  // namespace kelvo::ApplePlistParser
