// Imports bytes as a file with every forced format and with none: every road ends in snippets
// or an import error, and a forced format is the format of any success.
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "core/import/SnippetImporter.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  std::optional<kelvo::ImportFormat> forced;
  for (std::size_t round = 0; round <= kelvo::allCases<kelvo::ImportFormat>().size(); ++round) {
    const auto parsed = kelvo::SnippetImporter::parse(bytes, "fuzz.txt", forced);
    if (parsed && forced && parsed->format != *forced) std::abort();
    if (parsed && parsed->sourceName.empty()) std::abort();
    if (!parsed) (void)parsed.error().message();
    if (round < kelvo::allCases<kelvo::ImportFormat>().size()) {
      forced = kelvo::allCases<kelvo::ImportFormat>()[round];
    }
  }
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)kelvo::SnippetImporter::nudgeCount(text);
  return 0;
}
