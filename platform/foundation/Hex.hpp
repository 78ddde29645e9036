#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/foundation/Bytes.hpp"

namespace kelvo {

/// The value of one hexadecimal digit in either case, or -1 for any other character.
int hexDigitValue(char c);

/// Two lower-case hexadecimal digits per byte ("00ff1a").
std::string hexString(std::span<const std::uint8_t> bytes);

/// The bytes of an even number of hexadecimal digits in either case; none for anything else.
std::optional<Bytes> parseHex(std::string_view text);

}  // namespace kelvo
