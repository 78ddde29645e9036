// The snippet readers on large exports, beside the bare parsers under them: a minimal RFC 4180
// byte loop for CSV, nlohmann for JSON and pugixml for property lists. Peak heap comes from a
// counting allocator.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>
#include <string>
#include <utility>
#include <vector>

#include "bench/CountingAllocator.hpp"
#include "core/import/ApplePlistParser.hpp"
#include "core/import/CSVReader.hpp"
#include "core/import/RaycastParser.hpp"
#include "core/import/SnippetImporter.hpp"
#include "platform/foundation/Bytes.hpp"

using kelvo::bench::liveBytes;
using kelvo::bench::peakBytes;

namespace {

// The last kind is rows whose bodies are a paragraph, as reply and signature templates are.
enum Kind { ascii, multiline, international, paragraphs };

std::string csvText(Kind kind, std::size_t megabytes) {
  const std::string rows[] = {
      ";sig,Best regards from the whole team,Signature\n",
      "Greeting,;hi,\"Hello, \"\"friend\"\"!\r\nSee you soon\r\nAda\"\r\n",
      "\u3042\u308a\u304c\u3068\u3046,\U0001F468\u200D\U0001F469\u200D\U0001F467 cafe\u0301 "
      "na\u0308ive,\u0645\u0631\u062D\u0628\u0627\n",
      ";reply,\"Thanks for getting in touch. I have passed your question to the team, and "
      "someone will write back within two working days. Kind regards, Ada\",Email/Replies\n",
  };
  std::string text;
  text.reserve(megabytes << 20);
  while (text.size() < megabytes << 20) text += rows[kind];
  return text;
}

// The bare parse a CSV reader cannot beat: one pass, a quoted flag, fields copied out.
std::size_t bareRead(std::string_view text) {
  std::size_t rows = 0;
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c != '"') {
        field.push_back(c);
      } else if (i + 1 < text.size() && text[i + 1] == '"') {
        field.push_back('"');
        ++i;
      } else {
        quoted = false;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',' || c == '\n') {
      benchmark::DoNotOptimize(field.data());
      field.clear();
      rows += c == '\n';
    } else if (c != '\r') {
      field.push_back(c);
    }
  }
  return rows;
}

// Each read starts from memory given back to the system, as the one read of an imported file
// does. Otherwise glibc keeps freed blocks of up to 32 MiB at hand, and only the larger sizes
// pay for touching their pages.
void readEachTimeFromCold(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvo::CSVReader::read(text).rows.size());
    state.PauseTiming();
    malloc_trim(0);
    state.ResumeTiming();
  }
}

void BM_CSVRead(benchmark::State& state) {
  const std::string text = csvText(Kind(state.range(0)), state.range(1));
  peakBytes = liveBytes.load();
  const std::size_t before = liveBytes;
  readEachTimeFromCold(state, text);
  state.counters["peak/input"] = double(peakBytes - before) / double(text.size());
  // The peak less what the returned table itself holds is what reading kept beside it.
  const kelvo::CSVReader::Table table = kelvo::CSVReader::read(text);
  state.counters["table/input"] = double(liveBytes - before) / double(text.size());
  state.SetBytesProcessed(std::int64_t(state.iterations() * text.size()));
}

void BM_BareRFC4180(benchmark::State& state) {
  const std::string text = csvText(Kind(state.range(0)), state.range(1));
  for (auto _ : state) benchmark::DoNotOptimize(bareRead(text));
  state.SetBytesProcessed(std::int64_t(state.iterations() * text.size()));
}

void BM_CSVPathological(benchmark::State& state) {
  // One-character fields, then an unclosed quote in the first byte.
  std::string text(std::size_t(10) << 20, ',');
  for (std::size_t i = 1; i < text.size(); i += 2) text[i] = 'x';
  if (state.range(0) == 1) text[0] = '"';
  peakBytes = liveBytes.load();
  const std::size_t before = liveBytes;
  readEachTimeFromCold(state, text);
  state.counters["peak/input"] = double(peakBytes - before) / double(text.size());
  state.SetBytesProcessed(std::int64_t(state.iterations() * text.size()));
}

