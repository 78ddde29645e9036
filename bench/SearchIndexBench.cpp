// The literal search index side by side with SQLite's FTS5 over the same synthetic library:
// building, two-word and prefix queries (median, 95th and 99th percentiles per query), and memory.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/Percentile.hpp"
#include "bench/SyntheticLibrary.hpp"
#include "core/search/SearchIndex.hpp"
#include "platform/foundation/Clock.hpp"

namespace kelvo::bench {
namespace {

// The query text for each side: the index takes the words, FTS5 marks the prefix with "*".
struct Query {
  const char* words;
  const char* fts;
};
constexpr Query twoWords{"annual invoice", "annual invoice"};
constexpr Query prefix{"paid inv", "paid inv*"};
constexpr Query prefixAlone{"inv", "inv*"};
// The worst case: one letter, which begins a twentieth of the vocabulary.
constexpr Query oneLetter{"e", "e*"};

void check(int status, sqlite3* db) {
  if (status != SQLITE_OK && status != SQLITE_DONE && status != SQLITE_ROW) {
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    std::abort();
  }
}

std::string joined(SearchableCard::Tags words) {
  std::string text;
  for (const auto& word : words) {
    if (!text.empty()) text += ' ';
    text += word;
  }
  return text;
}

// An FTS5 table of the six searched texts, with its tokenizer folding case and diacritics as
// the index does, and a ranked query weighted as the index weighs its fields.
class FtsTable {
 public:
  explicit FtsTable(const std::vector<SearchableCard>& cards, bool contentless = false) {
    check(sqlite3_open(":memory:", &db_), db_);
    const std::string create =
        std::string(
            "CREATE VIRTUAL TABLE cards USING fts5(title, content, extracted, tags, "
            "shelf, label, tokenize = 'unicode61 remove_diacritics 2'") +
        (contentless ? ", content = ''" : "") + ")";
    check(sqlite3_exec(db_, create.c_str(), nullptr, nullptr, nullptr), db_);
    check(sqlite3_prepare_v2(db_,
                             "INSERT INTO cards(rowid, title, content, extracted, tags, shelf, "
                             "label) VALUES (?, ?, ?, ?, ?, ?, ?)",
                             -1, &insert_, nullptr),
          db_);
    check(sqlite3_prepare_v2(db_, "DELETE FROM cards WHERE rowid = ?", -1, &erase_, nullptr), db_);
    check(sqlite3_prepare_v2(db_,
                             "SELECT rowid FROM cards WHERE cards MATCH ?1 ORDER BY "
                             "bm25(cards, 10.0, 5.0, 2.0, 4.0, 3.0, 8.0) LIMIT ?2",
                             -1, &query_, nullptr),
          db_);
    check(sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr), db_);
    std::int64_t row = 0;
    for (const SearchableCard& card : cards) insert(++row, card);
    check(sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr), db_);
  }
  ~FtsTable() {
    sqlite3_finalize(insert_);
    sqlite3_finalize(erase_);
    sqlite3_finalize(query_);
    sqlite3_close(db_);
  }
  FtsTable(const FtsTable&) = delete;
  FtsTable& operator=(const FtsTable&) = delete;

  // Adds a row, or replaces the texts of an existing one, through statements prepared once, as
  // a caller of SQLite keeps them.
  void put(std::int64_t row, const SearchableCard& card) {
    remove(row);
    insert(row, card);
  }
  void remove(std::int64_t row) {
    sqlite3_bind_int64(erase_, 1, row);
    check(sqlite3_step(erase_), db_);
    sqlite3_reset(erase_);
  }

  std::vector<std::int64_t> search(const char* match, int limit) {
    std::vector<std::int64_t> rows;
    sqlite3_bind_text(query_, 1, match, -1, SQLITE_STATIC);
    sqlite3_bind_int(query_, 2, limit);
    int status;
    while ((status = sqlite3_step(query_)) == SQLITE_ROW) {
      rows.push_back(sqlite3_column_int64(query_, 0));
    }
    check(status, db_);
    sqlite3_reset(query_);
    return rows;
  }

