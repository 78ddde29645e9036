#include "platform/crypto/Random.hpp"

#include <openssl/crypto.h>
#include <openssl/rand.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/foundation/Error.hpp"

namespace kelvo::crypto {

void fillRandom(std::span<std::uint8_t> bytes) {
  // The generator takes an int count; larger requests go in pieces.
  while (!bytes.empty()) {
    const std::size_t piece = std::min<std::size_t>(bytes.size(), INT_MAX);
    // Without randomness no key, nonce or token is safe: stopping is the only sound answer.
    if (RAND_bytes(bytes.data(), static_cast<int>(piece)) != 1) {
      fatal("The system's random generator failed");
    }
    bytes = bytes.subspan(piece);
  }
}

Bytes randomBytes(std::size_t count) {
  Bytes bytes(count);
  fillRandom(bytes);
  return bytes;
}

std::uint64_t randomUInt64() {
  std::uint8_t bytes[8];
  fillRandom(bytes);
  std::uint64_t value = 0;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

bool constantTimeEquals(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
  if (a.size() != b.size()) return false;
  return CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace kelvo::crypto
