// Reads bytes as a CSV table, with the detected delimiter and with a semicolon, and turns the
// table into snippets: every data row must give exactly one snippet.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/import/CSVSnippetParser.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (const std::optional<char32_t> delimiter : {std::optional<char32_t>(), std::optional(U';')}) {
    const kelvo::CSVReader::Table table = kelvo::CSVReader::read(text, delimiter);
    std::size_t bytes = 0;
    for (const auto& row : table.rows) {
      if (row.empty()) std::abort();
      for (const auto& field : row) bytes += field.size();
    }
    if (bytes > size) std::abort();
    const auto snippets = kelvo::CSVSnippetParser::parse(table);
    const std::size_t header = kelvo::CSVSnippetParser::hasHeader(table) ? 1 : 0;
    if (snippets.size() + header != table.rows.size()) std::abort();
  }
  return 0;
}
