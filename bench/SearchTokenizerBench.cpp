// Throughput of the one word splitter on plain ASCII text and on text mixing accented,
// Greek, Cyrillic and CJK words into English-like ones (a tenth of the vocabulary), the latter
// also with a memo of folded words as an index build uses.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/SyntheticLibrary.hpp"
#include "core/search/SearchTokenizer.hpp"

namespace kelvo::bench {
namespace {

bool isASCII(const std::string& text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// About a megabyte of card contents; the ASCII text keeps only the ASCII words.
const std::string& sampleText(bool asciiOnly) {
  static const auto make = [](bool ascii) {
    std::string text;
    for (const auto& card : syntheticLibrary().cards) {
      if (text.size() >= (1u << 20)) break;
      std::string word;
      for (const char c : std::string(card.content()) + ' ') {
        if (c != ' ') {
          word += c;
          continue;
        }
        if (!ascii || isASCII(word)) text += word + ' ';
        word.clear();
      }
    }
    return text;
  };
  static const std::string ascii = make(true);
  static const std::string mixed = make(false);
  return asciiOnly ? ascii : mixed;
}

void tokenize(benchmark::State& state, bool asciiOnly) {
  const std::string& text = sampleText(asciiOnly);
  std::size_t terms = 0;
  for (auto _ : state) {
    terms = 0;
    SearchTokenizer::forEachTerm(text, [&terms](std::string_view) { ++terms; });
    benchmark::DoNotOptimize(terms);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.counters["terms_per_s"] =
      benchmark::Counter(static_cast<double>(terms) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(tokenize, ascii, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(tokenize, mixed, false)->Unit(benchmark::kMillisecond);

// As an index build splits: words outside ASCII folded once and then looked up.
void tokenizeRemembering(benchmark::State& state) {
  const std::string& text = sampleText(false);
  SearchTokenizer::Memo memo;
  std::size_t terms = 0;
  for (auto _ : state) {
    terms = 0;
    SearchTokenizer::forEachTerm(text, memo, [&terms](std::string_view) { ++terms; });
    benchmark::DoNotOptimize(terms);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(tokenizeRemembering)->Unit(benchmark::kMillisecond);

// The list-building form the callers outside the index use.
void tokenizeToList(benchmark::State& state) {
  const std::string& text = sampleText(false);
  for (auto _ : state) benchmark::DoNotOptimize(SearchTokenizer::terms(text).size());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(tokenizeToList)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvo::bench
