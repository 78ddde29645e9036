#include "core/remote/Security.hpp"

#include <algorithm>

#include "platform/crypto/HMAC.hpp"
#include "platform/crypto/Random.hpp"
#include "platform/crypto/SHA256.hpp"

namespace kelvo::Remote {
namespace {

namespace ChaChaPoly = crypto::ChaChaPoly;

Bytes proofMessage(std::span<const std::uint8_t> challenge, const UUID& deviceID) {
  const std::string id = deviceID.uuidString();
  Bytes message;
  message.reserve(challenge.size() + 1 + id.size());
  message.insert(message.end(), challenge.begin(), challenge.end());
  message.push_back(0x1F);
  message.insert(message.end(), id.begin(), id.end());
  return message;
}

crypto::SymmetricKey sessionKey(std::span<const std::uint8_t> sharedKey,
                                std::span<const std::uint8_t> challenge) {
  crypto::SHA256 hasher;
  const std::uint8_t separator[] = {0x1F};
  hasher.update(sharedKey);
  hasher.update(separator);
  hasher.update(challenge);
  hasher.update(separator);
  hasher.update(std::string_view("session"));
  auto digest = hasher.finalize();
  crypto::SymmetricKey key(digest);
  std::fill(digest.begin(), digest.end(), 0);
  return key;
}

}  // namespace

Bytes Security::newChallenge() { return crypto::randomBytes(challengeByteCount); }

Bytes Security::proof(std::span<const std::uint8_t> key, std::span<const std::uint8_t> challenge,
                      const UUID& deviceID) {
  const auto code = crypto::HMACSHA256::authenticationCode(proofMessage(challenge, deviceID),
                                                           crypto::SymmetricKey(key));
  return Bytes(code.begin(), code.end());
}

bool Security::verify(std::span<const std::uint8_t> proof, std::span<const std::uint8_t> key,
                      std::span<const std::uint8_t> challenge, const UUID& deviceID) {
  if (proof.size() != crypto::HMACSHA256::byteCount) return false;
  return crypto::HMACSHA256::isValidAuthenticationCode(proof, proofMessage(challenge, deviceID),
                                                       crypto::SymmetricKey(key));
}

Security::Session::Session(std::span<const std::uint8_t> sharedKey,
                           std::span<const std::uint8_t> challenge)
    : key_(sessionKey(sharedKey, challenge)) {}

Bytes Security::Session::seal(std::span<const std::uint8_t> plaintext) const {
  return ChaChaPoly::sealCombined(plaintext, key_);
}

Bytes Security::Session::seal(std::span<const std::uint8_t> plaintext,
                              const ChaChaPoly::Nonce& nonce) const {
  return ChaChaPoly::sealCombined(plaintext, key_, nonce);
}

std::optional<Bytes> Security::Session::open(std::span<const std::uint8_t> box) const {
  return ChaChaPoly::openCombined(box, key_);
}

Bytes Security::ReplayGuard::seal(const Session& session, std::span<const std::uint8_t> plaintext) {
  ChaChaPoly::Nonce nonce = ChaChaPoly::randomNonce();
  if (isExhausted()) return session.seal(plaintext, nonce);
  while (!seen_.insert(nonce).second) nonce = ChaChaPoly::randomNonce();
  return session.seal(plaintext, nonce);
}

std::optional<Bytes> Security::ReplayGuard::open(const Session& session,
                                                 std::span<const std::uint8_t> box) {
  if (isExhausted() || box.size() < ChaChaPoly::nonceByteCount + ChaChaPoly::tagByteCount) {
    return std::nullopt;
  }
  ChaChaPoly::Nonce nonce;
  std::copy_n(box.begin(), nonce.size(), nonce.begin());
  if (seen_.contains(nonce)) return std::nullopt;
  auto plaintext = session.open(box);
  // Only an authentic box is remembered, so forged ones cannot fill the set.
  if (plaintext) seen_.insert(nonce);
  return plaintext;
}

}  // namespace kelvo::Remote
