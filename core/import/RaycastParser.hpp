#pragma once

#include <vector>

#include "core/import/ImportedSnippet.hpp"
#include "platform/foundation/JSON.hpp"

/// Raycast's snippet export: a JSON array of objects with "name", "text" and "keyword".
///
///   RaycastParser::parse(json::parse(R"([{"name": "Sig", "text": "Best"}])"))
namespace kelvo::RaycastParser {

/// A non-empty array whose first element is an object with "text" and "name" or "keyword".
bool looksLikeRaycast(const Json& value);
/// One snippet per object of the array, in order; other elements are skipped. An object
/// without a text "text" still gives a snippet, with an empty body and a warning.
std::vector<ImportedSnippet> parse(const Json& value);

}  // namespace kelvo::RaycastParser
