#pragma once

// Authenticated encryption for the remote-control session: what is sealed can be read only
// with the key, and opening gives nothing at all when a single byte was changed on the way.
// The combined form (nonce, ciphertext, tag) is what goes on the wire:
//
//   const crypto::SymmetricKey key = crypto::SymmetricKey::random();  // 256 bits
//   const Bytes sealed = crypto::ChaChaPoly::sealCombined(toBytes("hello"), key);  // 5 + 28 bytes
//   const std::optional<Bytes> opened = crypto::ChaChaPoly::openCombined(sealed, key);
//   const crypto::SymmetricKey other = crypto::SymmetricKey::random();
//   const bool refused = !crypto::ChaChaPoly::openCombined(sealed, other);  // true: wrong key

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/crypto/SymmetricKey.hpp"
#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/Error.hpp"

namespace kelvo::crypto {

/// The cipher refused to seal: a key that is not 256 bits, or a failure inside the library.
class CryptoError : public Error {
 public:
  using Error::Error;
};

/// ChaCha20-Poly1305 authenticated encryption as RFC 8439 defines it: a 256-bit key, a 96-bit
/// nonce and a 128-bit tag.
namespace ChaChaPoly {

inline constexpr std::size_t keyByteCount = 32;
inline constexpr std::size_t nonceByteCount = 12;
inline constexpr std::size_t tagByteCount = 16;

using Nonce = std::array<std::uint8_t, nonceByteCount>;
using Tag = std::array<std::uint8_t, tagByteCount>;

/// A fresh nonce from the system's generator.
Nonce randomNonce();

/// What sealing gives: the nonce, the ciphertext (as long as the plaintext) and the tag.
class SealedBox {
 public:
  /// Splits the combined form: the nonce, the ciphertext, then the tag. None for fewer than
  /// 28 bytes, which cannot hold a nonce and a tag.
  static std::optional<SealedBox> fromCombined(std::span<const std::uint8_t> combined);

  SealedBox(const Nonce& nonce, Bytes ciphertext, const Tag& tag)
      : nonce_(nonce), ciphertext_(std::move(ciphertext)), tag_(tag) {}

  const Nonce& nonce() const { return nonce_; }
  const Bytes& ciphertext() const { return ciphertext_; }
  const Tag& tag() const { return tag_; }
  /// Nonce, ciphertext and tag in one string: 28 bytes longer than the plaintext.
  Bytes combined() const;

 private:
  friend std::optional<Bytes> open(SealedBox&& box, const SymmetricKey& key,
                                   std::span<const std::uint8_t> associatedData);

  Nonce nonce_;
  Bytes ciphertext_;
  Tag tag_;
};

/// Seals `plaintext` under `key` with `nonce` (a random one when none is given) and the
/// associated data, which is authenticated but not encrypted. Throws `CryptoError` for a key
/// that is not 256 bits. Never reuse a nonce with the same key.
SealedBox seal(std::span<const std::uint8_t> plaintext, const SymmetricKey& key,
               const std::optional<Nonce>& nonce = std::nullopt,
               std::span<const std::uint8_t> associatedData = {});

/// The plaintext, or none when the tag does not verify under `key` and the associated data
/// (a wrong key, any changed byte) or the key is not 256 bits. Nothing unauthenticated is
/// ever returned.
std::optional<Bytes> open(const SealedBox& box, const SymmetricKey& key,
                          std::span<const std::uint8_t> associatedData = {});

/// As above, for a box no longer needed: its ciphertext is opened in place and becomes the
/// plaintext, so opening allocates nothing. The box is left empty either way.
std::optional<Bytes> open(SealedBox&& box, const SymmetricKey& key,
                          std::span<const std::uint8_t> associatedData = {});

/// Seals `plaintext` under `key` straight into the combined form (nonce, ciphertext, tag), in
/// one buffer of the plaintext's length + 28, with a fresh random nonce unless one is given and
/// no associated data. Throws `CryptoError` for a key that is not 256 bits.
Bytes sealCombined(std::span<const std::uint8_t> plaintext, const SymmetricKey& key,
                   const std::optional<Nonce>& nonce = std::nullopt);

/// Opens a combined form read in place: the plaintext, or none for fewer than 28 bytes, a key
/// that is not 256 bits, or a tag that does not verify.
std::optional<Bytes> openCombined(std::span<const std::uint8_t> combined, const SymmetricKey& key);

}  // namespace ChaChaPoly
}  // namespace kelvo::crypto
