// The whole import road on large inputs, beside the pieces it must stay close to: the CSV
// reader alone, nlohmann's parse, and plain SHA-256 of the bodies the plan hashes. Peak heap
// comes from a counting allocator.
#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>
#include <string>

#include "bench/CountingAllocator.hpp"
#include "core/import/CSVReader.hpp"
#include "core/import/ImportPlan.hpp"
#include "core/import/PlaceholderTranslator.hpp"
#include "core/import/SnippetImporter.hpp"
#include "platform/crypto/SHA256.hpp"
#include "platform/foundation/Bytes.hpp"

using kelvo::bench::liveBytes;
using kelvo::bench::peakBytes;

namespace {

std::string snippetCSV(std::size_t megabytes) {
  // Whole rows, staying under the importer's limit at 50 MB.
  std::string text = "Abbreviation,Snippet,Label\n";
  for (int i = 0; text.size() + 100 < megabytes << 20; ++i) {
    text += ";s" + std::to_string(i) +
            ",\"Hello %filltext:name=Client%,\r\nthanks for {your} order\",Reply " +
            std::to_string(i) + "\n";
  }
  return text;
}

void BM_ImportCSV(benchmark::State& state) {
  const std::string text = snippetCSV(state.range(0));
  peakBytes = liveBytes.load();
  const std::size_t before = liveBytes;
  for (auto _ : state) {
    const auto parsed =
        kelvo::SnippetImporter::parse(kelvo::asBytes(text), "big.csv", std::nullopt);
    benchmark::DoNotOptimize(parsed->snippets.size());
  }
  state.counters["peak/input"] = double(peakBytes - before) / double(text.size());
  state.SetBytesProcessed(std::int64_t(state.iterations() * text.size()));
}

void BM_ReadCSVOnly(benchmark::State& state) {
  const std::string text = snippetCSV(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(kelvo::CSVReader::read(text).rows.size());
  state.SetBytesProcessed(std::int64_t(state.iterations() * text.size()));
}

std::string raycastExport(std::size_t megabytes) {
  std::string text = "[";
  for (int i = 0; text.size() + 200 < megabytes << 20; ++i) {
    text += R"({"name": "Snippet )" + std::to_string(i) + R"(", "keyword": "!s)" +
            std::to_string(i) +
            R"(", "text": "function f() { return {a: 1}; } {clipboard} {argument name=\"x\"}"},)";
  }
  text.back() = ']';
  return text;
}

void BM_ImportRaycast(benchmark::State& state) {
  const std::string text = raycastExport(50);
  for (auto _ : state) {
    const auto parsed =
        kelvo::SnippetImporter::parse(kelvo::asBytes(text), "export.json", std::nullopt);
    benchmark::DoNotOptimize(parsed->snippets.size());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations() * text.size()));
}

void BM_NlohmannRaycast(benchmark::State& state) {
  const std::string text = raycastExport(50);
  for (auto _ : state) benchmark::DoNotOptimize(nlohmann::json::parse(text).size());
  state.SetBytesProcessed(std::int64_t(state.iterations() * text.size()));
}

void BM_Translate(benchmark::State& state) {
  const bool braces = state.range(0) == 1;
  const std::string placeholder = braces ? "{argument name=\"n\"}" : "%filltext:name=n%";
  std::string body;
  for (int i = 0; i < state.range(1); ++i) body += "text " + placeholder + " more ";
  body.resize(std::max<std::size_t>(body.size(), 200'000), 'x');
  const auto syntax =
      braces ? kelvo::PlaceholderSyntax::braces : kelvo::PlaceholderSyntax::textExpander;
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvo::PlaceholderTranslator::translate(body, syntax).body.size());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations() * body.size()));
}

std::vector<kelvo::ImportedSnippet> bodies() {
  std::vector<kelvo::ImportedSnippet> snippets;
  for (int i = 0; i < 100'000; ++i) {
    std::string body = "Snippet " + std::to_string(i) + " ";
    body.resize(200, 'a' + i % 26);
    snippets.push_back({std::nullopt, std::move(body), std::nullopt, {}, {}});
  }
  return snippets;
}

kelvo::ImportPlan plan(const std::vector<kelvo::ImportedSnippet>& snippets) {
  return kelvo::ImportPlan::make(snippets, {}, kelvo::ImportDestination::existing(kelvo::UUID()),
                                 kelvo::ImportFormat::lines, "Bench", kelvo::UUID());
}

void BM_PlanMake(benchmark::State& state) {
  const auto snippets = bodies();
  for (auto _ : state) benchmark::DoNotOptimize(plan(snippets).rows().size());
}

void BM_PlainSHA256(benchmark::State& state) {
  const auto snippets = bodies();
  for (auto _ : state) {
    for (const auto& snippet : snippets) {
      benchmark::DoNotOptimize(kelvo::crypto::SHA256::hash(snippet.body));
    }
  }
}

void BM_PlanSetIncluded(benchmark::State& state) {
  kelvo::ImportPlan made = plan(bodies());
  std::int64_t row = 0;
  for (auto _ : state) {
    made.setIncluded(row % 2 == 1, row % 100'000);
    ++row;
  }
}

}  // namespace

BENCHMARK(BM_ImportCSV)->Arg(5)->Arg(10)->Arg(25)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadCSVOnly)->Arg(5)->Arg(10)->Arg(25)->Arg(50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportRaycast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NlohmannRaycast)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Translate)
    ->Args({0, 10'000})
    ->Args({1, 10'000})
    ->Args({1, 1'000})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlanMake)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainSHA256)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlanSetIncluded)->Unit(benchmark::kNanosecond);
