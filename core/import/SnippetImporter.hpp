#pragma once

// The one door for snippet libraries from other tools and for pasted text: bytes are checked
// and decoded, the format recognised (or forced), the snippets read and their placeholders
// translated into blanks. Failures are values; nothing is thrown. What to keep of them is
// planned next (ImportPlan.hpp):
//
//     const auto parsed = SnippetImporter::parse(asBytes(fileText), "team.csv", std::nullopt);
//     if (parsed) plan(parsed->snippets, parsed->format, parsed->sourceName);

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/import/ImportError.hpp"
#include "core/import/ImportFormat.hpp"
#include "core/import/ImportedSnippet.hpp"
#include "platform/foundation/Result.hpp"

/// Reading snippets from other tools' files and from pasted text.
namespace kelvo::SnippetImporter {

/// The largest file read, in bytes (50 MiB); a file of exactly this size is read.
inline constexpr std::int64_t sizeLimit = 52'428'800;
/// The most snippets one import gives; a text that holds more is refused (`tooManySnippets`),
/// from a file or pasted. Each snippet costs its list about 160 bytes besides its texts, so
/// a file of one-letter lines within the size limit would otherwise hold 26 million of them.
inline constexpr std::int64_t snippetLimit = 1'000'000;

struct Parsed {
  ImportFormat format;
  /// Where the snippets came from: the tool's name, the file's stem, or "Clipboard".
  std::string sourceName;
  std::string suggestedShelfName;
  /// In source order, bodies translated to blanks.
  std::vector<ImportedSnippet> snippets;
  friend bool operator==(const Parsed&, const Parsed&) = default;
};

/// A file's bytes and name; `treatAs` overrides whatever the file looks like.
Result<Parsed, ImportError> parse(std::span<const std::uint8_t> data,
                                  std::optional<std::string_view> filename,
                                  std::optional<ImportFormat> treatAs);
/// A pasted text: no size limit and no decoding.
Result<Parsed, ImportError> parse(std::string_view text, std::optional<std::string_view> filename,
                                  std::optional<ImportFormat> treatAs);

/// How many snippets a pasted text would give as an import, when it is worth offering: a
/// recognised format other than lines and paragraphs, read into at least two snippets and no
/// more than `snippetLimit`. Markdown and CSV are counted without making the snippets.
std::optional<std::int64_t> nudgeCount(std::string_view text);

}  // namespace kelvo::SnippetImporter
