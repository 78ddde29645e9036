#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/import/ImportedSnippet.hpp"

namespace kelvo::importing {

/// Takes one row (its fields may be moved out); false stops the scan.
using RowSink = std::function<bool(std::vector<std::string>& row)>;

/// Reads `text` as `CSVReader::read` does, handing each kept row to `sink` instead of building
/// a table; returns the delimiter used.
char32_t scanRows(std::string_view text, std::optional<char32_t> delimiter, const RowSink& sink);

/// About how many rows `text` holds, for reserving room: line feeds outside quotes, counted
/// without the finer rules of the reader, and never more than one per 32 bytes.
std::size_t estimatedRows(std::string_view text);

/// `CSVSnippetParser::parse(CSVReader::read(text))`, row by row, without building the table.
std::vector<ImportedSnippet> csvSnippets(std::string_view text);

}  // namespace kelvo::importing
