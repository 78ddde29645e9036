// Internal to core/import: include "core/import/FormatSniffer.hpp" instead.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/import/FormatSniffer.hpp"
#include "core/import/internal/JSONExports.hpp"
#include "core/import/internal/TextReplacements.hpp"

namespace kelvo::import_internal {

/// What the sniffer read while deciding, kept so that the reader need not read the same text a
/// second time.
struct Sniffed {
  /// When given, a recognised export's snippets are made as it is read, up to this many;
  /// otherwise they are only counted.
  std::optional<std::size_t> snippetLimit;
  std::optional<JSONExport> json;
  std::optional<TextReplacementList> propertyList;
};

/// Whether `data` opens as a zip archive, which is taken for a bundle of snippets.
inline bool isZip(std::span<const std::uint8_t> data) {
  static constexpr std::uint8_t magic[] = {0x50, 0x4B, 0x03, 0x04};
  return data.size() >= 4 && std::equal(magic, magic + 4, data.begin());
}

/// `FormatSniffer::decode`, without a copy of UTF-8 data: the text is a view of `data`, or of
/// `storage` when the data had to be converted.
std::optional<std::string_view> decode(std::span<const std::uint8_t> data, std::string& storage);

/// `FormatSniffer::detect(text, filename)`, keeping in `tree` what it parsed.
FormatSniffer::Detection detect(std::string_view text, std::optional<std::string_view> filename,
                                Sniffed& tree);

}  // namespace kelvo::import_internal
