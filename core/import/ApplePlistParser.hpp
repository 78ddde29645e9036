#pragma once

#include <vector>

#include "core/import/ImportedSnippet.hpp"
#include "platform/foundation/PropertyList.hpp"

/// The system's text-replacement list: a property-list array of dictionaries holding "phrase"
/// and "shortcut".
///
///   ApplePlistParser::parse(PropertyList::read(text))
namespace kelvo::ApplePlistParser {

/// A non-empty array whose first element is a dictionary with "phrase" and "shortcut".
bool looksLikeTextReplacements(const PropertyListValue& value);
/// One snippet per dictionary of the array, in order, never titled.
std::vector<ImportedSnippet> parse(const PropertyListValue& value);
/// The same snippets, with each phrase and shortcut moved out of `value` rather than copied.
std::vector<ImportedSnippet> parse(PropertyListValue&& value);

}  // namespace kelvo::ApplePlistParser
