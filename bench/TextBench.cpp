// The text helpers on the paths that run per card: folding for the tokenizer, counting and
// cutting characters for limits, canonical hashing, and locale-aware comparison for sorting.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/foundation/Calendar.hpp"
#include "platform/foundation/Text.hpp"

namespace {

const std::string ascii =
    "Invoice 2024 for the March retainer, payable within thirty days of receipt. ";
const std::string accented =
    "Cr\u00E8me br\u00FBl\u00E9e, pi\u00F1ata and na\u00EFve caf\u00E9 \u6771\u4EAC "
    "\uD55C\uAD6D\uC5B4 \U0001F469\u200D\U0001F469\u200D\U0001F467 ";

std::string repeated(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

void BM_FoldedAscii(benchmark::State& state) {
  const std::string text = repeated(ascii, 13);  // about 1 KB
  for (auto _ : state) benchmark::DoNotOptimize(kelvo::text::folded(text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_FoldedAscii);

void BM_FoldedAccented(benchmark::State& state) {
  const std::string text = repeated(accented, 10);
  for (auto _ : state) benchmark::DoNotOptimize(kelvo::text::folded(text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_FoldedAccented);

void BM_CharacterCountAccented(benchmark::State& state) {
  const std::string text = repeated(accented, 10);
  for (auto _ : state) benchmark::DoNotOptimize(kelvo::text::characterCount(text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_CharacterCountAccented);

void BM_CanonicalHashAccented(benchmark::State& state) {
  const std::string text = repeated(accented, 10);
  for (auto _ : state) benchmark::DoNotOptimize(kelvo::text::canonicalHash(text));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_CanonicalHashAccented);

void BM_LocalizedCompare(benchmark::State& state) {
  kelvo::Locale::setCurrent(kelvo::Locale("en_US"));
  const std::string a = "Clients \u2014 Acme renewal";
  const std::string b = "clients \u2014 acme Renewal";
  for (auto _ : state) benchmark::DoNotOptimize(kelvo::text::localizedCaseInsensitiveCompare(a, b));
}
BENCHMARK(BM_LocalizedCompare);

void BM_CalendarStartOfDay(benchmark::State& state) {
  const kelvo::Calendar calendar(*kelvo::TimeZone::named("America/New_York"),
                                 kelvo::Locale("en_US"));
  kelvo::Date date(7e8);
  for (auto _ : state) {
    benchmark::DoNotOptimize(calendar.startOfDay(date));
    date += 3600;
  }
}
BENCHMARK(BM_CalendarStartOfDay);

}  // namespace
