#pragma once

#include <cstdint>
#include <span>

#include "platform/foundation/Bytes.hpp"

namespace kelvo::crypto {

/// Fills `bytes` from the system's cryptographically secure generator.
void fillRandom(std::span<std::uint8_t> bytes);
/// `count` bytes from the system's cryptographically secure generator.
Bytes randomBytes(std::size_t count);
/// One 64-bit value from the same generator.
std::uint64_t randomUInt64();

/// Whether two byte strings are equal, in time that depends only on their length. Strings of
/// different lengths are unequal and are not compared. Use it for every secret: never `==` or
/// `memcmp`, which stop at the first difference.
bool constantTimeEquals(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

}  // namespace kelvo::crypto
