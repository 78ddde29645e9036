// Internal to core/import: include "core/import/ApplePlistParser.hpp" instead.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "core/import/ImportedSnippet.hpp"
#include "platform/foundation/PropertyList.hpp"

// The system's text-replacement list read entry by entry, as `ApplePlistParser` reads the
// whole list: a dictionary is made into its snippet as soon as it is read, so that the list
// and its snippets are never held at once.
namespace kelvo::import_internal {

/// The largest document a property list the plain reader declines may be read through. With at
/// most the importer's limit of snippets beside it, such an import stays within ten times the
/// importer's size limit; a text that would need more is taken for no property list.
inline constexpr std::size_t propertyListDocumentLimit = std::size_t{160} << 20;

/// What `ApplePlistParser::looksLikeTextReplacements` looks for in the list's first element.
inline bool opensTextReplacements(const PropertyListValue& first) {
  return first.isDictionary() && first.find("phrase") && first.find("shortcut");
}

/// A value's storage, writable when the value is the caller's to give (a non-const one).
inline const PropertyListValue::Storage& storageOf(const PropertyListValue& value) {
  return value.storage();
}
inline PropertyListValue::Storage& storageOf(PropertyListValue& value) {
  PropertyListValue::Storage&& storage = std::move(value).storage();
  return storage;
}

/// The string under `key`, the first of its name as `PropertyListValue::find` gives it.
template <typename Entries>
auto* stringNamed(Entries& entries, std::string_view key) {
  for (auto& [name, value] : entries) {
    if (name == key) return std::get_if<std::string>(&storageOf(value));
  }
  return decltype(std::get_if<std::string>(&storageOf(entries.front().second))){};
}

/// Copied at its exact size, or handed over when the list may give it up.
template <typename Text>
decltype(auto) taken(Text& text) {
  if constexpr (std::is_const_v<Text>) {
    return std::string(text);
  } else {
    return std::move(text);
  }
}

/// Appends the snippet of a dictionary of the list, made in place (moving a snippet in costs
/// about as much as filling it); texts of a dictionary the caller gives up are moved out.
template <typename Entries>
void addReplacement(std::vector<ImportedSnippet>& snippets, Entries& entries) {
  ImportedSnippet& snippet = snippets.emplace_back();
  if (auto* shortcut = stringNamed(entries, "shortcut")) snippet.keyword.emplace(taken(*shortcut));
  if (auto* phrase = stringNamed(entries, "phrase")) {
    snippet.body = taken(*phrase);
  } else {
    snippet.warnings.push_back(ImportWarning::valueWasNotText("phrase"));
  }
}

/// What one reading of a property list finds.
struct TextReplacementList {
  /// Whether `ApplePlistParser::looksLikeTextReplacements` accepts the list.
  bool recognised = false;
  /// How many snippets `ApplePlistParser::parse` gives for it.
  std::size_t count = 0;
  /// Those snippets, when asked for and no more than the limit.
  std::optional<std::vector<ImportedSnippet>> snippets;
};

/// Reads `text` as `PropertyList::read` does (with `propertyListDocumentLimit`), throwing
/// `PropertyListError` where it throws. Given a limit, the snippets are made up to it, and when
/// `recognisedOnly`, only for a recognised list; past the limit nothing more is kept, but the
/// rest is still read and counted. A text that opens more dictionaries than the limit is
/// counted first, and its snippets made only when they fit.
TextReplacementList textReplacements(std::string_view text, std::optional<std::size_t> limit,
                                     bool recognisedOnly);

}  // namespace kelvo::import_internal
