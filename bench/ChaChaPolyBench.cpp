// The sealed box against OpenSSL's EVP with one context reused, the fastest a caller could do,
// at the sizes the remote protocol seals: a short message, a page, a file.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
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

void BM_SealAndOpen_EVP(benchmark::State& state) {
  const SymmetricKey key = SymmetricKey::random();
  const std::vector<std::uint8_t> message(static_cast<std::size_t>(state.range(0)), 0x5A);
  std::vector<std::uint8_t> sealed(message.size()), opened(message.size());
  std::uint8_t tag[16];
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  EVP_CipherInit_ex(context, EVP_chacha20_poly1305(), nullptr, nullptr, nullptr, 1);
  int length = 0;
  for (auto _ : state) {
    // What the box does besides the cipher: a fresh nonce and buffers of the message's size.
    const ChaChaPoly::Nonce nonce = ChaChaPoly::randomNonce();
    EVP_CipherInit_ex(context, nullptr, nullptr, key.bytes().data(), nonce.data(), 1);
    EVP_CipherUpdate(context, sealed.data(), &length, message.data(),
                     static_cast<int>(message.size()));
    EVP_CipherFinal_ex(context, tag, &length);
    EVP_CIPHER_CTX_ctrl(context, EVP_CTRL_AEAD_GET_TAG, 16, tag);
    EVP_CipherInit_ex(context, nullptr, nullptr, key.bytes().data(), nonce.data(), 0);
    EVP_CipherUpdate(context, opened.data(), &length, sealed.data(),
                     static_cast<int>(sealed.size()));
    EVP_CIPHER_CTX_ctrl(context, EVP_CTRL_AEAD_SET_TAG, 16, tag);
    benchmark::DoNotOptimize(EVP_CipherFinal_ex(context, tag, &length));
  }
  EVP_CIPHER_CTX_free(context);
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SealAndOpen_EVP)->Arg(64)->Arg(4096)->Arg(1 << 20);

}  // namespace
