#pragma once

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

/// `FormatSniffer::decode`, without a copy of UTF-8 data: the text is a view of `data`, or of
/// `storage` when the data had to be converted.
std::optional<std::string_view> decode(std::span<const std::uint8_t> data, std::string& storage);

/// `FormatSniffer::detect(text, filename)`, keeping in `tree` what it parsed.
FormatSniffer::Detection detect(std::string_view text, std::optional<std::string_view> filename,
                                SniffedTree& tree);

}  // namespace kelvo::importing
