// The library's cards in a file store against raw SQLite on the same table, in one binary:
// making and saving, reopening and fetching, closing, memory held, moving a card between
// shelves with `Card::setShelf`, and deleting cards. 10,000 and 100,000 cards, and as many more as
// KELVO_BENCH_STORE_CARDS says (1000000 for the large figures; minutes and gigabytes).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/StoreBenchSupport.hpp"
#include "bench/SyntheticLibrary.hpp"
#include "core/model/Card.hpp"
#include "core/model/KelvoModel.hpp"
#include "core/model/Shelf.hpp"
#include "platform/data/Container.hpp"
#include "platform/data/ValueTransformer.hpp"

namespace {

using namespace kelvo;
using bench::check;
using bench::Connection;
using bench::Held;
using bench::storeSizes;
using bench::timeRead;
using bench::timeRelease;

// Each size with a flag of 0 and of 1.
void storeSizesAndFlag(benchmark::internal::Benchmark* benchmark) {
  for (const long long flag : {0, 1}) {
    benchmark->Args({10'000, flag})->Args({100'000, flag});
    const char* given = std::getenv("KELVO_BENCH_STORE_CARDS");
    if (given != nullptr && std::atoll(given) > 0) benchmark->Args({std::atoll(given), flag});
  }
}

// Heap in use, small blocks and separately mapped large ones alike.
double heapBytes() {
  const auto info = mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd);
}

// One card's values as `Card::make` takes them, and what it derives from them, so that the raw
// side writes the very same row.
struct CardRow {
  Card::Fields fields;
  std::string preview, hash, tagsJSON;
};

// Mixed texts: the search benchmarks' vocabulary (one word in ten outside ASCII), Zipf-drawn.
std::vector<CardRow> makeRows(std::size_t count) {
  using namespace kelvo::bench::detail;
  Sampler sampler(7);
  const auto vocabulary = makeVocabulary(sampler);
  const ZipfWords zipf(vocabulary.size());
  const auto words = [&](std::size_t n) {
    std::string text;
    for (std::size_t i = 0; i < n; ++i) {
      if (i > 0) text += ' ';
      text += vocabulary[zipf.draw(sampler)];
    }
    return text;
  };
  const auto* transformer =
      data::ValueTransformer::named(data::ValueTransformer::secureUnarchiveFromDataName);
  std::vector<CardRow> rows(count);
  for (std::size_t i = 0; i < count; ++i) {
    Card::Fields& fields = rows[i].fields;
    UUID::Bytes bytes{};
    for (std::size_t b = 0; b < 8; ++b) bytes[b] = static_cast<std::uint8_t>(i >> (8 * b));
    bytes[8] = 0x80;
    fields.id = UUID(bytes);
    const bool fact = sampler.below(10) == 0;
    fields.type = fact ? CardType::fact : CardType::text;
    fields.title = words(5);
    fields.payload = words(40 + sampler.below(41));
    fields.autoTags = {words(1), words(1), words(1)};
    fields.createdAt = Date(700'000'000 + static_cast<double>(sampler.below(10'000'000)));
    if (sampler.below(10) < 7) fields.lastUsedAt = fields.createdAt + 86'400;
    fields.useCount = static_cast<std::int64_t>(sampler.below(60));
    if (sampler.below(2) == 0) fields.sourceApp = "com.example.Mail";
    if (fact) {
      fields.factKind = FactKind::custom;
      fields.factLabel = words(1);
    }
    fields.byteCount = static_cast<std::int64_t>(fields.payload.size());
    rows[i].preview = Card::makePreview(fields.payload, 140);
    rows[i].hash = Card::contentHash(fields.type, fields.payload);
    rows[i].tagsJSON = *transformer->encode(data::Value(fields.autoTags));
  }
  return rows;
}

// The rows of the size last asked for; one size is held at a time.
std::vector<CardRow>& rows(std::size_t count) {
  static std::vector<CardRow> held;
  if (held.size() != count) {
    held = {};
    held = makeRows(count);
  }
  return held;
}

std::filesystem::path storePath(const std::string& name) { return bench::benchFolder() / name; }

