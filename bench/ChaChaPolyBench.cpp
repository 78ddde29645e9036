// The sealed box against OpenSSL's EVP with one context reused, at the sizes the remote protocol
// seals: a short message, a page, a file. EVP writes into buffers it reuses (the fastest a caller
// could do), and into new result buffers on every call, as the box must return them.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/crypto/ChaChaPoly.hpp"
#include "platform/crypto/Random.hpp"

namespace {

using kelvo::crypto::SymmetricKey;
namespace ChaChaPoly = kelvo::crypto::ChaChaPoly;

void BM_SealAndOpen_Box(benchmark::State& state) {
  const SymmetricKey key = SymmetricKey::random();
  const kelvo::Bytes message(static_cast<std::size_t>(state.range(0)), 0x5A);
  for (auto _ : state) {
    const auto box = ChaChaPoly::seal(message, key);
    benchmark::DoNotOptimize(ChaChaPoly::open(box, key));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SealAndOpen_Box)->Arg(64)->Arg(4096)->Arg(1 << 20);

// A box opened once it is no longer needed: its own buffer becomes the plaintext.
void BM_SealAndOpen_BoxInPlace(benchmark::State& state) {
  const SymmetricKey key = SymmetricKey::random();
  const kelvo::Bytes message(static_cast<std::size_t>(state.range(0)), 0x5A);
  for (auto _ : state) {
    auto box = ChaChaPoly::seal(message, key);
    benchmark::DoNotOptimize(ChaChaPoly::open(std::move(box), key));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SealAndOpen_BoxInPlace)->Arg(64)->Arg(4096)->Arg(1 << 20);

// Sealing then opening with EVP and one context; `Buffers` says where the results go.
template <class Buffers>
void sealAndOpenWithEVP(benchmark::State& state) {
  const SymmetricKey key = SymmetricKey::random();
  const std::vector<std::uint8_t> message(static_cast<std::size_t>(state.range(0)), 0x5A);
  Buffers buffers(message.size());
  std::uint8_t tag[16];
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  EVP_CipherInit_ex(context, EVP_chacha20_poly1305(), nullptr, nullptr, nullptr, 1);
  int length = 0;
  for (auto _ : state) {
    // What the box does besides the cipher: a fresh nonce and buffers of the message's size.
    const ChaChaPoly::Nonce nonce = ChaChaPoly::randomNonce();
    std::uint8_t* const sealed = buffers.sealed();
    EVP_CipherInit_ex(context, nullptr, nullptr, key.bytes().data(), nonce.data(), 1);
    EVP_CipherUpdate(context, sealed, &length, message.data(), static_cast<int>(message.size()));
    EVP_CipherFinal_ex(context, tag, &length);
    EVP_CIPHER_CTX_ctrl(context, EVP_CTRL_AEAD_GET_TAG, 16, tag);
    std::uint8_t* const opened = buffers.opened();
    EVP_CipherInit_ex(context, nullptr, nullptr, key.bytes().data(), nonce.data(), 0);
    EVP_CipherUpdate(context, opened, &length, sealed, static_cast<int>(message.size()));
    EVP_CIPHER_CTX_ctrl(context, EVP_CTRL_AEAD_SET_TAG, 16, tag);
    benchmark::DoNotOptimize(EVP_CipherFinal_ex(context, tag, &length));
    buffers.release();
  }
  EVP_CIPHER_CTX_free(context);
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

// Two buffers made once and written on every call: the fastest a caller can do.
class ReusedBuffers {
 public:
  explicit ReusedBuffers(std::size_t size) : sealed_(size), opened_(size) {}
  std::uint8_t* sealed() { return sealed_.data(); }
  std::uint8_t* opened() { return opened_.data(); }
  void release() {}

 private:
  std::vector<std::uint8_t> sealed_, opened_;
};

// A new byte vector for each result, freed after the call, as the box must return its
// ciphertext and its plaintext: the same allocations and the same zero-filling.
class FreshBuffers {
 public:
  explicit FreshBuffers(std::size_t size) : size_(size) {}
  std::uint8_t* sealed() { return (sealed_ = kelvo::Bytes(size_)).data(); }
  std::uint8_t* opened() { return (opened_ = kelvo::Bytes(size_)).data(); }
  void release() { opened_ = {}, sealed_ = {}; }

 private:
  std::size_t size_;
  kelvo::Bytes sealed_, opened_;
};

// The same new buffers without the zero-filling, which a byte vector cannot skip.
class FreshUnfilledBuffers {
 public:
  explicit FreshUnfilledBuffers(std::size_t size) : size_(size) {}
  std::uint8_t* sealed() {
    return (sealed_ = std::make_unique_for_overwrite<std::uint8_t[]>(size_)).get();
  }
  std::uint8_t* opened() {
    return (opened_ = std::make_unique_for_overwrite<std::uint8_t[]>(size_)).get();
  }
  void release() { opened_.reset(), sealed_.reset(); }

 private:
  std::size_t size_;
  std::unique_ptr<std::uint8_t[]> sealed_, opened_;
};

void BM_SealAndOpen_EVP(benchmark::State& state) { sealAndOpenWithEVP<ReusedBuffers>(state); }
BENCHMARK(BM_SealAndOpen_EVP)->Arg(64)->Arg(4096)->Arg(1 << 20);

void BM_SealAndOpen_EVPFreshResults(benchmark::State& state) {
  sealAndOpenWithEVP<FreshBuffers>(state);
}
BENCHMARK(BM_SealAndOpen_EVPFreshResults)->Arg(64)->Arg(4096)->Arg(1 << 20);

void BM_SealAndOpen_EVPFreshUnfilledResults(benchmark::State& state) {
  sealAndOpenWithEVP<FreshUnfilledBuffers>(state);
}
BENCHMARK(BM_SealAndOpen_EVPFreshUnfilledResults)->Arg(64)->Arg(4096)->Arg(1 << 20);

}  // namespace