 private:
  void insert(std::int64_t row, const SearchableCard& card) {
    const std::string tags = joined(card.autoTags());
    const std::string_view label = card.factLabel().value_or("");
    const auto bind = [&](int column, std::string_view text) {
      sqlite3_bind_text(insert_, column, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
    };
    sqlite3_bind_int64(insert_, 1, row);
    bind(2, card.title());
    bind(3, card.content());
    bind(4, card.extractedText());
    bind(5, tags);
    bind(6, card.shelfName());
    bind(7, label);
    check(sqlite3_step(insert_), db_);
    sqlite3_reset(insert_);
  }

  sqlite3* db_ = nullptr;
  sqlite3_stmt* insert_ = nullptr;
  sqlite3_stmt* erase_ = nullptr;
  sqlite3_stmt* query_ = nullptr;
};

const SearchIndex& sharedIndex() {
  static const SearchIndex index(syntheticLibrary().cards);
  return index;
}

FtsTable& sharedTable() {
  static FtsTable table(syntheticLibrary().cards);
  return table;
}

// Times each query on its own; `run` gives the number of results.
template <class Run>
void timeEachQuery(benchmark::State& state, Run run) {
  std::size_t found = 0;
  timeEach(state, [&] { found = run(); });
  state.counters["results"] = static_cast<double>(found);
}

void BM_Build_Index(benchmark::State& state) {
  const auto& cards = syntheticLibrary().cards;
  for (auto _ : state) {
    SearchIndex index(cards);
    benchmark::DoNotOptimize(index.termCount());
  }
  state.counters["cards"] = static_cast<double>(cards.size());
}
BENCHMARK(BM_Build_Index)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Build_FTS5(benchmark::State& state) {
  const auto& cards = syntheticLibrary().cards;
  for (auto _ : state) {
    FtsTable table(cards);
    benchmark::DoNotOptimize(&table);
  }
  state.counters["cards"] = static_cast<double>(cards.size());
}
BENCHMARK(BM_Build_FTS5)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Query_Index(benchmark::State& state, Query query) {
  const SearchIndex& index = sharedIndex();
  const auto limit = state.range(0);
  timeEachQuery(state, [&] { return index.search(query.words, limit).size(); });
  state.counters["matches"] = static_cast<double>(index.search(query.words, INT64_MAX).size());
}

void BM_Query_FTS5(benchmark::State& state, Query query) {
  FtsTable& table = sharedTable();
  const auto limit = static_cast<int>(state.range(0));
  timeEachQuery(state, [&] { return table.search(query.fts, limit).size(); });
}

BENCHMARK_CAPTURE(BM_Query_Index, two_words, twoWords)
    ->Arg(20)
    ->Arg(200)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Query_FTS5, two_words, twoWords)
    ->Arg(20)
    ->Arg(200)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Query_Index, prefix, prefix)->Arg(20)->Arg(200)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Query_FTS5, prefix, prefix)->Arg(20)->Arg(200)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Query_Index, prefix_alone, prefixAlone)
    ->Arg(20)
    ->Arg(200)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Query_FTS5, prefix_alone, prefixAlone)
    ->Arg(20)
    ->Arg(200)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Query_Index, one_letter, oneLetter)->Arg(20)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Query_FTS5, one_letter, oneLetter)->Arg(20)->Unit(benchmark::kMicrosecond);

// Queries of three letters: the beginnings of the library's 1,000 most frequent words (those
// whose first three letters are ASCII), each with the share of cards holding a word that begins
// with it, counted on the first 20,000 cards. Frequent words make many prefixes that match
// nearly every card.
struct PrefixQuery {
  std::string text;
  double share;
};

