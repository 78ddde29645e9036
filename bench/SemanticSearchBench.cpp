// Meaning-aware search over the synthetic library with the 56 office words planted at fixed
// mid ranks: the widened "quote payment" beside the literal search and beside SQLite FTS5
// answering the same widening as one MATCH of OR groups; the give-up path with a budget too
// short; and the lexicons alone. KELVO_BENCH_CARDS sets the library size (10000, 100000).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/Percentile.hpp"
#include "bench/PlantedLibrary.hpp"
#include "core/search/CompositeLexicon.hpp"
#include "core/search/SemanticSearch.hpp"
#include "core/search/StaticLexicon.hpp"

namespace kelvo::bench {
namespace {

constexpr const char* query = "quote payment";
constexpr const char* ftsQuery =
    "(quote OR rate OR rates OR pricing OR price OR fee OR cost) AND "
    "(payment* OR invoice OR bill OR billing OR vat OR receipt)";

const std::vector<SearchableCard>& cards() { return plantedLibrary(); }

const SearchIndex& index() {
  static const SearchIndex built(cards());
  return built;
}

// The system's continuous clock, keeping every reading of the last call: the start, then three
// a word search (the check, its start, its end).
class RecordingClock final : public Clock {
 public:
  Date now() const override { return Clock::system().now(); }
  TimeInterval continuousNow() const override {
    const TimeInterval reading = Clock::system().continuousNow();
    readings.push_back(reading);
    return reading;
  }
  std::size_t wordSearches() const { return readings.empty() ? 0 : (readings.size() - 1) / 3; }
  TimeInterval slowest() const {
    TimeInterval slowest = 0;
    for (std::size_t at = 3; at < readings.size(); at += 3) {
      slowest = std::max(slowest, readings[at] - readings[at - 1]);
    }
    return slowest;
  }
  TimeInterval searching() const {
    TimeInterval total = 0;
    for (std::size_t at = 3; at < readings.size(); at += 3)
      total += readings[at] - readings[at - 1];
    return total;
  }
  mutable std::vector<TimeInterval> readings;
};

SemanticSearch::Options benchOptions(TimeInterval budget = 0.045) {
  return {.maxVariantsPerTerm = 8,
          .maxIndexQueries = 20,
          .maxTerms = 8,
          .semanticWeight = 0.35,
          .limit = 200,
          .expansionBudget = budget,
          .literalSufficiency = 50};
}

bool expanded(const std::vector<SemanticSearchResult>& results) {
  return std::any_of(results.begin(), results.end(),
                     [](const SemanticSearchResult& r) { return !r.explanations.empty(); });
}

void BM_Semantic_Expand(benchmark::State& state) {
  const SearchIndex& searched = index();
  const RecordingClock clock;
  const SemanticSearch search(StaticLexicon::officeVocabulary(), benchOptions(), clock);
  std::vector<SemanticSearchResult> results;
  std::vector<double> searching;
  timeEach(state, [&] {
    clock.readings.clear();
    results = search.search(query, searched);
    searching.push_back(clock.searching() * 1e6);
  });
  state.counters["word_searches_p50_us"] = percentile(searching, 0.5);
  state.counters["cards"] = static_cast<double>(cards().size());
  state.counters["literal"] = static_cast<double>(searched.search(query, 200).size());
  state.counters["expanded"] = expanded(results) ? 1 : 0;
  state.counters["results"] = static_cast<double>(results.size());
  state.counters["word_searches"] = static_cast<double>(clock.wordSearches());
  state.counters["slowest_word_us"] = clock.slowest() * 1e6;
}
BENCHMARK(BM_Semantic_Expand)->Unit(benchmark::kMicrosecond);

void BM_Semantic_Literal(benchmark::State& state) {
  const SearchIndex& searched = index();
  std::size_t found = 0;
  timeEach(state, [&] { found = searched.search(query, 200).size(); });
  state.counters["results"] = static_cast<double>(found);
}
BENCHMARK(BM_Semantic_Literal)->Unit(benchmark::kMicrosecond);

// The budget a quarter of the measured widening: the call answers literally, and the counter
// gives by how much its last word search ran past the budget.
void BM_Semantic_GiveUp(benchmark::State& state) {
  const SearchIndex& searched = index();
  const SemanticSearch probe(StaticLexicon::officeVocabulary(), benchOptions());
  std::vector<double> full;
  for (int i = 0; i < 20; ++i) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(probe.search(query, searched));
    full.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  const TimeInterval budget = percentile(full, 0.5) / 4;
  const RecordingClock clock;
  const SemanticSearch search(StaticLexicon::officeVocabulary(), benchOptions(budget), clock);
  std::vector<double> overruns;
  bool literal = true;
  timeEach(state, [&] {
    clock.readings.clear();
    literal = !expanded(search.search(query, searched)) && literal;
    if (clock.readings.size() > 1)
      overruns.push_back(clock.readings.back() - clock.readings.front() - budget);
  });
  state.counters["budget_us"] = budget * 1e6;
  state.counters["answered_literally"] = literal ? 1 : 0;
  state.counters["overrun_p50_us"] = percentile(overruns, 0.5) * 1e6;
  state.counters["overrun_max_us"] =
      overruns.empty() ? 0 : *std::max_element(overruns.begin(), overruns.end()) * 1e6;
}
BENCHMARK(BM_Semantic_GiveUp)->Unit(benchmark::kMicrosecond);

void check(int status, sqlite3* db) {
  if (status != SQLITE_OK && status != SQLITE_DONE && status != SQLITE_ROW) {
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    std::abort();
  }
}

// The same widening as one FTS5 query, ranked as the literal benchmarks rank FTS5.
void BM_Semantic_FTS5(benchmark::State& state) {
  sqlite3* db = nullptr;
  check(sqlite3_open(":memory:", &db), db);
  check(sqlite3_exec(db,
                     "CREATE VIRTUAL TABLE cards USING fts5(title, content, tags, label, "
                     "tokenize = 'unicode61 remove_diacritics 2'); BEGIN",
                     nullptr, nullptr, nullptr),
        db);
  sqlite3_stmt* insert = nullptr;
  check(sqlite3_prepare_v2(db, "INSERT INTO cards VALUES (?, ?, ?, ?)", -1, &insert, nullptr), db);
  for (const SearchableCard& card : cards()) {
    std::string tags;
    for (const auto tag : card.autoTags()) (tags += tag) += ' ';
    const std::string label(card.factLabel().value_or(""));
    const std::string_view title = card.title();
    const std::string_view content = card.content();
    sqlite3_bind_text(insert, 1, title.data(), static_cast<int>(title.size()), SQLITE_STATIC);
    sqlite3_bind_text(insert, 2, content.data(), static_cast<int>(content.size()), SQLITE_STATIC);
    sqlite3_bind_text(insert, 3, tags.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(insert, 4, label.c_str(), -1, SQLITE_TRANSIENT);
    check(sqlite3_step(insert), db);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
  sqlite3_stmt* select = nullptr;
  check(sqlite3_prepare_v2(db,
                           "SELECT rowid FROM cards WHERE cards MATCH ?1 ORDER BY "
                           "bm25(cards, 10.0, 5.0, 4.0, 8.0) LIMIT 200",
                           -1, &select, nullptr),
        db);
  std::size_t found = 0;
  timeEach(state, [&] {
    found = 0;
    sqlite3_bind_text(select, 1, ftsQuery, -1, SQLITE_STATIC);
    while (sqlite3_step(select) == SQLITE_ROW) ++found;
    sqlite3_reset(select);
  });
  state.counters["results"] = static_cast<double>(found);
  sqlite3_finalize(select);
  sqlite3_close(db);
}
BENCHMARK(BM_Semantic_FTS5)->Unit(benchmark::kMicrosecond);

void BM_Lexicon_Static(benchmark::State& state) {
  const auto& office = *StaticLexicon::officeVocabulary();
  for (auto _ : state) benchmark::DoNotOptimize(office.variants("payment", 8));
}
BENCHMARK(BM_Lexicon_Static);

void BM_Lexicon_Composite(benchmark::State& state) {
  const CompositeLexicon composite(
      {StaticLexicon::officeVocabulary(),
       std::make_shared<const StaticLexicon>(
           std::vector<std::vector<std::string>>{{"payment", "remittance", "settlement", "bill"}},
           TermRelation::related)});
  for (auto _ : state) benchmark::DoNotOptimize(composite.variants("payment", 8));
}
BENCHMARK(BM_Lexicon_Composite);

}  // namespace
}  // namespace kelvo::bench
