// Reads bytes as a CSV table, with the detected delimiter and with a semicolon, and turns the
// table into snippets: every data row must give exactly one snippet. Rows handed out one at a
// time must match the table's, field by field and byte for byte.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/import/CSVSnippetParser.hpp"
#include "core/import/internal/CSVRows.hpp"
#include "fuzz/FuzzInput.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kelvo::fuzz::text(data, size);
  for (const std::optional<char32_t> delimiter : {std::optional<char32_t>(), std::optional(U';')}) {
    const kelvo::CSVReader::Table table = kelvo::CSVReader::read(text, delimiter);
    std::size_t bytes = 0;
    for (const auto& row : table.rows) {
      if (row.empty()) std::abort();
      std::size_t column = 0;
      for (const std::string_view field : row) {
        if (field != row[column++]) std::abort();
        bytes += field.size();
      }
    }
    if (bytes > size) std::abort();
    std::size_t index = 0;
    kelvo::import_internal::scanRows(text, delimiter, [&](const kelvo::CSVReader::Row& row) {
      if (index >= table.rows.size() || row.strings() != table.rows[index++].strings()) {
        std::abort();
      }
      return true;
    });
    if (index != table.rows.size() || !(kelvo::CSVReader::Rows(table.rows) == table.rows)) {
      std::abort();
    }
    const auto snippets = kelvo::CSVSnippetParser::parse(table);
    const std::size_t header = kelvo::CSVSnippetParser::hasHeader(table) ? 1 : 0;
    if (snippets.size() + header != table.rows.size()) std::abort();
  }
  return 0;
}