void removeStore(const std::filesystem::path& path) {
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path.string() + suffix);
}

std::unique_ptr<data::Container> open(const std::filesystem::path& path) {
  auto container = std::make_unique<data::Container>("Bench", KelvoModel::shared());
  container->setStoreDescriptions({data::StoreDescription(path)});
  container->loadStores([](const data::StoreDescription&, const data::StoreError* error) {
    if (error != nullptr) throw *error;
  });
  return container;
}

const UUID workID = *UUID::parse("A11B0000-0000-4000-8000-000000000002");

// A fresh store holding the two shelves, saved: "Unsorted" (key 1) and "Work" (key 2).
std::unique_ptr<data::Container> storeWithShelves(const std::filesystem::path& path) {
  removeStore(path);
  auto container = open(path);
  data::Context& context = container->viewContext();
  for (const auto& [id, name] : {std::pair<UUID, std::string>{Shelf::defaultShelfID(), "Unsorted"},
                                 std::pair<UUID, std::string>{workID, "Work"}}) {
    auto shelf = Shelf::make(id, name, 0, Date(700'000'000), id != workID, nullptr);
    context.insert(shelf);
  }
  context.save();
  return container;
}

std::shared_ptr<Shelf> shelfWithID(data::Context& context, const UUID& id) {
  for (auto& shelf : context.fetch(Shelf::fetchRequest())) {
    if (shelf->id() == id) return shelf;
  }
  throw std::runtime_error("no such shelf");
}

// Puts every row's card on "Unsorted" of `context`, every tenth on "Work"; or, without a
// context, on no shelf.
void placeOnShelves(data::Context* context, std::size_t count) {
  const auto unsorted = context ? shelfWithID(*context, Shelf::defaultShelfID()) : nullptr;
  const auto work = context ? shelfWithID(*context, workID) : nullptr;
  std::size_t i = 0;
  for (CardRow& row : rows(count)) row.fields.shelf = i++ % 10 == 9 ? work : unsorted;
}

// The cards of the rows, made on the shelves they were put on.
std::vector<std::shared_ptr<Card>> makeCards(std::size_t count) {
  std::vector<std::shared_ptr<Card>> cards;
  cards.reserve(count);
  for (const CardRow& row : rows(count)) cards.push_back(Card::make(row.fields));
  return cards;
}

// The store of that many cards the read benchmarks open, made once per run.
std::filesystem::path fullStore(std::size_t count) {
  static std::vector<std::size_t> made;
  const auto path = storePath("Cards-" + std::to_string(count) + ".store");
  if (std::find(made.begin(), made.end(), count) != made.end()) return path;
  auto container = storeWithShelves(path);
  placeOnShelves(&container->viewContext(), count);
  makeCards(count);
  container->viewContext().save();
  placeOnShelves(nullptr, count);
  made.push_back(count);
  return path;
}

sqlite3* openRaw(const std::filesystem::path& path) {
  sqlite3* db = nullptr;
  check(sqlite3_open(path.c_str(), &db), db);
  check(sqlite3_exec(db,
                     "PRAGMA foreign_keys = ON; PRAGMA journal_mode = WAL; "
                     "PRAGMA synchronous = FULL",
                     nullptr, nullptr, nullptr),
        db);
  return db;
}

void bindText(sqlite3_stmt* statement, int column, const std::optional<std::string>& text) {
  if (!text) {
    sqlite3_bind_null(statement, column);
    return;
  }
  sqlite3_bind_text(statement, column, text->data(), static_cast<int>(text->size()), SQLITE_STATIC);
}

