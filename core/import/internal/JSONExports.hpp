// Internal to core/import: include "core/import/SnippetImporter.hpp" instead.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "core/import/ImportFormat.hpp"
#include "core/import/ImportedSnippet.hpp"

// Raycast and Alfred exports read straight from their text, value by value, with no tree of the
// document: a tree takes about sixteen times the text. What they give is what the tool's parser
// gives for the text's tree (the last of two equal keys counts, as it does in the tree); each
// throws `DecodingError` where `json::parse` would, wherever in the text that is.
namespace kelvo::import_internal {

/// What one reading of a JSON text finds.
struct JSONExport {
  /// `raycast` when `RaycastParser::looksLikeRaycast` would accept the text's tree, else
  /// `alfred` when `AlfredParser::looksLikeAlfred` would, else none.
  std::optional<ImportFormat> format;
  /// How many snippets that tool's parser gives.
  std::size_t count = 0;
  /// Those snippets, when asked for and no more than the limit.
  std::optional<std::vector<ImportedSnippet>> snippets;
};

/// Recognises the export and, given a limit, makes its snippets in the same reading; past the
/// limit nothing more is kept, but the rest is still read and counted. A text with more braces
/// than the limit is counted first, and its snippets made only when they fit.
JSONExport jsonExport(std::string_view text, std::optional<std::size_t> limit);

/// Reads the text as `format`'s export, whatever it looks like: the snippets
/// `RaycastParser::parse` (for `raycast`) or `AlfredParser::parse` (for `alfred`) gives for the
/// text's tree, made up to `limit` and counted as `jsonExport` counts them; `format` is the one
/// given.
JSONExport jsonExport(std::string_view text, ImportFormat format, std::size_t limit);

}  // namespace kelvo::import_internal
