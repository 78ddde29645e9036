#include "platform/crypto/SymmetricKey.hpp"

#include <openssl/crypto.h>

#include "platform/crypto/Random.hpp"

namespace kelvo::crypto {

SymmetricKey::SymmetricKey(std::span<const std::uint8_t> bytes)
    : bytes_(bytes.begin(), bytes.end()) {}

SymmetricKey SymmetricKey::random(std::size_t byteCount) {
  // Filled in place, so that no other buffer ever holds the key.
  SymmetricKey key(std::span<const std::uint8_t>{});
  key.bytes_.resize(byteCount);
  fillRandom(key.bytes_);
  return key;
}

SymmetricKey::SymmetricKey(const SymmetricKey& other) : bytes_(other.bytes_) {}

SymmetricKey& SymmetricKey::operator=(const SymmetricKey& other) {
  if (this != &other) {
    OPENSSL_cleanse(bytes_.data(), bytes_.size());
    bytes_ = other.bytes_;
  }
  return *this;
}

SymmetricKey::~SymmetricKey() { OPENSSL_cleanse(bytes_.data(), bytes_.size()); }

}  // namespace kelvo::crypto
