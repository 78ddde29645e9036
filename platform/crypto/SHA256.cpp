#include "platform/crypto/SHA256.hpp"

#include <openssl/evp.h>

#include <memory>
#include <utility>

#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/Error.hpp"

namespace kelvo::crypto {
namespace {

// Hashing cannot fail on any input; a library that cannot hash is broken beyond recovery.
void check(int result, const char* step) {
  if (result != 1) fatal(std::string("SHA-256: ") + step + " failed in OpenSSL");
}

// Fetched once: naming the algorithm on every call makes OpenSSL look it up again, which costs
// more than hashing a short text. Kept for the life of the process.
const EVP_MD* algorithm() {
  static const EVP_MD* const fetched = [] {
    EVP_MD* md = EVP_MD_fetch(nullptr, "SHA2-256", nullptr);
    if (md == nullptr) fatal("SHA-256: OpenSSL has no SHA-256");
    return md;
  }();
  return fetched;
}

struct ContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

// One context a thread for the one-call form, so that hashing allocates nothing.
EVP_MD_CTX* threadContext() {
  thread_local const std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
  if (context == nullptr) fatal("SHA-256: out of memory");
  return context.get();
}

}  // namespace

SHA256::Digest SHA256::hash(std::span<const std::uint8_t> bytes) {
  EVP_MD_CTX* const context = threadContext();
  check(EVP_DigestInit_ex2(context, algorithm(), nullptr), "init");
  check(EVP_DigestUpdate(context, bytes.data(), bytes.size()), "update");
  Digest digest;
  unsigned int length = 0;
  check(EVP_DigestFinal_ex(context, digest.data(), &length), "final");
  return digest;
}

SHA256::Digest SHA256::hash(std::string_view bytes) { return hash(asBytes(bytes)); }

SHA256::SHA256() : context_(EVP_MD_CTX_new()) {
  if (context_ == nullptr) fatal("SHA-256: out of memory");
  check(EVP_DigestInit_ex2(context_, algorithm(), nullptr), "init");
}

SHA256::~SHA256() { EVP_MD_CTX_free(context_); }

SHA256::SHA256(SHA256&& other) noexcept : context_(std::exchange(other.context_, nullptr)) {}

SHA256& SHA256::operator=(SHA256&& other) noexcept {
  std::swap(context_, other.context_);
  return *this;
}

void SHA256::update(std::span<const std::uint8_t> bytes) {
  if (context_ == nullptr) fatal("SHA-256: update on a moved-from hasher");
  check(EVP_DigestUpdate(context_, bytes.data(), bytes.size()), "update");
}

void SHA256::update(std::string_view bytes) { update(asBytes(bytes)); }

SHA256::Digest SHA256::finalize() {
  if (context_ == nullptr) fatal("SHA-256: finalize on a moved-from hasher");
  Digest digest;
  unsigned int length = 0;
  check(EVP_DigestFinal_ex(context_, digest.data(), &length), "final");
  check(EVP_DigestInit_ex2(context_, algorithm(), nullptr), "init");
  return digest;
}

}  // namespace kelvo::crypto