// Prepared inserts of every card's columns, in one transaction, as a caller of SQLite writes
// them: the connection is left open. `derives`: the caller derives each card's preview, content
// hash and tag list's text as `Card::make` and the store do.
sqlite3* rawInsertAll(const std::filesystem::path& path, const std::vector<CardRow>& input,
                      bool derives) {
  sqlite3* db = openRaw(path);
  check(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), db);
  sqlite3_stmt* insert = nullptr;
  check(sqlite3_prepare_v2(
            db,
            "INSERT INTO Card (_pk, id, typeRaw, title, generatedTitle, payload, previewText, "
            "extractedText, autoTags, createdAt, lastUsedAt, useCount, isPinned, isLocked, "
            "sourceApp, factKindRaw, factLabel, syncStateRaw, contentHash, isPayloadAvailable, "
            "deletedAt, pageCount, payloadData, thumbnailData, filename, byteCount, shelf) "
            "VALUES (?1, ?2, ?3, ?4, ?4, ?5, ?6, '', ?7, ?8, ?9, ?10, 0, 0, ?11, ?12, ?13, "
            "'localOnly', ?14, 1, NULL, NULL, NULL, NULL, NULL, ?15, ?16)",
            -1, &insert, nullptr),
        db);
  const auto* tagWriter =
      data::ValueTransformer::named(data::ValueTransformer::secureUnarchiveFromDataName);
  std::string preview, hash, tags;
  std::int64_t key = 0;
  for (const CardRow& row : input) {
    const Card::Fields& card = row.fields;
    sqlite3_bind_int64(insert, 1, ++key);
    sqlite3_bind_blob(insert, 2, card.id.bytes().data(), 16, SQLITE_STATIC);
    bindText(insert, 3, std::string(rawValue(card.type)));
    bindText(insert, 4, card.title);
    bindText(insert, 5, card.payload);
    if (derives) {
      preview = Card::makePreview(card.payload, 140);
      hash = Card::contentHash(card.type, card.payload);
      tags = *tagWriter->encode(data::Value(card.autoTags));
    }
    bindText(insert, 6, derives ? preview : row.preview);
    const std::string& tagsJSON = derives ? tags : row.tagsJSON;
    sqlite3_bind_blob(insert, 7, tagsJSON.data(), static_cast<int>(tagsJSON.size()), SQLITE_STATIC);
    sqlite3_bind_double(insert, 8, card.createdAt.timeIntervalSinceReferenceDate());
    if (card.lastUsedAt) {
      sqlite3_bind_double(insert, 9, card.lastUsedAt->timeIntervalSinceReferenceDate());
    } else {
      sqlite3_bind_null(insert, 9);
    }
    sqlite3_bind_int64(insert, 10, card.useCount);
    bindText(insert, 11, card.sourceApp);
    bindText(insert, 12,
             card.factKind ? std::optional<std::string>(rawValue(*card.factKind)) : std::nullopt);
    bindText(insert, 13, card.factLabel);
    bindText(insert, 14, derives ? hash : row.hash);
    sqlite3_bind_int64(insert, 15, card.byteCount);
    sqlite3_bind_int64(insert, 16, key % 10 == 0 ? 2 : 1);
    check(sqlite3_step(insert), db);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
  return db;
}

