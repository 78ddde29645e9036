#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/import/CSVReader.hpp"
#include "core/import/ImportedSnippet.hpp"

/// Turns a CSV table into snippets: columns come from a recognised header row, else from the
/// fixed order keyword, body, title.
///
///   CSVSnippetParser::parse(CSVReader::read("Shortcut,Expansion\n;sig,Best\n"))
///   // one snippet: keyword ";sig", body "Best"
namespace kelvo::CSVSnippetParser {

/// The 0-based column of each part of a snippet; none when no column holds it.
struct Columns {
  std::optional<std::size_t> keyword;
  std::optional<std::size_t> title;
  std::optional<std::size_t> body;
  std::optional<std::size_t> folder;
  friend bool operator==(const Columns&, const Columns&) = default;
};

// Header names, compared trimmed and lower-cased.
inline constexpr std::array<std::string_view, 4> keywordHeaders{"abbreviation", "keyword",
                                                                "shortcut", "trigger"};
inline constexpr std::array<std::string_view, 3> titleHeaders{"name", "label", "title"};
inline constexpr std::array<std::string_view, 6> bodyHeaders{"snippet", "text",    "content",
                                                             "phrase",  "replace", "expansion"};
inline constexpr std::array<std::string_view, 4> folderHeaders{"group", "folder", "collection",
                                                               "category"};

/// The columns a header row names, the leftmost cell winning; none when no cell names one.
std::optional<Columns> columns(const CSVReader::Row& header);
std::optional<Columns> columns(const std::vector<std::string>& header);
/// Whether the table has rows and its first is a header.
bool hasHeader(const CSVReader::Table& table);
/// The lowest column below `columnCount` that holds no other part; none when all are taken.
std::optional<std::size_t> fillingBody(const Columns& columns, std::size_t columnCount);
/// One snippet per data row, in order, empty rows included.
std::vector<ImportedSnippet> parse(const CSVReader::Table& table);

}  // namespace kelvo::CSVSnippetParser
