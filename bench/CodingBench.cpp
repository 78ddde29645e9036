// JSON reading and writing, Base64, and the crypto primitives on sizes the core handles.
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>

#include "platform/crypto/ChaChaPoly.hpp"
#include "platform/crypto/HMAC.hpp"
#include "platform/crypto/Random.hpp"
#include "platform/crypto/SHA256.hpp"
#include "platform/foundation/Base64.hpp"
#include "platform/foundation/JSONReader.hpp"

namespace {

// A library page of 500 cards, about 80 KB.
std::string libraryPage() {
  kelvo::Json cards = kelvo::Json::array();
  for (int i = 0; i < 500; ++i) {
    cards.push_back({{"id", kelvo::UUID::random()},
                     {"title", "Card number " + std::to_string(i) + " / café"},
                     {"type", "text"},
                     {"updatedAt", kelvo::Date(720000000.0 + i * 0.25)},
                     {"tags", {"work", "clients"}}});
  }
  return kelvo::json::write(kelvo::Json{{"cards", cards}, {"nextOffset", 500}});
}

void BM_JSONParseAndRead(benchmark::State& state) {
  const std::string text = libraryPage();
  for (auto _ : state) {
    const kelvo::Json document = kelvo::json::parse(text);
    const kelvo::JSONReader reader(document);
    size_t count = 0;
    for (const auto& card : reader["cards"].elements()) {
      count += card["title"].string().size() + card["id"].uuid().bytes()[0];
      benchmark::DoNotOptimize(card["updatedAt"].date());
    }
    benchmark::DoNotOptimize(count);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_JSONParseAndRead);

void BM_JSONWrite(benchmark::State& state) {
  const std::string text = libraryPage();
  const kelvo::Json document = kelvo::json::parse(text);
  for (auto _ : state) benchmark::DoNotOptimize(kelvo::json::write(document));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_JSONWrite);

const kelvo::Bytes& megabyte() {
  static const kelvo::Bytes bytes = kelvo::crypto::randomBytes(1 << 20);
  return bytes;
}

void BM_Base64RoundTrip(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvo::base64Decoded(kelvo::base64Encoded(megabyte())));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * megabyte().size()));
}
BENCHMARK(BM_Base64RoundTrip);

void BM_SHA256(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(kelvo::crypto::SHA256::hash(megabyte()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * megabyte().size()));
}
BENCHMARK(BM_SHA256);

void BM_HMACProof(benchmark::State& state) {
  const kelvo::crypto::SymmetricKey key = kelvo::crypto::SymmetricKey::random();
  const kelvo::Bytes message = kelvo::crypto::randomBytes(69);  // challenge, 0x1F, identifier
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvo::crypto::HMACSHA256::authenticationCode(message, key));
  }
}
BENCHMARK(BM_HMACProof);

void BM_ChaChaPolySealAndOpen(benchmark::State& state) {
  const kelvo::crypto::SymmetricKey key = kelvo::crypto::SymmetricKey::random();
  for (auto _ : state) {
    const auto box = kelvo::crypto::ChaChaPoly::seal(megabyte(), key);
    benchmark::DoNotOptimize(kelvo::crypto::ChaChaPoly::open(box, key));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * megabyte().size()));
}
BENCHMARK(BM_ChaChaPolySealAndOpen);

}  // namespace
