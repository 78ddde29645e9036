// Reads bytes as JSON and hands the tree to the Raycast and Alfred readers: a recognised export
// always gives at least one snippet. Read straight from the text, without the tree, the bytes
// give the same verdict, the same snippets byte for byte, or the same failure at the same byte,
// also with a limit of exactly as many snippets or one fewer.
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string_view>
#include <utility>

#include "core/import/AlfredParser.hpp"
#include "core/import/RaycastParser.hpp"
#include "core/import/internal/JSONExports.hpp"
#include "fuzz/FuzzInput.hpp"

namespace {

using kelvo::ImportedSnippet;
using kelvo::ImportFormat;

bool sameBytes(const std::vector<ImportedSnippet>& a, const std::vector<ImportedSnippet>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].title != b[i].title || a[i].body != b[i].body || a[i].keyword != b[i].keyword ||
        a[i].warnings.size() != b[i].warnings.size()) {
      return false;
    }
    for (std::size_t w = 0; w < a[i].warnings.size(); ++w) {
      if (a[i].warnings[w].message() != b[i].warnings[w].message()) return false;
    }
  }
  return true;
}

// The failure reading straight from the text meets, which must be the tree's.
void failsAlike(std::string_view text, const kelvo::DecodingError& expected) {
  try {
    (void)kelvo::import_internal::jsonExport(text, 0);
  } catch (const kelvo::DecodingError& error) {
    kelvo::fuzz::require(error.offset() == expected.offset() &&
                         error.description() == expected.description());
    return;
  }
  std::abort();
}

void readsAlike(std::string_view text, const kelvo::Json& value) {
  using kelvo::import_internal::jsonExport;
  const bool raycast = kelvo::RaycastParser::looksLikeRaycast(value);
  const bool alfred = !raycast && kelvo::AlfredParser::looksLikeAlfred(value);
  const auto expectedRaycast = kelvo::RaycastParser::parse(value);
  const auto expectedAlfred = kelvo::AlfredParser::parse(value);
  const auto found = jsonExport(text, SIZE_MAX);
  const std::optional<ImportFormat> format =
      raycast ? ImportFormat::raycast
              : (alfred ? std::optional(ImportFormat::alfred) : std::optional<ImportFormat>());
  kelvo::fuzz::require(found.format == format);
  if (format) {
    const auto& expected = raycast ? expectedRaycast : expectedAlfred;
    kelvo::fuzz::require(found.count == expected.size() && sameBytes(*found.snippets, expected));
    // A limit of exactly the count makes them, one fewer none, whether or not counted first.
    const auto atLimit = jsonExport(text, expected.size());
    kelvo::fuzz::require(atLimit.snippets && sameBytes(*atLimit.snippets, expected));
    if (!expected.empty()) {
      const auto over = jsonExport(text, expected.size() - 1);
      kelvo::fuzz::require(over.count == expected.size() && !over.snippets);
    }
  }
  for (const auto& [tool, expected] : {std::pair(ImportFormat::raycast, &expectedRaycast),
                                       std::pair(ImportFormat::alfred, &expectedAlfred)}) {
    kelvo::fuzz::require(sameBytes(*jsonExport(text, tool, SIZE_MAX).snippets, *expected));
    const auto atLimit = jsonExport(text, tool, expected->size());
    kelvo::fuzz::require(atLimit.snippets && sameBytes(*atLimit.snippets, *expected));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = kelvo::fuzz::text(data, size);
  kelvo::Json value;
  try {
    value = kelvo::json::parse(text);
  } catch (const kelvo::DecodingError& error) {
    // A bare scalar or a number out of range has no offset; any other failure has one.
    if (error.offset() && *error.offset() > size) std::abort();
    failsAlike(text, error);
    return 0;
  }
  if (kelvo::RaycastParser::looksLikeRaycast(value) && kelvo::RaycastParser::parse(value).empty()) {
    std::abort();
  }
  if (kelvo::AlfredParser::looksLikeAlfred(value) && kelvo::AlfredParser::parse(value).empty()) {
    std::abort();
  }
  readsAlike(text, value);
  return 0;
}
