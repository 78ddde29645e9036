// Imports bytes as a file with every forced format and with none: every road ends in snippets
// or an import error, and a forced format is the format of any success. Read as CSV, the text
// gives what the plain steps give: the table, its snippets, newlines, then the translation. A
// count offered for a pasted text is what its import gives.
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "core/import/CSVReader.hpp"
#include "core/import/CSVSnippetParser.hpp"
#include "core/import/PlaceholderTranslator.hpp"
#include "core/import/PlainTextSplitter.hpp"
#include "core/import/SnippetImporter.hpp"
#include "fuzz/FuzzInput.hpp"

namespace {

void csvAgreesWithPlainSteps(std::string_view text) {
  using namespace kelvo;
  const auto parsed = SnippetImporter::parse(text, "fuzz.csv", ImportFormat::csv);
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  const auto expected = CSVSnippetParser::parse(CSVReader::read(text));
  if (!parsed || parsed->snippets.size() != expected.size()) std::abort();
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const ImportedSnippet& got = parsed->snippets[i];
    const auto translated = PlaceholderTranslator::translate(
        PlainTextSplitter::normalisedNewlines(expected[i].body), PlaceholderSyntax::textExpander);
    if (got.body != translated.body || got.warnings != translated.warnings ||
        got.title != expected[i].title || got.keyword != expected[i].keyword ||
        got.folderPath != expected[i].folderPath) {
      std::abort();
    }
  }
}

}  // namespace

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
  const std::string_view text = kelvo::fuzz::text(data, size);
  // Without a byte-order mark the pasted text is recognised as the nudge recognised it.
  if (const auto count = kelvo::SnippetImporter::nudgeCount(text);
      count && !text.starts_with("\xEF\xBB\xBF")) {
    const auto parsed = kelvo::SnippetImporter::parse(text, std::nullopt, std::nullopt);
    if (!parsed || static_cast<std::int64_t>(parsed->snippets.size()) != *count) std::abort();
  }
  csvAgreesWithPlainSteps(text);
  return 0;
}
