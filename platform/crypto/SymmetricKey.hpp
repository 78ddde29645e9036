#pragma once

// The key that HMAC and ChaCha20-Poly1305 take: fresh from the system's generator, or made
// from bytes agreed elsewhere, such as a digest of a pairing secret:
//
//   const crypto::SymmetricKey fresh = crypto::SymmetricKey::random();  // 256 bits
//   const crypto::SymmetricKey agreed(crypto::SHA256::hash(sharedSecret));
//   const std::size_t bits = agreed.bitCount();  // 256

#include <cstdint>
#include <span>
#include <vector>

namespace kelvo::crypto {

/// Key bytes of any length, wiped from memory when the key goes.
class SymmetricKey {
 public:
  explicit SymmetricKey(std::span<const std::uint8_t> bytes);
  /// A fresh key of `byteCount` random bytes (32: a 256-bit key).
  static SymmetricKey random(std::size_t byteCount = 32);

  SymmetricKey(const SymmetricKey& other);
  SymmetricKey& operator=(const SymmetricKey& other);
  ~SymmetricKey();

  std::span<const std::uint8_t> bytes() const { return bytes_; }
  std::size_t bitCount() const { return bytes_.size() * 8; }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace kelvo::crypto
