#include "core/import/ApplePlistParser.hpp"

#include <type_traits>

#include "core/import/internal/TextReplacements.hpp"

namespace kelvo::ApplePlistParser {
namespace {

using import_internal::storageOf;

template <typename Value>
std::vector<ImportedSnippet> snippetsOf(Value& value) {
  constexpr bool given = !std::is_const_v<Value>;
  std::vector<ImportedSnippet> snippets;
  auto* elements = std::get_if<PropertyListValue::Array>(&storageOf(value));
  if (!elements) return snippets;
  snippets.reserve(elements->size());
  for (auto& element : *elements) {
    if (auto* entries = std::get_if<PropertyListValue::Dictionary>(&storageOf(element))) {
      import_internal::addReplacement(snippets, *entries);
    }
    // A list given up is freed entry by entry, while each is still in cache and so that the
    // whole tree and all the snippets are never held at once.
    if constexpr (given) element = PropertyListValue();
  }
  return snippets;
}

}  // namespace

bool looksLikeTextReplacements(const PropertyListValue& value) {
  return value.isArray() && !value.array().empty() &&
         import_internal::opensTextReplacements(value.array().front());
}

std::vector<ImportedSnippet> parse(const PropertyListValue& value) { return snippetsOf(value); }

std::vector<ImportedSnippet> parse(PropertyListValue&& value) { return snippetsOf(value); }

}  // namespace kelvo::ApplePlistParser