const std::vector<PrefixQuery>& threeLetterQueries() {
  static const std::vector<PrefixQuery> queries = [] {
    const SyntheticLibrary& library = syntheticLibrary();
    std::vector<PrefixQuery> found;
    for (std::size_t rank = 0; rank < 1'000; ++rank) {
      const std::string& word = library.vocabulary[rank];
      if (word.size() < 3 || !std::all_of(word.begin(), word.begin() + 3,
                                          [](char c) { return c >= 'a' && c <= 'z'; })) {
        continue;
      }
      const std::string prefix = word.substr(0, 3);
      const bool seen = std::any_of(found.begin(), found.end(),
                                    [&](const PrefixQuery& query) { return query.text == prefix; });
      if (!seen) found.push_back({prefix, 0});
    }
    const std::size_t sample = std::min<std::size_t>(library.cards.size(), 20'000);
    std::vector<std::size_t> holders(found.size(), 0);
    for (std::size_t c = 0; c < sample; ++c) {
      const SearchableCard& card = library.cards[c];
      std::string texts = std::string(card.title()) + ' ' + std::string(card.content()) + ' ' +
                          std::string(card.extractedText()) + ' ' + joined(card.autoTags()) + ' ' +
                          std::string(card.shelfName()) + ' ' +
                          std::string(card.factLabel().value_or(""));
      std::vector<std::string> beginnings;
      for (const std::string& term : SearchIndex::tokenize(texts)) {
        if (term.size() >= 3) beginnings.push_back(term.substr(0, 3));
      }
      std::sort(beginnings.begin(), beginnings.end());
      for (std::size_t q = 0; q < found.size(); ++q) {
        if (std::binary_search(beginnings.begin(), beginnings.end(), found[q].text)) ++holders[q];
      }
    }
    for (std::size_t q = 0; q < found.size(); ++q) {
      found[q].share = static_cast<double>(holders[q]) / static_cast<double>(sample);
    }
    return found;
  }();
  return queries;
}

// The three-letter queries matching at least `share` of the cards.
std::vector<std::string> threeLetterQueries(double share) {
  std::vector<std::string> texts;
  for (const auto& query : threeLetterQueries()) {
    if (query.share >= share) texts.push_back(query.text);
  }
  return texts;
}

// The index with its clock at the library's own moment, so that recent uses boost their cards
// as they would on the day; the shared index's system clock finds every use months old.
const SearchIndex& indexAtTheLibrarysMoment() {
  static const ManualClock clock(syntheticLibrary().now);
  static const SearchIndex index(syntheticLibrary().cards, clock);
  return index;
}

// Arg 0: the limit; arg 1: the least share of the cards a query matches, in percent; arg 2: 1
// for the index at the library's moment. Each query of the set in turn, each timed alone.
void BM_ThreeLetters_Index(benchmark::State& state) {
  const SearchIndex& index = state.range(2) != 0 ? indexAtTheLibrarysMoment() : sharedIndex();
  const auto texts = threeLetterQueries(static_cast<double>(state.range(1)) / 100);
  std::size_t next = 0;
  timeEachQuery(state,
                [&] { return index.search(texts[next++ % texts.size()], state.range(0)).size(); });
  state.counters["queries"] = static_cast<double>(texts.size());
}
BENCHMARK(BM_ThreeLetters_Index)
    ->Args({20, 0, 0})
    ->Args({20, 90, 0})
    ->Args({200, 90, 0})
    ->Args({20, 0, 1})
    ->Args({20, 90, 1})
    ->Args({200, 90, 1})
    ->Unit(benchmark::kMicrosecond);

void BM_ThreeLetters_FTS5(benchmark::State& state) {
  FtsTable& table = sharedTable();
  auto texts = threeLetterQueries(static_cast<double>(state.range(1)) / 100);
  for (auto& text : texts) text += '*';
  std::size_t next = 0;
  timeEachQuery(state, [&] {
    return table.search(texts[next++ % texts.size()].c_str(), static_cast<int>(state.range(0)))
        .size();
  });
}
BENCHMARK(BM_ThreeLetters_FTS5)->Args({20, 0})->Args({20, 90})->Unit(benchmark::kMicrosecond);

// One card's worth of change, each kind timed alone: a new card, new texts for a card indexed
// early (whose postings sit at the front of long lists), and a card taken out.
enum class Change { add, change, remove };

SearchableCard rewritten(const SearchableCard& card, const SearchableCard& texts) {
  return SearchableCard(card.id(), card.type(), texts.title(), texts.content(), "", tagsOf(texts),
                        card.shelfName(), card.projectName(), card.factLabel(), card.sourceApp(),
                        card.useCount(), card.lastUsedAt());
}

template <class Apply>
void timeChanges(benchmark::State& state, Change change, Apply apply) {
  const auto& cards = syntheticLibrary().cards;
  std::size_t round = 0;
  timeEachQuery(state, [&] {
    const std::size_t early = round % 1'000;
    const SearchableCard& texts = cards[cards.size() - 1 - round % 1'000];
    ++round;
    switch (change) {
      case Change::add:
        return apply(Change::add, cards.size() + round, rewritten(cards[early], texts));
      case Change::change:
        return apply(Change::change, early, rewritten(cards[early], texts));
      case Change::remove:
        return apply(Change::remove, early, cards[early]);
    }
    return std::size_t{0};
  });
}

void BM_Change_Index(benchmark::State& state, Change change) {
  static SearchIndex index(syntheticLibrary().cards);
  timeChanges(state, change, [](Change kind, std::size_t, const SearchableCard& card) {
    // A removed card is added back at once, so the library keeps its size; both are timed.
    if (kind == Change::remove) {
      index.remove(card.id());
      index.insert(card);
    } else if (kind == Change::add) {
      const SearchableCard added(UUID::random(), card.type(), card.title(), card.content(), "",
                                 tagsOf(card), card.shelfName(), card.projectName(),
                                 card.factLabel(), card.sourceApp(), card.useCount(),
                                 card.lastUsedAt());
      index.insert(added);
    } else {
      index.insert(card);
    }
    return index.cardCount();
  });
}

void BM_Change_FTS5(benchmark::State& state, Change change) {
  static FtsTable table(syntheticLibrary().cards);
  timeChanges(state, change, [](Change kind, std::size_t at, const SearchableCard& card) {
    if (kind == Change::remove) {
      table.remove(static_cast<std::int64_t>(at) + 1);
      table.put(static_cast<std::int64_t>(at) + 1, card);
    } else {
      table.put(static_cast<std::int64_t>(at) + 1, card);
    }
    return std::size_t{1};
  });
}

BENCHMARK_CAPTURE(BM_Change_Index, add, Change::add)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Change_FTS5, add, Change::add)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Change_Index, change, Change::change)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Change_FTS5, change, Change::change)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Change_Index, remove_and_add_back, Change::remove)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Change_FTS5, remove_and_add_back, Change::remove)
    ->Unit(benchmark::kMicrosecond);