std::string raycastExport(std::size_t megabytes) {
  std::string text = "[";
  for (int i = 0; text.size() < megabytes << 20; ++i) {
    text += R"({"name": "Snippet )" + std::to_string(i) + R"(", "keyword": "!s)" +
            std::to_string(i) +
            R"(", "text": "function f() { return {a: 1}; } {clipboard} {date}"},)";
  }
  text.back() = ']';
  return text;
}

void BM_RaycastReadAndParse(benchmark::State& state) {
  const std::string text = raycastExport(50);
  for (auto _ : state) {
    benchmark::DoNotOptimize(kelvo::RaycastParser::parse(kelvo::json::parse(text)).size());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations() * text.size()));
}

void BM_NlohmannParse(benchmark::State& state) {
  const std::string text = raycastExport(50);
  for (auto _ : state) benchmark::DoNotOptimize(nlohmann::json::parse(text).size());
  state.SetBytesProcessed(std::int64_t(state.iterations() * text.size()));
}

std::string textReplacements(std::size_t megabytes) {
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><array>\n";
  for (int i = 0; text.size() < megabytes << 20; ++i) {
    text += "<dict><key>phrase</key><string>On my way &amp; almost there " + std::to_string(i) +
            "</string><key>shortcut</key><string>omw" + std::to_string(i) + "</string></dict>\n";
  }
  return text + "</array></plist>\n";
}

void BM_PlistReadAndParse(benchmark::State& state) {
  const std::string text = textReplacements(10);
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        kelvo::ApplePlistParser::parse(kelvo::PropertyList::read(text)).size());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations() * text.size()));
}

// The importer's road for the same list: recognised and read entry by entry in one reading.
void BM_ImportTextReplacements(benchmark::State& state) {
  const std::string text = textReplacements(10);
  peakBytes = liveBytes.load();
  const std::size_t before = liveBytes;
  for (auto _ : state) {
    const auto parsed = kelvo::SnippetImporter::parse(kelvo::asBytes(text),
                                                      "Text Substitutions.plist", std::nullopt);
    benchmark::DoNotOptimize(parsed->snippets.size());
  }
  state.counters["peak/input"] = double(peakBytes - before) / double(text.size());
  state.SetBytesProcessed(std::int64_t(state.iterations() * text.size()));
}

// A list of one more empty dictionary than an import takes (7 MB): counted, then refused.
void BM_RefuseTextReplacements(benchmark::State& state) {
  std::string text = "<plist><array>";
  for (auto i = kelvo::SnippetImporter::snippetLimit; i >= 0; --i) text += "<dict/>";
  text += "</array></plist>";
  for (auto _ : state) {
    const auto parsed =
        kelvo::SnippetImporter::parse(kelvo::asBytes(text), "a.plist", std::nullopt);
    benchmark::DoNotOptimize(parsed.hasValue());
  }
  state.SetBytesProcessed(std::int64_t(state.iterations() * text.size()));
}

void BM_PugixmlLoad(benchmark::State& state) {
  const std::string text = textReplacements(10);
  for (auto _ : state) {
    pugi::xml_document document;
    benchmark::DoNotOptimize(document.load_buffer(text.data(), text.size()).status);
  }
  state.SetBytesProcessed(std::int64_t(state.iterations() * text.size()));
}

void csvSizes(benchmark::internal::Benchmark* bench) {
  for (const int kind : {ascii, multiline, international, paragraphs}) {
    for (const int megabytes : {5, 10, 25, 50}) bench->Args({kind, megabytes});
  }
}

}  // namespace

BENCHMARK(BM_CSVRead)->Apply(csvSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareRFC4180)->Apply(csvSizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CSVPathological)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RaycastReadAndParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NlohmannParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlistReadAndParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportTextReplacements)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RefuseTextReplacements)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugixmlLoad)->Unit(benchmark::kMillisecond);
