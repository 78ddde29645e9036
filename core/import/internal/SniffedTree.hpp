#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/import/FormatSniffer.hpp"
#include "platform/foundation/JSON.hpp"
#include "platform/foundation/PropertyList.hpp"

namespace kelvo::importing {

/// The tree the sniffer read while deciding, kept so that the reader need not parse the same
/// text a second time.
struct SniffedTree {
  std::optional<Json> json;
  std::optional<PropertyListValue> propertyList;
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
                                SniffedTree& tree);

}  // namespace kelvo::importing
