#pragma once

// Randomness and comparison for secrets. Challenges, tokens, nonces and pairing codes come from
// the system's secure generator, never from a seeded engine; a secret is compared with
// `constantTimeEquals`, whose time says nothing about where a guess went wrong:
//
//   const Bytes challenge = crypto::randomBytes(32);
//   const std::uint64_t draw = crypto::randomUInt64();
//   const bool matches = crypto::constantTimeEquals(asBytes(token), asBytes(candidate));

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
