// Sniffing, export names, presenting a large file, and judging long edits and extracted text.
#include <benchmark/benchmark.h>

#include <string>

#include "core/model/CardEdit.hpp"
#include "core/model/CardPayload.hpp"

namespace {

using kelvo::CardPayload::Format;

void BM_Sniff(benchmark::State& state) {
  kelvo::Bytes data(1'048'576, 0);
  const std::string_view heic(
      "\0\0\0\x18"
      "ftypmif1",
      12);
  std::copy(heic.begin(), heic.end(), data.begin());
  for (auto _ : state) benchmark::DoNotOptimize(Format::sniff(data));
}
BENCHMARK(BM_Sniff);

void BM_ExportFilename(benchmark::State& state) {
  std::string name;
  while (name.size() < static_cast<std::size_t>(state.range(0))) name += "Quarterly r\u00e9port ";
  name += ".png";
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvo::CardPayload::exportFilename(name, "", Format::jpeg()));
  }
}
BENCHMARK(BM_ExportFilename)->Arg(20)->Arg(300);

// Presenting a 50 MB file moves its bytes rather than copying them.
void BM_PresentLargeFile(benchmark::State& state) {
  kelvo::CardPayload::Snapshot snapshot;
  snapshot.type = kelvo::CardType::document;
  snapshot.filename = "scan.pdf";
  snapshot.data = kelvo::toBytes("%PDF-1.7\n");
  snapshot.data->resize(52'428'800);
  for (auto _ : state) {
    auto content = kelvo::CardPayload::content(std::move(snapshot));
    benchmark::DoNotOptimize(content);
    state.PauseTiming();
    snapshot.data = std::move(std::get<kelvo::CardPayload::Content::PDF>(content.value).bytes.data);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_PresentLargeFile);

void BM_JudgeLongText(benchmark::State& state) {
  std::string text;
  while (text.size() <= 100'000) text += state.range(0) != 0 ? "ne\u0301e " : "text ";
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvo::CardEdit::refusal(kelvo::CardType::text, "Title", text));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_JudgeLongText)->Arg(0)->Arg(1);

void BM_NormalizeExtractedText(benchmark::State& state) {
  std::string text;
  while (text.size() < 200'000) text += "Invoice total due r\u00e9sum\u00e9 ";
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvo::CardPayload::normalizedExtractedText(text));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_NormalizeExtractedText);

}  // namespace
