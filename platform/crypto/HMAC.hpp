#pragma once

// Message authentication: a paired device proves that it holds the shared key by the code of
// a fresh challenge, and the other side checks the code without telling, by its timing, how
// much of a forged code was right:
//
//   const crypto::SymmetricKey key = crypto::SymmetricKey::random();
//   const Bytes challenge = crypto::randomBytes(32);
//   const crypto::HMACSHA256::Code proof = crypto::HMACSHA256::authenticationCode(challenge, key);
//   const bool valid = crypto::HMACSHA256::isValidAuthenticationCode(proof, challenge, key);

#include <array>
#include <cstdint>
#include <span>

#include "platform/crypto/SymmetricKey.hpp"

namespace kelvo::crypto {

/// HMAC-SHA256 (RFC 2104) message authentication codes.
struct HMACSHA256 {
  static constexpr std::size_t byteCount = 32;
  using Code = std::array<std::uint8_t, byteCount>;

  /// The code of `message` under `key`; a key of any length, the empty one included.
  static Code authenticationCode(std::span<const std::uint8_t> message, const SymmetricKey& key);
  /// Whether `code` is the code of `message` under `key`, compared in constant time. A code of
  /// any other length is refused.
  static bool isValidAuthenticationCode(std::span<const std::uint8_t> code,
                                        std::span<const std::uint8_t> message,
                                        const SymmetricKey& key);
};

}  // namespace kelvo::crypto
