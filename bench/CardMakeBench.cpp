// Making a card, and its preview of a short and a very long text.
#include <benchmark/benchmark.h>

#include <string>

#include "core/model/Card.hpp"

namespace {

using kelvo::Card;

std::string sentences(std::size_t size, const char* sentence) {
  std::string text;
  while (text.size() < size) text += sentence;
  text.resize(size);
  return text;
}

// A typical card: a 200-byte text in no context.
void BM_CardMake(benchmark::State& state) {
  Card::Fields fields;
  fields.title = "Meeting notes";
  fields.payload = sentences(200, "Call the client about the invoice before Friday.\n");
  fields.autoTags = {"work", "mail"};
  for (auto _ : state) benchmark::DoNotOptimize(Card::make(fields));
}
BENCHMARK(BM_CardMake);

// The content hash alone, the largest part of making a short card.
void BM_ContentHash(benchmark::State& state) {
  const std::string payload = sentences(200, "Call the client about the invoice before Friday.\n");
  for (auto _ : state) benchmark::DoNotOptimize(Card::contentHash(kelvo::CardType::text, payload));
}
BENCHMARK(BM_ContentHash);

// Arg 0: ASCII; 1: with an accented letter in every sentence.
void BM_MakePreview(benchmark::State& state) {
  const std::string text = sentences(
      static_cast<std::size_t>(state.range(0)),
      state.range(1) != 0 ? "Caf\u00e9 notes, line one.\r\n" : "Cafe notes, line one.\r\n");
  for (auto _ : state) benchmark::DoNotOptimize(Card::makePreview(text, 140));
}
BENCHMARK(BM_MakePreview)->Args({200, 0})->Args({200, 1})->Args({1 << 20, 0})->Args({1 << 20, 1});

}  // namespace
