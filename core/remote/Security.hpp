#pragma once

// The protocol's cryptographic steps: challenges, HMAC-SHA256 proofs that a device holds a shared
// key (a pairing code's or a resume token's), and sessions sealing with ChaCha20-Poly1305 behind a
// guard that opens no box twice. Draw a fresh challenge for every authentication:
//
//   const Bytes key = Remote::PairingCode::random(Date(0)).preSharedKey();  // both sides know it
//   const UUID deviceID = UUID::random();
//   const Bytes challenge = Remote::Security::newChallenge();  // fresh for each authentication
//   const Bytes proof = Remote::Security::proof(key, challenge, deviceID);  // the device's
//   const bool valid = Remote::Security::verify(proof, key, challenge, deviceID);  // the host's
//   const Remote::Security::Session session(key, challenge);
//   Remote::Security::ReplayGuard guard;  // one per connection
//   const Bytes box = guard.seal(session, toBytes("frame"));  // 28 bytes longer

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <span>

#include "platform/crypto/ChaChaPoly.hpp"
#include "platform/crypto/SymmetricKey.hpp"
#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo::Remote {

/// The protocol's cryptographic steps: challenges, HMAC-SHA256 proofs that a device holds a
/// shared key (a pairing code's or a resume token's), and sessions sealing with
/// ChaCha20-Poly1305. Draw a fresh challenge for every authentication: an empty or reused one
/// makes proofs replayable.
struct Security {
  static constexpr std::size_t challengeByteCount = 32;

  class ReplayGuard;

  /// 32 bytes from the system's generator.
  static Bytes newChallenge();
  /// HMAC-SHA256 under `key` of the challenge, 0x1F and the identifier's upper-case text.
  static Bytes proof(std::span<const std::uint8_t> key, std::span<const std::uint8_t> challenge,
                     const UUID& deviceID);
  /// Whether `proof` is that code, compared in constant time; a proof of any other length is
  /// refused before anything is compared.
  static bool verify(std::span<const std::uint8_t> proof, std::span<const std::uint8_t> key,
                     std::span<const std::uint8_t> challenge, const UUID& deviceID);

  /// A key derived from a shared key and a challenge (SHA-256 of key, 0x1F, challenge, 0x1F,
  /// "session"), sealing boxes of nonce, ciphertext and tag. The key is wiped with the value.
  /// Nothing here counts messages: pair it with a `ReplayGuard`.
  class Session {
   public:
    Session(std::span<const std::uint8_t> sharedKey, std::span<const std::uint8_t> challenge);

    /// The box: a fresh random nonce, the ciphertext and the tag, 28 bytes longer than
    /// `plaintext`. Throws `crypto::CryptoError` only if the cipher fails.
    Bytes seal(std::span<const std::uint8_t> plaintext) const;
    /// The plaintext, or none for anything that does not authenticate under this key.
    std::optional<Bytes> open(std::span<const std::uint8_t> box) const;

   private:
    friend class ReplayGuard;
    Bytes seal(std::span<const std::uint8_t> plaintext,
               const crypto::ChaChaPoly::Nonce& nonce) const;

    crypto::SymmetricKey key_;
  };

  /// One per connection, beside its session: it remembers the nonces of the boxes it sealed and
  /// of those it accepted, and opens no box whose nonce it has seen, so a recorded box cannot be
  /// played again and a box the host sealed cannot be reflected back to it. Nonces are random
  /// and 96 bits long, so an honest peer never repeats one. Reordering within a connection is
  /// not detected: the wire carries no counter.
  ///
  /// Random nonces leave no window to slide, so a guard remembers at most
  /// `maximumMessageCount` of them, sealed and opened together. Then it is exhausted: it opens
  /// nothing more (and so needs no more nonces of its own), and the host ends the session,
  /// closing the connection or authenticating again over a fresh challenge, whose new key no
  /// earlier box opens under.
  class ReplayGuard {
   public:
    static constexpr std::size_t maximumMessageCount = 1 << 16;

    Bytes seal(const Session& session, std::span<const std::uint8_t> plaintext);
    /// None for a box seen before, one that does not authenticate, and any box once exhausted.
    std::optional<Bytes> open(const Session& session, std::span<const std::uint8_t> box);
    bool isExhausted() const { return seen_.size() >= maximumMessageCount; }

   private:
    std::set<crypto::ChaChaPoly::Nonce> seen_;
  };
};

}  // namespace kelvo::Remote
