// Remote-control security: session sealing and opening beside raw OpenSSL EVP as a careful
// caller uses it, the cost of proofs, keys, codes and tokens, and the offline exposure of a
// six-digit code (every code tried against one recorded proof).
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "core/remote/PairedDevice.hpp"
#include "core/remote/PairingCode.hpp"
#include "core/remote/Remote.hpp"
#include "core/remote/Security.hpp"
#include "platform/crypto/SHA256.hpp"

namespace {

using namespace kelvo;
using namespace kelvo::Remote;

const Bytes sharedKey(32, 0x42);
const Bytes challenge(32, 0x17);

// The peer: one context reused and re-keyed per message, a nonce from RAND_bytes, and the
// nonce, ciphertext and tag written into one buffer of length + 28 that is not zero-filled.
class RawCipher {
 public:
  RawCipher()
      : context_(EVP_CIPHER_CTX_new()),
        cipher_(EVP_CIPHER_fetch(nullptr, "ChaCha20-Poly1305", nullptr)) {
    const auto digest = crypto::SHA256::hash(std::string_view("any 32-byte key"));
    std::memcpy(key_, digest.data(), sizeof key_);
  }
  ~RawCipher() {
    EVP_CIPHER_CTX_free(context_);
    EVP_CIPHER_free(cipher_);
  }

  std::unique_ptr<std::uint8_t[]> seal(const std::uint8_t* text, int length) {
    auto box =
        std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(length) + 28);
    int written = 0;
    RAND_bytes(box.get(), 12);
    EVP_EncryptInit_ex2(context_, cipher_, key_, box.get(), nullptr);
    EVP_EncryptUpdate(context_, box.get() + 12, &written, text, length);
    EVP_EncryptFinal_ex(context_, box.get() + 12 + length, &written);
    EVP_CIPHER_CTX_ctrl(context_, EVP_CTRL_AEAD_GET_TAG, 16, box.get() + 12 + length);
    return box;
  }

  bool open(const std::uint8_t* box, int boxLength, std::unique_ptr<std::uint8_t[]>& out) {
    const int length = boxLength - 28;
    out = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(length));
    int written = 0;
    std::uint8_t tag[16];
    std::memcpy(tag, box + 12 + length, 16);
    EVP_DecryptInit_ex2(context_, cipher_, key_, box, nullptr);
    EVP_DecryptUpdate(context_, out.get(), &written, box + 12, length);
    EVP_CIPHER_CTX_ctrl(context_, EVP_CTRL_AEAD_SET_TAG, 16, tag);
    return EVP_DecryptFinal_ex(context_, out.get() + length, &written) == 1;
  }

 private:
  EVP_CIPHER_CTX* context_;
  EVP_CIPHER* cipher_;
  std::uint8_t key_[32];
};

void BM_SessionSeal(benchmark::State& state) {
  const Security::Session session(sharedKey, challenge);
  const Bytes text(static_cast<std::size_t>(state.range(0)), 0x61);
  for (auto _ : state) benchmark::DoNotOptimize(session.seal(text));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SessionSeal)->Arg(64)->Arg(4096)->Arg(1 << 20);

void BM_RawSeal(benchmark::State& state) {
  RawCipher cipher;
  const Bytes text(static_cast<std::size_t>(state.range(0)), 0x61);
  for (auto _ : state) {
    benchmark::DoNotOptimize(cipher.seal(text.data(), static_cast<int>(text.size())));
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RawSeal)->Arg(64)->Arg(4096)->Arg(1 << 20);

void BM_SessionOpen(benchmark::State& state) {
  const Security::Session session(sharedKey, challenge);
  const Bytes box = session.seal(Bytes(static_cast<std::size_t>(state.range(0)), 0x61));
  for (auto _ : state) benchmark::DoNotOptimize(session.open(box));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SessionOpen)->Arg(64)->Arg(4096)->Arg(1 << 20);

void BM_RawOpen(benchmark::State& state) {
  RawCipher cipher;
  const auto length = static_cast<int>(state.range(0));
  const Bytes text(static_cast<std::size_t>(length), 0x61);
  const auto box = cipher.seal(text.data(), length);
  std::unique_ptr<std::uint8_t[]> out;
  for (auto _ : state) {
    benchmark::DoNotOptimize(cipher.open(box.get(), length + 28, out));
    benchmark::DoNotOptimize(out.get());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RawOpen)->Arg(64)->Arg(4096)->Arg(1 << 20);

void BM_SessionMake(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Security::Session(sharedKey, challenge));
}
BENCHMARK(BM_SessionMake);

void BM_Proof(benchmark::State& state) {
  const UUID id = UUID::random();
  for (auto _ : state) benchmark::DoNotOptimize(Security::proof(sharedKey, challenge, id));
}
BENCHMARK(BM_Proof);

void BM_Verify(benchmark::State& state) {
  const UUID id = UUID::random();
  const Bytes proof = Security::proof(sharedKey, challenge, id);
  for (auto _ : state) benchmark::DoNotOptimize(Security::verify(proof, sharedKey, challenge, id));
}
BENCHMARK(BM_Verify);

void BM_RandomCode(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(PairingCode::random(Date(0)));
}
BENCHMARK(BM_RandomCode);

void BM_NewToken(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(PairedDevice::newToken());
}
BENCHMARK(BM_NewToken);

// An eavesdropper holding one challenge and the proof sent over it tries every code: the key
// of each, then the proof check. The last code is the right one, so all 10^6 are tried.
void BM_OfflineExposureAllCodes(benchmark::State& state) {
  const UUID id = UUID::random();
  const Bytes recorded =
      Security::proof(PairingCode::make("999999", Date(0))->preSharedKey(), challenge, id);
  for (auto _ : state) {
    int found = -1;
    char digits[16];
    for (int n = 0; n < 1'000'000 && found < 0; ++n) {
      std::snprintf(digits, sizeof digits, "%06d", n);
      std::string input(digits);
      input += '\x1F';
      input += serviceType;
      const auto key = crypto::SHA256::hash(input);
      if (Security::verify(recorded, key, challenge, id)) found = n;
    }
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_OfflineExposureAllCodes)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
