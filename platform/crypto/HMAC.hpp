#pragma once

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
