#pragma once

#include <vector>

#include "core/import/ImportedSnippet.hpp"
#include "platform/foundation/JSON.hpp"

/// Alfred's snippet files: objects wrapping each snippet under "alfredsnippet", alone or in an
/// array.
///
///   AlfredParser::parse(json::parse(R"({"alfredsnippet": {"snippet": "Hi", "keyword": "hi"}})"))
namespace kelvo::AlfredParser {

/// An object whose "alfredsnippet" is an object, or a non-empty array whose first element is.
bool looksLikeAlfred(const Json& value);
/// One snippet per wrapping object, in order; an object without a usable "alfredsnippet"
/// gives none.
std::vector<ImportedSnippet> parse(const Json& value);

}  // namespace kelvo::AlfredParser
