#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "core/import/CSVRows.hpp"

/// Reads comma-, semicolon- or tab-separated text into rows of fields, in one pass over the
/// bytes. Characters are grapheme clusters: a delimiter or quote that a combining mark joins
/// is ordinary text. No text is malformed: an unclosed quote runs to the end.
///
///   const CSVReader::Table table = CSVReader::read("Trigger,Replace\n;sig,\"Best,\nAda\"\n");
///   // table.delimiter == ','; table.rows[1][1] == "Best,\nAda"
namespace kelvo::CSVReader {

/// In the order ties are settled.
inline constexpr std::array<char32_t, 3> candidateDelimiters{U',', U';', U'\t'};

struct Table {
  /// Each row's fields in order; rows may differ in width.
  Rows rows;
  /// The delimiter used.
  char32_t delimiter = U',';

  /// Fields compare by canonical equivalence.
  friend bool operator==(const Table& a, const Table& b);
};

/// The candidate found most often on the first line (up to its first line break), quotes not
/// considered; comma when none is found.
char32_t detectDelimiter(std::string_view text);

/// Reads `text` (a leading U+FEFF dropped) with `delimiter`, or the detected one. A line break
/// outside quotes ends a row; a double quote anywhere in a field opens quoting, where two
/// quotes stand for one. Rows of one field that is empty or only spaces and tabs are dropped;
/// fields are neither trimmed nor padded. The table's text is reserved once, at the size of
/// `text`; a text of `Rows::maxTextSize` bytes or more is refused with `std::length_error`.
Table read(std::string_view text, std::optional<char32_t> delimiter = std::nullopt);

}  // namespace kelvo::CSVReader
