#pragma once

#include <compare>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kelvo::text {

// Comparison for people, through the collator of the current locale.

/// Orders as the current locale sorts ("a" < "B" < "c"); case and diacritics still tell texts
/// apart once everything else is equal.
std::weak_ordering localizedCompare(std::string_view a, std::string_view b);
/// As `localizedCompare`, with case ignored but diacritics not.
std::weak_ordering localizedCaseInsensitiveCompare(std::string_view a, std::string_view b);
/// A key whose byte order is the order of `localizedCaseInsensitiveCompare` (equal keys for
/// texts that compare the same), for sorting many texts with one collation each.
std::string localizedCaseInsensitiveSortKey(std::string_view text);
/// The first `into.size()` bytes of a key in the order of `localizedCaseInsensitiveCompare`,
/// padded with zeros. Made from the leading characters only, so it costs much less than a whole
/// key: texts whose prefixes differ compare as the prefixes do; equal prefixes tell nothing.
/// Only prefixes made by this function compare with each other.
void localizedCaseInsensitiveSortKeyPrefix(std::string_view text, std::span<std::uint8_t> into);

}  // namespace kelvo::text
