// The whole import road on large inputs, beside the pieces it must stay close to: the CSV
// reader alone, nlohmann's parse, and plain SHA-256 of the bodies the plan hashes. Peak heap
// comes from a counting allocator.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>
#include <string>

#include "bench/CountingAllocator.hpp"
#include "core/import/CSVReader.hpp"
#include "core/import/ImportPlan.hpp"
#include "core/import/PlaceholderTranslator.hpp"
#include "core/import/SnippetImporter.hpp"
#include "platform/crypto/SHA256.hpp"
#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/FileManager.hpp"

using kelvo::bench::liveBytes;
using kelvo::bench::peakBytes;

namespace {

// pugixml takes its memory from malloc: counted like the rest.
const bool pugixmlCounted = [] {
  pugi::set_memory_management_functions([](std::size_t size) { return ::operator new(size); },
                                        [](void* block) { ::operator delete(block); });
  return true;
}();

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

// Files of one shape repeated: 0 one-letter lines, 1 one-letter paragraphs between blank lines,
// 2 Markdown headings with nothing under them, 3 CSV rows of a one-letter keyword and body under
// a header, 4 one line of words (a single snippet), 5 one CSV row whose body is that line, 6 a
// Raycast export of one-letter snippets, 7 an Alfred export of them, 8 a text-replacement list
// of one-letter phrases and shortcuts, 9 the same list with a comment, 10 a
// Raycast export of one snippet whose text is the line of words, 11 a text-replacement list of
// one entry whose phrase is that line, 12 a Raycast export of one snippet and then empty objects
// (each a snippet with a warning), 13 a text-replacement list of one entry and then empty
// dictionaries, 14 the list of shape 8 behind a DOCTYPE with declarations (read through
// pugixml's document), 15 XML of empty elements that is no property list, 16 a
// text-replacement list of as many empty dictionaries as an import takes and then one array of
// Booleans (its largest element, built whole), 17 CSV rows of shape 3 ended by a lone CR, 18
// the same ended by VT (a line break the row estimate does not see), 19 a list behind a DOCTYPE
// with declarations whose entries are empty dictionaries (the densest list pugixml's document
// reads, each entry a snippet with a warning), 20 one entry behind that DOCTYPE and then an
// array of Booleans (the document and that element built whole beside it). Up to `size` bytes,
// or as many units as `count` says.
std::string shapedText(std::int64_t shape, std::size_t size, std::size_t count = SIZE_MAX) {
  static constexpr std::string_view plistHead =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<array>\n";
  static constexpr std::string_view entry =
      "<dict><key>phrase</key><string>a</string><key>shortcut</key><string>b</string></dict>\n";
  static constexpr std::string_view listHead =
      "<plist><array><dict><key>phrase</key><string>a</string><key>shortcut</key><string>b</"
      "string></dict>";
  static const std::string manyEntries = [] {
    std::string head(listHead);
    for (auto i = kelvo::SnippetImporter::snippetLimit - 1; i > 0; --i) head += "<dict/>";
    return head + "<array>";
  }();
  static const std::string declaredList =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE plist [<!ENTITY e \"x\">]>\n<plist><array>\n" +
      std::string(entry);
  static const std::string declaredBooleans = declaredList + "<array>";
  struct Shape {
    std::string_view head, unit, tail;
  };
  static const Shape shapes[] = {
      {"", "a\n", ""},
      {"", "a\n\n", ""},
      {"", "# a\n", ""},
      {"Keyword,Text\n", "a,b\n", ""},
      {"", "lorem ", ""},
      {"Keyword,Text\nk,", "lorem ", ""},
      {"[{\"name\":\"a\",\"text\":\"a\"}", ",{\"name\":\"a\",\"text\":\"a\"}", "]"},
      {"[{\"alfredsnippet\":{\"snippet\":\"a\"}}", ",{\"alfredsnippet\":{\"snippet\":\"a\"}}", "]"},
      {plistHead, entry, "</array>\n</plist>\n"},
      {"<?xml version=\"1.0\"?>\n<!-- list -->\n<plist>\n<array>\n", entry, "</array>\n</plist>\n"},
      {"[{\"name\":\"a\",\"text\":\"", "lorem ", "\"}]"},
      {"<plist><array><dict><key>shortcut</key><string>a</string><key>phrase</key><string>",
       "lorem ", "</string></dict></array></plist>"},
      {"[{\"name\":\"a\",\"text\":\"a\"}", ",{}", "]"},
      {listHead, "<dict/>", "</array></plist>"},
      {"<?xml version=\"1.0\"?>\n<!DOCTYPE plist [<!ENTITY e \"x\">]>\n<plist><array>\n", entry,
       "</array></plist>\n"},
      {"<?xml version=\"1.0\"?>\n<doc>\n", "<a/>\n", "</doc>\n"},
      {manyEntries, "<true/>", "</array></array></plist>"},
      {"Keyword,Text\r", "a,b\r", ""},
      {"Keyword,Text\v", "a,b\v", ""},
      {declaredList, "<dict/>", "</array></plist>\n"},
      {declaredBooleans, "<true/>", "</array></array></plist>\n"},
  };
  const Shape& form = shapes[shape];
  std::string text(form.head);
  const std::size_t room = size - std::min(size, form.tail.size());
  text.reserve(std::min(size, text.size() + count * form.unit.size() + form.tail.size()));
  for (; count > 0 && text.size() + form.unit.size() <= room; --count) text += form.unit;
  text += form.tail;
  return text;
}

// Peak heap while a picked file is read whole within the importer's limit, then parsed, the
// file's own copy included.
double peakOfImport(const std::filesystem::path& path, std::size_t& snippets) {
  const std::size_t before = liveBytes;
  peakBytes = before;
  const std::string bytes = kelvo::FileManager().contents(path, kelvo::SnippetImporter::sizeLimit);
  const auto parsed =
      kelvo::SnippetImporter::parse(kelvo::asBytes(bytes), path.filename().string(), std::nullopt);
  snippets = parsed ? parsed->snippets.size() : 0;
  return double(peakBytes - before);
}

// A file of each shape at 50 MiB: peak heap over the file's size (snippets 0 when refused).
void BM_ImportShape(benchmark::State& state) {
  const auto path = std::filesystem::temp_directory_path() / "kelvo-bench-shape.txt";
  const std::string text = shapedText(state.range(0), std::size_t(state.range(1)) << 20);
  kelvo::FileManager().write(path, text);
  std::size_t snippets = 0;
  double peak = 0;
  for (auto _ : state) peak = peakOfImport(path, snippets);
  kelvo::FileManager().removeItem(path);
  state.counters["peak/file"] = peak / double(text.size());
  state.counters["snippets"] = double(snippets);
}

// The densest files an import takes: exactly as many one-letter snippets as the limit allows.
// Peak heap in MiB and over the file's size.
void BM_ImportAtSnippetLimit(benchmark::State& state) {
  const auto path = std::filesystem::temp_directory_path() / "kelvo-bench-limit.txt";
  const std::string text =
      shapedText(state.range(0), SIZE_MAX, std::size_t(kelvo::SnippetImporter::snippetLimit));
  kelvo::FileManager().write(path, text);
  std::size_t snippets = 0;
  double peak = 0;
  for (auto _ : state) peak = peakOfImport(path, snippets);
  kelvo::FileManager().removeItem(path);
  state.counters["peak MiB"] = peak / double(1 << 20);
  state.counters["peak/file"] = peak / double(text.size());
  state.counters["snippets"] = double(snippets);
}

// A pasted CSV, of one-letter rows (kind 0: more than an import takes) or of the rows
// `BM_ImportCSV` reads (kind 1): how many snippets an import would give.
void BM_NudgeCountCSV(benchmark::State& state) {
  const std::size_t size = std::size_t(state.range(1)) << 20;
  const std::string text = state.range(0) == 0 ? shapedText(3, size) : snippetCSV(size >> 20);
  std::optional<std::int64_t> count;
  double peak = 0;
  for (auto _ : state) {
    const std::size_t before = liveBytes;
    peakBytes = before;
    count = kelvo::SnippetImporter::nudgeCount(text);
    peak = double(peakBytes - before);
  }
  state.counters["peak/text"] = peak / double(text.size());
  state.counters["count"] = double(count.value_or(0));
}

}  // namespace

BENCHMARK(BM_ImportShape)
    ->ArgsProduct({{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}, {50}})
    ->Args({14, 8})
    ->Args({19, 8})
    ->Args({20, 8})
    ->ArgNames({"shape", "MiB"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportAtSnippetLimit)
    ->DenseRange(0, 3)
    ->ArgName("shape")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NudgeCountCSV)
    ->ArgsProduct({{0, 1}, {50}})
    ->ArgNames({"kind", "MiB"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
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
