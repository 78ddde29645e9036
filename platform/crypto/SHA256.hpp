#pragma once

// SHA-256 digests, on OpenSSL: a card's content hash, the keys a paired device resumes with and
// the remote session's key are all digests of several parts, fed in turn:
//
//   const crypto::SHA256::Digest digest = crypto::SHA256::hash("abc");
//   const std::string hex = hexString(digest);  // "ba7816bf…15ad"
//   crypto::SHA256 hasher;
//   hasher.update("ab");
//   hasher.update("c");
//   const bool same = hasher.finalize() == digest;  // true

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

struct evp_md_ctx_st;

namespace kelvo::crypto {

/// SHA-256 (FIPS 180-4), in one call or fed in pieces.
class SHA256 {
 public:
  static constexpr std::size_t byteCount = 32;
  using Digest = std::array<std::uint8_t, byteCount>;

  static Digest hash(std::span<const std::uint8_t> bytes);
  static Digest hash(std::string_view bytes);

  SHA256();
  ~SHA256();
  SHA256(SHA256&& other) noexcept;
  SHA256& operator=(SHA256&& other) noexcept;
  SHA256(const SHA256&) = delete;
  SHA256& operator=(const SHA256&) = delete;

  void update(std::span<const std::uint8_t> bytes);
  void update(std::string_view bytes);
  /// The digest of everything fed so far; the hasher then starts again from nothing.
  Digest finalize();

 private:
  evp_md_ctx_st* context_;
};

}  // namespace kelvo::crypto
