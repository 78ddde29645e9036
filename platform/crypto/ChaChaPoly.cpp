#include "platform/crypto/ChaChaPoly.hpp"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <algorithm>
#include <memory>

#include "platform/crypto/Random.hpp"

namespace kelvo::crypto::ChaChaPoly {
namespace {

struct ContextFree {
  void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using Context = std::unique_ptr<EVP_CIPHER_CTX, ContextFree>;

// EVP counts in int; longer inputs go through in pieces, which the stream cipher allows.
constexpr std::size_t pieceSize = 1 << 30;

// One context a thread, set up for the cipher once and given each call's key and nonce anew:
// making a context per call costs more than sealing a short message. It holds the last key
// used on its thread until the next call there, as a caller's own reused context would.
EVP_CIPHER_CTX* threadContext() {
  thread_local const Context context = [] {
    Context made(EVP_CIPHER_CTX_new());
    if (made &&
        EVP_CipherInit_ex(made.get(), EVP_chacha20_poly1305(), nullptr, nullptr, nullptr, 1) != 1) {
      made.reset();
    }
    return made;
  }();
  return context.get();
}

EVP_CIPHER_CTX* startCipher(bool encrypting, const SymmetricKey& key, const std::uint8_t* nonce,
                            std::span<const std::uint8_t> associatedData) {
  EVP_CIPHER_CTX* context = threadContext();
  if (context == nullptr) return nullptr;
  if (EVP_CipherInit_ex(context, nullptr, nullptr, key.bytes().data(), nonce, encrypting ? 1 : 0) !=
      1) {
    return nullptr;
  }
  for (auto rest = associatedData; !rest.empty();) {
    const std::size_t piece = std::min(rest.size(), pieceSize);
    int length = 0;
    if (EVP_CipherUpdate(context, nullptr, &length, rest.data(), static_cast<int>(piece)) != 1) {
      return nullptr;
    }
    rest = rest.subspan(piece);
  }
  return context;
}

bool run(EVP_CIPHER_CTX* context, std::span<const std::uint8_t> input, std::uint8_t* output) {
  while (!input.empty()) {
    const std::size_t piece = std::min(input.size(), pieceSize);
    int length = 0;
    if (EVP_CipherUpdate(context, output, &length, input.data(), static_cast<int>(piece)) != 1 ||
        static_cast<std::size_t>(length) != piece) {
      return false;
    }
    input = input.subspan(piece);
    output += piece;
  }
  return true;
}

// Runs the cipher from `input` into `output` (which may be the same bytes), then finishes: the
// tag is read into `tag` when sealing, and checked from it when opening.
bool runCipher(bool encrypting, const SymmetricKey& key, const std::uint8_t* nonce,
               std::span<const std::uint8_t> associatedData, std::span<const std::uint8_t> input,
               std::uint8_t* output, std::uint8_t* tag) {
  EVP_CIPHER_CTX* const context = startCipher(encrypting, key, nonce, associatedData);
  if (context == nullptr || !run(context, input, output)) return false;
  std::uint8_t scratch[tagByteCount];  // a stream cipher's final step writes nothing
  int length = 0;
  if (encrypting) {
    return EVP_CipherFinal_ex(context, scratch, &length) == 1 &&
           EVP_CIPHER_CTX_ctrl(context, EVP_CTRL_AEAD_GET_TAG, tagByteCount, tag) == 1;
  }
  return EVP_CIPHER_CTX_ctrl(context, EVP_CTRL_AEAD_SET_TAG, tagByteCount, tag) == 1 &&
         EVP_CipherFinal_ex(context, scratch, &length) == 1;
}

// Opens `ciphertext` into `plaintext` (which may be the same bytes, as long).
bool openInto(const std::uint8_t* nonce, std::span<const std::uint8_t> ciphertext, Tag tag,
              const SymmetricKey& key, std::span<const std::uint8_t> associatedData,
              Bytes& plaintext) {
  if (key.bytes().size() != keyByteCount) return false;
  if (!runCipher(false, key, nonce, associatedData, ciphertext, plaintext.data(), tag.data())) {
    // Decrypted but unauthenticated bytes never leave.
    OPENSSL_cleanse(plaintext.data(), plaintext.size());
    return false;
  }
  return true;
}

}  // namespace

Bytes sealCombined(std::span<const std::uint8_t> plaintext, const SymmetricKey& key,
                   const std::optional<Nonce>& nonce) {
  if (key.bytes().size() != keyByteCount) {
    throw CryptoError("ChaCha20-Poly1305 needs a 256-bit key");
  }
  const Nonce used = nonce ? *nonce : randomNonce();
  Bytes box(nonceByteCount + plaintext.size() + tagByteCount);
  std::copy(used.begin(), used.end(), box.begin());
  std::uint8_t* ciphertext = box.data() + nonceByteCount;
  if (!runCipher(true, key, used.data(), {}, plaintext, ciphertext,
                 ciphertext + plaintext.size())) {
    throw CryptoError("ChaCha20-Poly1305 sealing failed in OpenSSL");
  }
  return box;
}

std::optional<Bytes> openCombined(std::span<const std::uint8_t> combined, const SymmetricKey& key) {
  if (combined.size() < nonceByteCount + tagByteCount || key.bytes().size() != keyByteCount) {
    return std::nullopt;
  }
  Tag tag;
  std::copy(combined.end() - tagByteCount, combined.end(), tag.begin());
  Bytes plaintext(combined.begin() + nonceByteCount, combined.end() - tagByteCount);
  if (!openInto(combined.data(), plaintext, tag, key, {}, plaintext)) return std::nullopt;
  return plaintext;
}

Nonce randomNonce() {
  Nonce nonce;
  fillRandom(nonce);
  return nonce;
}

std::optional<SealedBox> SealedBox::fromCombined(std::span<const std::uint8_t> combined) {
  if (combined.size() < nonceByteCount + tagByteCount) return std::nullopt;
  Nonce nonce;
  Tag tag;
  std::copy_n(combined.begin(), nonceByteCount, nonce.begin());
  std::copy(combined.end() - tagByteCount, combined.end(), tag.begin());
  Bytes ciphertext(combined.begin() + nonceByteCount, combined.end() - tagByteCount);
  return SealedBox(nonce, std::move(ciphertext), tag);
}

Bytes SealedBox::combined() const {
  Bytes bytes;
  bytes.reserve(nonceByteCount + ciphertext_.size() + tagByteCount);
  bytes.insert(bytes.end(), nonce_.begin(), nonce_.end());
  bytes.insert(bytes.end(), ciphertext_.begin(), ciphertext_.end());
  bytes.insert(bytes.end(), tag_.begin(), tag_.end());
  return bytes;
}

SealedBox seal(std::span<const std::uint8_t> plaintext, const SymmetricKey& key,
               const std::optional<Nonce>& nonce, std::span<const std::uint8_t> associatedData) {
  if (key.bytes().size() != keyByteCount) {
    throw CryptoError("ChaCha20-Poly1305 needs a 256-bit key");
  }
  const Nonce used = nonce ? *nonce : randomNonce();
  Bytes ciphertext(plaintext.size());
  Tag tag;
  if (!runCipher(true, key, used.data(), associatedData, plaintext, ciphertext.data(),
                 tag.data())) {
    throw CryptoError("ChaCha20-Poly1305 sealing failed in OpenSSL");
  }
  return SealedBox(used, std::move(ciphertext), tag);
}

std::optional<Bytes> open(const SealedBox& box, const SymmetricKey& key,
                          std::span<const std::uint8_t> associatedData) {
  if (key.bytes().size() != keyByteCount) return std::nullopt;
  Bytes plaintext(box.ciphertext().size());
  if (!openInto(box.nonce().data(), box.ciphertext(), box.tag(), key, associatedData, plaintext)) {
    return std::nullopt;
  }
  return plaintext;
}

std::optional<Bytes> open(SealedBox&& box, const SymmetricKey& key,
                          std::span<const std::uint8_t> associatedData) {
  Bytes bytes = std::move(box.ciphertext_);
  box.ciphertext_.clear();
  if (!openInto(box.nonce().data(), bytes, box.tag(), key, associatedData, bytes)) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace kelvo::crypto::ChaChaPoly
