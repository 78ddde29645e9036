#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/foundation/Bytes.hpp"

namespace kelvo {

/// Standard Base64 (RFC 4648 alphabet) with "=" padding and no line breaks.
std::string base64Encoded(std::span<const std::uint8_t> bytes);

/// Strict decoding of what `base64Encoded` writes: none for a length that is not a multiple of
/// four, any character outside the alphabet (white space included), misplaced or missing padding,
/// or non-zero bits in the last character before padding.
std::optional<Bytes> base64Decoded(std::string_view text);

}  // namespace kelvo
