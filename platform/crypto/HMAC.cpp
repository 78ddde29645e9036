#include "platform/crypto/HMAC.hpp"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <memory>

#include "platform/crypto/Random.hpp"
#include "platform/foundation/Error.hpp"

namespace kelvo::crypto {
namespace {

struct ContextFree {
  void operator()(EVP_MAC_CTX* context) const { EVP_MAC_CTX_free(context); }
};

// Fetched once: the algorithm object is shared safely between threads; contexts are not.
EVP_MAC* hmac() {
  static EVP_MAC* const mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
  if (mac == nullptr) fatal("HMAC-SHA256: OpenSSL has no HMAC");
  return mac;
}

void check(int result, const char* step) {
  if (result != 1) fatal(std::string("HMAC-SHA256: ") + step + " failed in OpenSSL");
}

}  // namespace

HMACSHA256::Code HMACSHA256::authenticationCode(std::span<const std::uint8_t> message,
                                                const SymmetricKey& key) {
  std::unique_ptr<EVP_MAC_CTX, ContextFree> context(EVP_MAC_CTX_new(hmac()));
  if (!context) fatal("HMAC-SHA256: out of memory");
  char digest[] = "SHA256";
  const OSSL_PARAM parameters[] = {
      OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0), OSSL_PARAM_END};
  // A null key pointer means "keep the old key"; the empty key needs a real, empty buffer.
  static const std::uint8_t none = 0;
  const auto keyBytes = key.bytes();
  check(EVP_MAC_init(context.get(), keyBytes.empty() ? &none : keyBytes.data(), keyBytes.size(),
                     parameters),
        "init");
  check(EVP_MAC_update(context.get(), message.data(), message.size()), "update");
  Code code;
  std::size_t length = 0;
  check(EVP_MAC_final(context.get(), code.data(), &length, code.size()), "final");
  if (length != code.size()) fatal("HMAC-SHA256: unexpected code length");
  return code;
}

bool HMACSHA256::isValidAuthenticationCode(std::span<const std::uint8_t> code,
                                           std::span<const std::uint8_t> message,
                                           const SymmetricKey& key) {
  if (code.size() != byteCount) return false;
  return constantTimeEquals(code, authenticationCode(message, key));
}

}  // namespace kelvo::crypto