// Large blocks are mapped apart from the heap's arena: both count.
std::size_t heapInUse() {
  const auto info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// Memory per card: the index beyond the records it shares with the caller, the records
// themselves, both together, and FTS5 with its own copy of the texts and without
// (contentless), alone and beside the app's own records.
void BM_Memory(benchmark::State& state) {
  const auto& cards = syntheticLibrary().cards;
  const double perCard = 1.0 / static_cast<double>(cards.size());
  for (auto _ : state) {
    const std::size_t before = heapInUse();
    std::vector<SearchableCard> records;
    records.reserve(cards.size());
    for (const auto& c : cards) {
      records.emplace_back(c.id(), c.type(), c.title(), c.content(), c.extractedText(), tagsOf(c),
                           c.shelfName(), c.projectName(), c.factLabel(), c.sourceApp(),
                           c.useCount(), c.lastUsedAt());
    }
    const std::size_t withRecords = heapInUse();
    const SearchIndex index(records);
    const std::size_t withIndex = heapInUse();
    state.counters["index_B_per_card"] = static_cast<double>(withIndex - withRecords) * perCard;
    state.counters["index_counted_B_per_card"] = static_cast<double>(index.memoryUsage()) * perCard;
    const double recordBytes = static_cast<double>(withRecords - before) * perCard;
    state.counters["records_B_per_card"] = recordBytes;
    state.counters["index_and_records_B_per_card"] =
        static_cast<double>(withIndex - before) * perCard;
    for (const bool contentless : {false, true}) {
      const auto sqliteBefore = sqlite3_memory_used();
      const FtsTable table(cards, contentless);
      const auto used = static_cast<double>(sqlite3_memory_used() - sqliteBefore) * perCard;
      state.counters[contentless ? "fts5_contentless_B_per_card" : "fts5_B_per_card"] = used;
      // An app searching with FTS5 keeps its own cards too.
      if (!contentless) state.counters["fts5_and_records_B_per_card"] = used + recordBytes;
    }
  }
}
BENCHMARK(BM_Memory)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace kelvo::bench
