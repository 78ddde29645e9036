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
    ImportedSnippet snippet{.title = std::nullopt,
                            .body = {},
                            .keyword = text(entry, "shortcut"),
                            .folderPath = {},
                            .warnings = {}};
    if (std::optional<std::string> phrase = text(entry, "phrase")) {
      snippet.body = std::move(*phrase);
    } else {
      snippet.warnings.push_back(ImportWarning::valueWasNotText("phrase"));
    }
    snippets.push_back(std::move(snippet));
  }
  return snippets;
}

}  // namespace kelvo::ApplePlistParser
