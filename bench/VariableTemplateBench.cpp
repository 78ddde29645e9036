// Parsing and filling variable templates, and counting snippet words, at snippet sizes.
#include <benchmark/benchmark.h>

#include <string>

#include "core/model/SnippetMetrics.hpp"
#include "core/model/VariableTemplate.hpp"

namespace {

// About `size` bytes of letter-like prose with a blank every eighth word.
std::string prose(std::size_t size, bool accented) {
  const char* words[] = {"Dear", "client", "thank", "you", "for", "the", "invoice", "regards"};
  std::string text;
  for (std::size_t i = 0; text.size() < size; ++i) {
    text += (i % 8 == 7) ? "{name}" : words[i % 8];
    if (accented && i % 5 == 0) text += "\u00e9\u0301";
    text += i % 13 == 12 ? "\n" : " ";
  }
  return text;
}

void BM_ParseTemplate(benchmark::State& state) {
  const std::string text = prose(static_cast<std::size_t>(state.range(0)), state.range(1) != 0);
  for (auto _ : state) benchmark::DoNotOptimize(kelvo::VariableTemplate(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseTemplate)->ArgsProduct({{200, 20'000}, {0, 1}});

void BM_FillTemplate(benchmark::State& state) {
  const kelvo::VariableTemplate value(prose(20'000, false));
  const kelvo::VariableTemplate::Values values{{"name", "Ada Lovelace"}};
  for (auto _ : state) benchmark::DoNotOptimize(value.filled(values));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * value.raw().size()));
}
BENCHMARK(BM_FillTemplate);

void BM_WordCount(benchmark::State& state) {
  const std::string text = prose(20'000, state.range(0) != 0);
  for (auto _ : state) benchmark::DoNotOptimize(kelvo::SnippetMetrics::wordCount(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_WordCount)->Arg(0)->Arg(1);

}  // namespace
