// Internal to core/import: include "core/import/CSVReader.hpp" instead.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/import/CSVRows.hpp"
#include "core/import/ImportedSnippet.hpp"

namespace kelvo::import_internal {

/// Takes one row, valid only during the call; false stops the scan.
using RowSink = std::function<bool(const CSVReader::Row& row)>;

/// Reads `text` as `CSVReader::read` does, handing each kept row to `sink` instead of building
/// a table (one row's text is held at a time); returns the delimiter used.
char32_t scanRows(std::string_view text, std::optional<char32_t> delimiter, const RowSink& sink);

/// About how many rows `text` holds: lines ended by LF, CR LF or a lone CR outside quotes,
/// counted without the finer rules of the reader. Exact for ordinary files; a text can fool it
/// either way.
std::size_t estimatedRows(std::string_view text);

/// `CSVSnippetParser::parse(CSVReader::read(text))`, row by row, without building the table;
/// `each`, if given, is called on every snippet as it is made, while its text is still at hand.
/// None, as soon as it is known, when there are more than `limit` snippets.
std::optional<std::vector<ImportedSnippet>> csvSnippets(
    std::string_view text, std::size_t limit,
    const std::function<void(ImportedSnippet&)>& each = nullptr);

/// How many snippets `csvSnippets` gives, counting no further than `stop`; nothing is made.
std::size_t csvSnippetCount(std::string_view text, std::size_t stop);

}  // namespace kelvo::import_internal