// Arg 1: the caller derives each card's preview, content hash and tag text. Closing is not timed
// here, as the other side's is not (see the close benchmarks).
void BM_RawInsert(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  const auto& input = rows(count);
  const auto path = storePath("RawInsert.store");
  for (auto _ : state) {
    state.PauseTiming();
    storeWithShelves(path);  // the same tables, indexes and shelves
    state.ResumeTiming();
    sqlite3* db = rawInsertAll(path, input, state.range(1) != 0);
    state.PauseTiming();
    sqlite3_close(db);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RawInsert)->Apply(storeSizesAndFlag)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_CardMakeAndSave(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  rows(count);
  const auto path = storePath("CardMake.store");
  for (auto _ : state) {
    state.PauseTiming();
    auto container = storeWithShelves(path);
    placeOnShelves(&container->viewContext(), count);
    state.ResumeTiming();
    auto cards = makeCards(count);
    container->viewContext().save();
    state.PauseTiming();
    placeOnShelves(nullptr, count);
    cards = {};
    container.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CardMakeAndSave)->Apply(storeSizes)->Unit(benchmark::kMillisecond)->MinTime(2);

// Making the cards alone, in no context: the part of the above that derives the preview and
// the content hash and fills the objects.
void BM_CardMakeAlone(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  const auto& input = rows(count);
  for (auto _ : state) {
    std::vector<std::shared_ptr<Card>> cards;
    cards.reserve(count);
    for (const CardRow& row : input) cards.push_back(Card::make(row.fields));
    state.PauseTiming();
    cards = {};
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CardMakeAlone)->Apply(storeSizes)->Unit(benchmark::kMillisecond)->MinTime(2);

// A card's row as a caller of raw SQLite holds it.
struct PlainCard {
  std::int64_t key;
  UUID id;
  std::string typeRaw, title, generatedTitle, payload, previewText, extractedText, autoTags;
  double createdAt;
  std::optional<double> lastUsedAt;
  std::int64_t useCount;
  bool isPinned, isLocked;
  std::optional<std::string> sourceApp, factKindRaw, factLabel;
  std::string syncStateRaw, contentHash;
  bool isPayloadAvailable;
  std::optional<double> deletedAt;
  std::optional<std::int64_t> pageCount;
  std::optional<std::string> payloadData, thumbnailData, filename;
  std::int64_t byteCount;
  std::optional<std::int64_t> shelf;
};

PlainCard plainCard(const CardRow& row, std::size_t key) {
  const Card::Fields& card = row.fields;
  const auto date = [](const std::optional<Date>& date) -> std::optional<double> {
    if (!date) return std::nullopt;
    return date->timeIntervalSinceReferenceDate();
  };
  return PlainCard{.key = static_cast<std::int64_t>(key),
                   .id = card.id,
                   .typeRaw = std::string(rawValue(card.type)),
                   .title = card.title,
                   .generatedTitle = card.title,
                   .payload = card.payload,
                   .previewText = row.preview,
                   .extractedText = card.extractedText,
                   .autoTags = row.tagsJSON,
                   .createdAt = card.createdAt.timeIntervalSinceReferenceDate(),
                   .lastUsedAt = date(card.lastUsedAt),
                   .useCount = card.useCount,
                   .isPinned = card.isPinned,
                   .isLocked = card.isLocked,
                   .sourceApp = card.sourceApp,
                   .factKindRaw = card.factKind
                                      ? std::optional<std::string>(rawValue(*card.factKind))
                                      : std::nullopt,
                   .factLabel = card.factLabel,
                   .syncStateRaw = "localOnly",
                   .contentHash = row.hash,
                   .isPayloadAvailable = card.isPayloadAvailable,
                   .deletedAt = std::nullopt,
                   .pageCount = card.pageCount,
                   .payloadData = std::nullopt,
                   .thumbnailData = std::nullopt,
                   .filename = card.filename,
                   .byteCount = card.byteCount,
                   .shelf = static_cast<std::int64_t>(key % 10 == 0 ? 2 : 1)};
}

// Every row, in a vector of exactly their number (counted first), so that the rows take what
// they need and no more.
std::vector<PlainCard> scanAll(sqlite3* db) {
  sqlite3_stmt* count = nullptr;
  check(sqlite3_prepare_v2(db, "SELECT COUNT(*) FROM Card", -1, &count, nullptr), db);
  check(sqlite3_step(count), db);
  std::vector<PlainCard> cards;
  cards.reserve(static_cast<std::size_t>(sqlite3_column_int64(count, 0)));
  sqlite3_finalize(count);
  sqlite3_stmt* select = nullptr;
  check(sqlite3_prepare_v2(db, "SELECT * FROM Card", -1, &select, nullptr), db);
  const auto text = [&](int column) {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(select, column));
    return bytes == nullptr ? std::string()
                            : std::string(bytes, sqlite3_column_bytes(select, column));
  };
  const auto optionalText = [&](int column) -> std::optional<std::string> {
    if (sqlite3_column_type(select, column) == SQLITE_NULL) return std::nullopt;
    return text(column);
  };
  const auto optionalReal = [&](int column) -> std::optional<double> {
    if (sqlite3_column_type(select, column) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_double(select, column);
  };
  const auto optionalInteger = [&](int column) -> std::optional<std::int64_t> {
    if (sqlite3_column_type(select, column) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_int64(select, column);
  };
  while (sqlite3_step(select) == SQLITE_ROW) {
    PlainCard& card = cards.emplace_back();
    card.key = sqlite3_column_int64(select, 0);
    UUID::Bytes id{};
    if (sqlite3_column_bytes(select, 1) == 16) {
      std::memcpy(id.data(), sqlite3_column_blob(select, 1), 16);
    }
    card.id = UUID(id);
    card.typeRaw = text(2);
    card.title = text(3);
    card.generatedTitle = text(4);
    card.payload = text(5);
    card.previewText = text(6);
    card.extractedText = text(7);
    card.autoTags = text(8);
    card.createdAt = sqlite3_column_double(select, 9);
    card.lastUsedAt = optionalReal(10);
    card.useCount = sqlite3_column_int64(select, 11);
    card.isPinned = sqlite3_column_int64(select, 12) != 0;
    card.isLocked = sqlite3_column_int64(select, 13) != 0;
    card.sourceApp = optionalText(14);
    card.factKindRaw = optionalText(15);
    card.factLabel = optionalText(16);
    card.syncStateRaw = text(17);
    card.contentHash = text(18);
    card.isPayloadAvailable = sqlite3_column_int64(select, 19) != 0;
    card.deletedAt = optionalReal(20);
    card.pageCount = optionalInteger(21);
    card.payloadData = optionalText(22);
    card.thumbnailData = optionalText(23);
    card.filename = optionalText(24);
    card.byteCount = sqlite3_column_int64(select, 25);
    card.shelf = optionalInteger(26);
  }
  sqlite3_finalize(select);
  return cards;
}

void BM_RawScan(benchmark::State& state) {
  const auto path = fullStore(static_cast<std::size_t>(state.range(0)));
  timeRead(state, heapBytes, [&] {
    auto cards = scanAll(Connection(openRaw(path), sqlite3_close).get());
    return Held{std::move(cards), Connection(nullptr, sqlite3_close)};
  });
}
BENCHMARK(BM_RawScan)->Apply(storeSizes)->Unit(benchmark::kMillisecond)->MinTime(2);

// The open connection's page cache is counted here and not on the raw side.
void BM_OpenAndFetch(benchmark::State& state) {
  const auto path = fullStore(static_cast<std::size_t>(state.range(0)));
  timeRead(state, heapBytes, [&] {
    auto container = open(path);
    auto cards = container->viewContext().fetch(Card::fetchRequest());
    return Held{std::move(cards), std::move(container)};
  });
}
BENCHMARK(BM_OpenAndFetch)->Apply(storeSizes)->Unit(benchmark::kMillisecond)->MinTime(2);

// Closing after a read: the raw side frees its rows and closes the connection.
void BM_RawClose(benchmark::State& state) {
  const auto path = fullStore(static_cast<std::size_t>(state.range(0)));
  timeRelease(state, [&] {
    Connection db(openRaw(path), sqlite3_close);
    auto cards = scanAll(db.get());
    return Held{std::move(cards), std::move(db)};
  });
}
BENCHMARK(BM_RawClose)->Apply(storeSizes)->Unit(benchmark::kMillisecond)->MinTime(2);

void BM_CloseAfterFetch(benchmark::State& state) {
  const auto path = fullStore(static_cast<std::size_t>(state.range(0)));
  timeRelease(state, [&] {
    auto container = open(path);
    auto cards = container->viewContext().fetch(Card::fetchRequest());
    return Held{std::move(cards), std::move(container)};
  });
}
BENCHMARK(BM_CloseAfterFetch)->Apply(storeSizes)->Unit(benchmark::kMillisecond)->MinTime(2);

// Closing after inserting every card: the rows the caller holds go, then the connection, which
// checkpoints its log as the container's does.
void BM_RawCloseAfterInsert(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  const auto& input = rows(count);
  const auto path = storePath("RawClose.store");
  timeRelease(state, [&] {
    storeWithShelves(path);
    Connection db(rawInsertAll(path, input, false), sqlite3_close);
    std::vector<PlainCard> cards;
    cards.reserve(count);
    for (const CardRow& row : input) cards.push_back(plainCard(row, cards.size() + 1));
    return Held{std::move(cards), std::move(db)};
  });
}
BENCHMARK(BM_RawCloseAfterInsert)->Apply(storeSizes)->Unit(benchmark::kMillisecond)->MinTime(2);

// Closing after making and saving every card: what the maker holds goes, then the container.
void BM_CloseAfterMakeAndSave(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  rows(count);
  const auto path = storePath("CardClose.store");
  timeRelease(state, [&] {
    auto container = storeWithShelves(path);
    placeOnShelves(&container->viewContext(), count);
    auto cards = makeCards(count);
    container->viewContext().save();
    placeOnShelves(nullptr, count);
    return Held{std::move(cards), std::move(container)};
  });
}
BENCHMARK(BM_CloseAfterMakeAndSave)->Apply(storeSizes)->Unit(benchmark::kMillisecond)->MinTime(2);

// The card on "Unsorted" in the middle of the library, and the shelf to move it to.
struct Move {
  std::unique_ptr<data::Container> container;
  std::vector<std::shared_ptr<Card>> cards;
  std::shared_ptr<Card> card;
  std::shared_ptr<Shelf> from, to;
};

Move prepareMove(std::size_t count, bool readShelves) {
  Move move;
  move.container = open(fullStore(count));
  data::Context& context = move.container->viewContext();
  move.cards = context.fetch(Card::fetchRequest());
  move.from = shelfWithID(context, Shelf::defaultShelfID());
  move.to = shelfWithID(context, workID);
  move.card = move.cards[move.cards.size() / 2];
  if (move.card->shelf() != move.from) move.card = move.cards[move.cards.size() / 2 + 1];
  // A library view reads the shelves' cards before the user drags one.
  if (readShelves) benchmark::DoNotOptimize(move.from->cards().size() + move.to->cards().size());
  return move;
}

// Arg 1: the shelves' cards were read first.
void BM_FirstShelfMove(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    Move move = prepareMove(static_cast<std::size_t>(state.range(0)), state.range(1) != 0);
    state.ResumeTiming();
    move.card->setShelf(move.to);
    state.PauseTiming();
    if (move.card->shelf() != move.to) state.SkipWithError("not moved");
    move = {};
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstShelfMove)
    ->Apply(storeSizesAndFlag)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(5);

// The work callgrind counts (`--toggle-collect='*laterWork*'` and the like): a change and its
// save on either side, nothing of the benchmark's own bookkeeping.
[[gnu::noinline]] void moveAndSave(data::Context& context, Card& card,
                                   const std::shared_ptr<Shelf>& to) {
  card.setShelf(to);
  context.save();
}

[[gnu::noinline]] void deleteAndSave(data::Context& context, Card& card) {
  context.deleteObject(card);
  context.save();
}

// Moves back and forth, each saved: the first move is made before timing.
void BM_ShelfMoveAndSave(benchmark::State& state) {
  Move move = prepareMove(static_cast<std::size_t>(state.range(0)), state.range(1) != 0);
  data::Context& context = move.container->viewContext();
  move.card->setShelf(move.to);
  context.save();
  for (auto _ : state) {
    std::swap(move.from, move.to);
    moveAndSave(context, *move.card, move.to);
  }
  move.card->setShelf(shelfWithID(context, Shelf::defaultShelfID()));
  context.save();
}
BENCHMARK(BM_ShelfMoveAndSave)
    ->Apply(storeSizesAndFlag)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200);

// A caller of SQLite that changes one row a transaction, every statement prepared once, its
// transaction's too.
class RawWriter {
 public:
  RawWriter(const std::filesystem::path& path, const char* change) : db_(openRaw(path)) {
    for (auto [statement, sql] : {std::pair{&begin_, "BEGIN IMMEDIATE"},
                                  std::pair{&commit_, "COMMIT"}, std::pair{&change_, change}}) {
      check(sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, statement, nullptr), db_);
    }
  }
  ~RawWriter() {
    for (sqlite3_stmt* statement : {begin_, commit_, change_}) sqlite3_finalize(statement);
    sqlite3_close(db_);
  }
  RawWriter(const RawWriter&) = delete;
  RawWriter& operator=(const RawWriter&) = delete;

  // Runs the change on row `key`, with `value` as its second parameter when given.
  [[gnu::noinline]] void run(std::int64_t key, std::optional<std::int64_t> value = std::nullopt) {
    step(begin_);
    sqlite3_bind_int64(change_, 1, key);
    if (value) sqlite3_bind_int64(change_, 2, *value);
    step(change_);
    step(commit_);
  }

 private:
  void step(sqlite3_stmt* statement) {
    check(sqlite3_step(statement), db_);
    sqlite3_reset(statement);
  }

  sqlite3* db_;
  sqlite3_stmt* begin_ = nullptr;
  sqlite3_stmt* commit_ = nullptr;
  sqlite3_stmt* change_ = nullptr;
};

// The raw peer of a move: one UPDATE of the card's shelf in its own transaction.
void BM_RawShelfMove(benchmark::State& state) {
  const auto path = fullStore(static_cast<std::size_t>(state.range(0)));
  const auto key = static_cast<std::int64_t>(state.range(0) / 2);
  {
    RawWriter writer(path, "UPDATE Card SET shelf = ?2 WHERE _pk = ?1");
    std::int64_t shelf = 1;
    writer.run(key, 3 - shelf);  // the first move, as on the store's side
    for (auto _ : state) {
      writer.run(key, shelf);
      shelf = 3 - shelf;
    }
    writer.run(key, key % 10 == 0 ? 2 : 1);
  }
}
BENCHMARK(BM_RawShelfMove)->Apply(storeSizes)->Unit(benchmark::kMicrosecond)->Iterations(200);

// Deletes work on a copy of the full store, which they change.
std::filesystem::path storeToDeleteFrom(std::size_t count) {
  const auto full = fullStore(count);
  const auto copy = storePath("Deletes.store");
  removeStore(copy);
  std::filesystem::copy_file(full, copy);
  return copy;
}

struct Library {
  std::unique_ptr<data::Container> container;
  std::vector<std::shared_ptr<Card>> cards;  // every card, fetched, as a library view holds them
};

Library openLibrary(const std::filesystem::path& path) {
  Library library{open(path), {}};
  library.cards = library.container->viewContext().fetch(Card::fetchRequest());
  return library;
}

// The first delete after every card was fetched: the card in the middle of "Unsorted".
void BM_FirstDeleteAndSave(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    Library library = openLibrary(storeToDeleteFrom(count));
    Card& card = *library.cards[count / 2];
    state.ResumeTiming();
    deleteAndSave(library.container->viewContext(), card);
    state.PauseTiming();
    library = {};
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstDeleteAndSave)
    ->Apply(storeSizes)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(5)
    ->UseRealTime();

void BM_RawFirstDelete(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto writer =
        std::make_unique<RawWriter>(storeToDeleteFrom(count), "DELETE FROM Card WHERE _pk = ?1");
    state.ResumeTiming();
    writer->run(static_cast<std::int64_t>(count / 2 + 1));
    state.PauseTiming();
    writer.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RawFirstDelete)
    ->Apply(storeSizes)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(5)
    ->UseRealTime();

// Later deletes, each saved: the cards after the middle one, one by one.
void BM_DeleteAndSave(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  Library library = openLibrary(storeToDeleteFrom(count));
  data::Context& context = library.container->viewContext();
  std::size_t next = count / 2;
  context.deleteObject(*library.cards[next++]);
  context.save();
  for (auto _ : state) deleteAndSave(context, *library.cards[next++]);
}
BENCHMARK(BM_DeleteAndSave)->Apply(storeSizes)->Unit(benchmark::kMicrosecond)->Iterations(200);

void BM_RawDelete(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  RawWriter writer(storeToDeleteFrom(count), "DELETE FROM Card WHERE _pk = ?1");
  auto next = static_cast<std::int64_t>(count / 2 + 1);
  writer.run(next++);
  for (auto _ : state) writer.run(next++);
}
BENCHMARK(BM_RawDelete)->Apply(storeSizes)->Unit(benchmark::kMicrosecond)->Iterations(200);

}  // namespace
