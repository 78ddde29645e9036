#include "core/import/ApplePlistParser.hpp"

#include <type_traits>
#include <utility>

namespace kelvo::ApplePlistParser {
namespace {

using Storage = PropertyListValue::Storage;

// A value's storage, writable when the value is the caller's to give (a non-const one).
const Storage& storageOf(const PropertyListValue& value) { return value.storage(); }
Storage& storageOf(PropertyListValue& value) {
  Storage&& storage = std::move(value).storage();
  return storage;
}

// The string under `key`, the first of its name as `PropertyListValue::find` gives it.
template <typename Entries>
auto* stringNamed(Entries& entries, std::string_view key) {
  for (auto& [name, value] : entries) {
    if (name == key) return std::get_if<std::string>(&storageOf(value));
  }
  return decltype(std::get_if<std::string>(&storageOf(entries.front().second))){};
}

// Copied at its exact size, or handed over when the tree may give it up.
template <typename Text>
decltype(auto) taken(Text& text) {
  if constexpr (std::is_const_v<Text>) {
    return std::string(text);
  } else {
    return std::move(text);
  }
}

// One snippet from a dictionary, made in place: moving a snippet in costs about as much as
// filling it.
template <typename Entries>
void addSnippet(std::vector<ImportedSnippet>& snippets, Entries& entries) {
  ImportedSnippet& snippet = snippets.emplace_back();
  if (auto* shortcut = stringNamed(entries, "shortcut")) snippet.keyword.emplace(taken(*shortcut));
  if (auto* phrase = stringNamed(entries, "phrase")) {
    snippet.body = taken(*phrase);
  } else {
    snippet.warnings.push_back(ImportWarning::valueWasNotText("phrase"));
  }
}

template <typename Value>
std::vector<ImportedSnippet> snippetsOf(Value& value) {
  constexpr bool given = !std::is_const_v<Value>;
  std::vector<ImportedSnippet> snippets;
  auto* elements = std::get_if<PropertyListValue::Array>(&storageOf(value));
  if (!elements) return snippets;
  snippets.reserve(elements->size());
  for (auto& element : *elements) {
    if (auto* entries = std::get_if<PropertyListValue::Dictionary>(&storageOf(element))) {
      addSnippet(snippets, *entries);
    }
    // A list given up is freed entry by entry, while each is still in cache and so that the
    // whole tree and all the snippets are never held at once.
    if constexpr (given) element = PropertyListValue();
  }
  return snippets;
}

}  // namespace

bool looksLikeTextReplacements(const PropertyListValue& value) {
  if (!value.isArray() || value.array().empty()) return false;
  const PropertyListValue& first = value.array().front();
  return first.isDictionary() && first.find("phrase") && first.find("shortcut");
}

std::vector<ImportedSnippet> parse(const PropertyListValue& value) { return snippetsOf(value); }

std::vector<ImportedSnippet> parse(PropertyListValue&& value) { return snippetsOf(value); }

}  // namespace kelvo::ApplePlistParser
