// The managed-object layer against raw SQLite, on rows of the card entity's shape: 10,000 and
// 100,000 cards, and as many more as KELVO_BENCH_STORE_CARDS says (1000000 for the large figures).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "bench/StoreBenchSupport.hpp"
#include "platform/data/Container.hpp"
#include "platform/data/ValueTransformer.hpp"

namespace {

using namespace kelvo;
using namespace kelvo::data;
using bench::benchFolder;
using bench::check;
using bench::Connection;
using bench::Held;
using bench::storeSizes;
using bench::timeRead;
using bench::timeRelease;

// Bytes the allocator hands out now; the difference across a step is the memory it keeps.
double heapBytes() { return static_cast<double>(mallinfo2().uordblks); }

std::shared_ptr<const Model> cardModel() {
  static const auto model = [] {
    const UUID id = UUID::random();
    const Date now(760'000'000);
    EntityDescription card("Card");
    const auto required = [&](const char* name, AttributeType type, Value value) {
      card.addAttribute({name, type, false, std::move(value)});
    };
    const auto optional = [&](const char* name, AttributeType type) {
      card.addAttribute({name, type});
    };
    required("id", AttributeType::uuid, id);
    for (const char* name :
         {"typeRaw", "title", "generatedTitle", "payload", "previewText", "extractedText"}) {
      required(name, AttributeType::string, "");
    }
    AttributeDescription tags("autoTags", AttributeType::transformable, false, Value::StringList{});
    tags.valueTransformerName = ValueTransformer::secureUnarchiveFromDataName;
    card.addAttribute(tags);
    required("createdAt", AttributeType::date, now);
    optional("lastUsedAt", AttributeType::date);
    required("useCount", AttributeType::integer64, 0);
    required("isPinned", AttributeType::boolean, false);
    required("isLocked", AttributeType::boolean, false);
    optional("sourceApp", AttributeType::string);
    optional("factKindRaw", AttributeType::string);
    optional("factLabel", AttributeType::string);
    required("syncStateRaw", AttributeType::string, "");
    required("contentHash", AttributeType::string, "");
    required("isPayloadAvailable", AttributeType::boolean, true);
    optional("deletedAt", AttributeType::date);
    optional("pageCount", AttributeType::integer64);
    optional("payloadData", AttributeType::binaryData);
    optional("thumbnailData", AttributeType::binaryData);
    optional("filename", AttributeType::string);
    required("byteCount", AttributeType::integer64, 0);
    card.addRelationship({"shelf", "Shelf", 0, 1, "cardsStorage"});
    EntityDescription shelf("Shelf");
    shelf.addAttribute({"id", AttributeType::uuid, false, id});
    shelf.addAttribute({"name", AttributeType::string, false, ""});
    shelf.addRelationship({"cardsStorage", "Card", 0, 0, "shelf"});
    return std::make_shared<const Model>(std::vector<EntityDescription>{card, shelf});
  }();
  return model;
}

// One card's values, made before timing starts.
struct CardRow {
  UUID id;
  std::string title, payload, preview, extracted, hash, tagsJSON;
  Value::StringList tags;
  double createdAt, lastUsedAt;
  std::int64_t useCount;
};

std::string words(std::mt19937& random, std::size_t length) {
  static const char* vocabulary[] = {"meeting", "invoice",  "address", "reply",   "thanks",
                                     "project", "deadline", "draft",   "summary", "client"};
  std::string text;
  while (text.size() < length) {
    text += vocabulary[random() % 10];
    text += ' ';
  }
  text.resize(length);
  return text;
}

// The rows of the size last asked for; only one size is held at a time.
const std::vector<CardRow>& rows(std::size_t cardCount) {
  static std::vector<CardRow> held;
  if (held.size() != cardCount) {
    held.clear();
    held.shrink_to_fit();
    std::mt19937 random(42);
    std::vector<CardRow> result(cardCount);
    for (auto& row : result) {
      row.id = UUID::random();
      row.title = words(random, 40);
      row.payload = words(random, 600);
      row.preview = row.payload.substr(0, 140);
      row.extracted = words(random, 300);
      row.hash = std::string(64, 'a');
      row.tags = {"work", "mail", "draft"};
      row.tagsJSON = *ValueTransformer::named(ValueTransformer::secureUnarchiveFromDataName)
                          ->encode(Value(row.tags));
      row.createdAt = 700'000'000 + random() % 1'000'000;
      row.lastUsedAt = row.createdAt + 60;
      row.useCount = random() % 100;
    }
    held = std::move(result);
  }
  return held;
}

std::filesystem::path freshStore(const char* name) {
  const auto path = benchFolder() / name;
  for (const char* suffix : {"", "-wal", "-shm"}) {
    std::filesystem::remove(path.string() + suffix);
  }
  return path;
}

std::unique_ptr<Container> open(const std::filesystem::path& path) {
  auto container = std::make_unique<Container>("Bench", cardModel());
  container->setStoreDescriptions({StoreDescription(path)});
  container->loadStores([](const StoreDescription&, const StoreError* error) {
    if (error != nullptr) throw *error;
  });
  return container;
}

void insertCards(Context& context, std::size_t cardCount) {
  const EntityDescription& entity = *cardModel()->entity("Card");
  for (const auto& row : rows(cardCount)) {
    const auto card = ManagedObject::make(entity, &context);
    card->setValue("id", row.id);
    card->setValue("typeRaw", "text");
    card->setValue("title", row.title);
    card->setValue("generatedTitle", row.title);
    card->setValue("payload", row.payload);
    card->setValue("previewText", row.preview);
    card->setValue("extractedText", row.extracted);
    card->setValue("autoTags", row.tags);
    card->setValue("createdAt", Date(row.createdAt));
    card->setValue("lastUsedAt", Date(row.lastUsedAt));
    card->setValue("useCount", row.useCount);
    card->setValue("isPinned", false);
    card->setValue("isLocked", false);
    card->setValue("sourceApp", "com.example.Mail");
    card->setValue("syncStateRaw", "localOnly");
    card->setValue("contentHash", row.hash);
    card->setValue("isPayloadAvailable", true);
    card->setValue("byteCount", static_cast<std::int64_t>(row.payload.size()));
  }
}

// The store `<kind>-<cardCount>.store`, filled and saved the first time it is asked for.
std::filesystem::path storeMadeOnce(std::string_view kind, std::size_t cardCount,
                                    const std::function<void(Context&)>& fill) {
  static std::vector<std::string> made;
  const auto name = std::string(kind) + "-" + std::to_string(cardCount) + ".store";
  const auto path = benchFolder() / name;
  if (std::find(made.begin(), made.end(), name) != made.end()) return path;
  freshStore(name.c_str());
  auto container = open(path);
  fill(container->viewContext());
  container->viewContext().save();
  made.push_back(name);
  return path;
}

// The store of that many cards the read benchmarks open.
std::filesystem::path fullStore(std::size_t cardCount) {
  return storeMadeOnce("Full", cardCount,
                       [cardCount](Context& context) { insertCards(context, cardCount); });
}

void BM_RawInsert(benchmark::State& state) {
  const auto cardCount = static_cast<std::size_t>(state.range(0));
  rows(cardCount);
  for (auto _ : state) {
    state.PauseTiming();
    const auto path = freshStore("Raw.store");
    open(path);  // the same tables, indexes and settings
    state.ResumeTiming();
    sqlite3* db = nullptr;
    check(sqlite3_open(path.c_str(), &db), db);
    check(sqlite3_exec(db,
                       "PRAGMA foreign_keys = ON; PRAGMA journal_mode = WAL; "
                       "PRAGMA synchronous = FULL; BEGIN IMMEDIATE",
                       nullptr, nullptr, nullptr),
          db);
    sqlite3_stmt* insert = nullptr;
    check(sqlite3_prepare_v2(
              db,
              "INSERT INTO Card (id, typeRaw, title, generatedTitle, payload, previewText, "
              "extractedText, autoTags, createdAt, lastUsedAt, useCount, isPinned, isLocked, "
              "sourceApp, syncStateRaw, contentHash, isPayloadAvailable, byteCount) VALUES "
              "(?1, 'text', ?2, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, 0, 0, 'com.example.Mail', "
              "'localOnly', ?10, 1, ?11)",
              -1, &insert, nullptr),
          db);
    for (const auto& row : rows(cardCount)) {
      sqlite3_bind_blob(insert, 1, row.id.bytes().data(), 16, SQLITE_STATIC);
      sqlite3_bind_text(insert, 2, row.title.data(), static_cast<int>(row.title.size()),
                        SQLITE_STATIC);
      sqlite3_bind_text(insert, 3, row.payload.data(), static_cast<int>(row.payload.size()),
                        SQLITE_STATIC);
      sqlite3_bind_text(insert, 4, row.preview.data(), static_cast<int>(row.preview.size()),
                        SQLITE_STATIC);
      sqlite3_bind_text(insert, 5, row.extracted.data(), static_cast<int>(row.extracted.size()),
                        SQLITE_STATIC);
      sqlite3_bind_blob(insert, 6, row.tagsJSON.data(), static_cast<int>(row.tagsJSON.size()),
                        SQLITE_STATIC);
      sqlite3_bind_double(insert, 7, row.createdAt);
      sqlite3_bind_double(insert, 8, row.lastUsedAt);
      sqlite3_bind_int64(insert, 9, row.useCount);
      sqlite3_bind_text(insert, 10, row.hash.data(), static_cast<int>(row.hash.size()),
                        SQLITE_STATIC);
      sqlite3_bind_int64(insert, 11, static_cast<std::int64_t>(row.payload.size()));
      check(sqlite3_step(insert), db);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    sqlite3_close(db);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RawInsert)->Apply(storeSizes)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_ContextInsertAndSave(benchmark::State& state) {
  const auto cardCount = static_cast<std::size_t>(state.range(0));
  rows(cardCount);
  for (auto _ : state) {
    state.PauseTiming();
    const auto path = freshStore("Context.store");
    auto container = open(path);
    state.ResumeTiming();
    insertCards(container->viewContext(), cardCount);
    container->viewContext().save();
    state.PauseTiming();
    container.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ContextInsertAndSave)->Apply(storeSizes)->Unit(benchmark::kMillisecond)->MinTime(3);

struct ScannedCard {
  std::int64_t key;
  std::string id, typeRaw, title, generatedTitle, payload, preview, extracted, tags;
  double createdAt, lastUsedAt;
  std::int64_t useCount, isPinned, isLocked;
  std::string sourceApp, factKind, factLabel, syncState, hash;
  std::int64_t isPayloadAvailable;
  double deletedAt;
  std::int64_t pageCount;
  std::string payloadData, thumbnailData, filename;
  std::int64_t byteCount, shelf;
};

// Every row read into plain structs, as a caller of raw SQLite would hold them.
std::vector<ScannedCard> scanAll(sqlite3* db) {
  sqlite3_stmt* select = nullptr;
  check(sqlite3_prepare_v2(db, "SELECT * FROM Card", -1, &select, nullptr), db);
  std::vector<ScannedCard> cards;
  const auto text = [&](int column) {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(select, column));
    return bytes == nullptr ? std::string()
                            : std::string(bytes, sqlite3_column_bytes(select, column));
  };
  while (sqlite3_step(select) == SQLITE_ROW) {
    cards.push_back({sqlite3_column_int64(select, 0),
                     text(1),
                     text(2),
                     text(3),
                     text(4),
                     text(5),
                     text(6),
                     text(7),
                     text(8),
                     sqlite3_column_double(select, 9),
                     sqlite3_column_double(select, 10),
                     sqlite3_column_int64(select, 11),
                     sqlite3_column_int64(select, 12),
                     sqlite3_column_int64(select, 13),
                     text(14),
                     text(15),
                     text(16),
                     text(17),
                     text(18),
                     sqlite3_column_int64(select, 19),
                     sqlite3_column_double(select, 20),
                     sqlite3_column_int64(select, 21),
                     text(22),
                     text(23),
                     text(24),
                     sqlite3_column_int64(select, 25),
                     sqlite3_column_int64(select, 26)});
  }
  sqlite3_finalize(select);
  return cards;
}

// The raw side's connection, closed when it goes.
Connection openRaw(const std::filesystem::path& path) {
  sqlite3* db = nullptr;
  const int opened = sqlite3_open(path.c_str(), &db);
  Connection connection(db, sqlite3_close);
  check(opened, db);
  return connection;
}

void BM_RawScan(benchmark::State& state) {
  const auto path = fullStore(static_cast<std::size_t>(state.range(0)));
  timeRead(state, heapBytes, [&] {
    auto cards = scanAll(openRaw(path).get());
    return Held{std::move(cards), Connection(nullptr, sqlite3_close)};
  });
}
BENCHMARK(BM_RawScan)->Apply(storeSizes)->Unit(benchmark::kMillisecond)->MinTime(3);

// The open connection's page cache is counted here and not on the raw side.
void BM_OpenAndFetch(benchmark::State& state) {
  const auto path = fullStore(static_cast<std::size_t>(state.range(0)));
  timeRead(state, heapBytes, [&] {
    auto container = open(path);
    auto cards = container->viewContext().fetch("Card");
    return Held{std::move(cards), std::move(container)};
  });
}
BENCHMARK(BM_OpenAndFetch)->Apply(storeSizes)->Unit(benchmark::kMillisecond)->MinTime(3);

// Closing: the raw side frees its structs and closes the connection.
void BM_RawClose(benchmark::State& state) {
  const auto path = fullStore(static_cast<std::size_t>(state.range(0)));
  timeRelease(state, [&] {
    Connection db = openRaw(path);
    auto cards = scanAll(db.get());
    return Held{std::move(cards), std::move(db)};
  });
}
BENCHMARK(BM_RawClose)->Apply(storeSizes)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_ContainerClose(benchmark::State& state) {
  const auto path = fullStore(static_cast<std::size_t>(state.range(0)));
  timeRelease(state, [&] {
    auto container = open(path);
    auto cards = container->viewContext().fetch("Card");
    return Held{std::move(cards), std::move(container)};
  });
}
BENCHMARK(BM_ContainerClose)->Apply(storeSizes)->Unit(benchmark::kMillisecond)->MinTime(3);

void BM_RawUpdateEveryCard(benchmark::State& state) {
  const auto path = fullStore(static_cast<std::size_t>(state.range(0)));
  std::int64_t round = 1000;
  for (auto _ : state) {
    state.PauseTiming();
    sqlite3* db = nullptr;
    check(sqlite3_open(path.c_str(), &db), db);
    check(sqlite3_exec(db, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr), db);
    auto cards = scanAll(db);
    state.ResumeTiming();
    ++round;
    check(sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), db);
    sqlite3_stmt* update = nullptr;
    check(sqlite3_prepare_v2(db, "UPDATE Card SET useCount = ?2 WHERE _pk = ?1", -1, &update,
                             nullptr),
          db);
    for (auto& card : cards) {
      card.useCount = round;
      sqlite3_bind_int64(update, 1, card.key);
      sqlite3_bind_int64(update, 2, card.useCount);
      check(sqlite3_step(update), db);
      sqlite3_reset(update);
    }
    sqlite3_finalize(update);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db);
    state.PauseTiming();
    cards = {};
    sqlite3_close(db);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RawUpdateEveryCard)->Apply(storeSizes)->Unit(benchmark::kMillisecond)->MinTime(3);

// One attribute of every card changed, then saved; per-card time should not grow with the size.
void BM_ContextChangeEveryCardAndSave(benchmark::State& state) {
  const auto path = fullStore(static_cast<std::size_t>(state.range(0)));
  std::int64_t round = 2000;
  for (auto _ : state) {
    state.PauseTiming();
    auto container = open(path);
    Context& context = container->viewContext();
    auto cards = context.fetch("Card");
    state.ResumeTiming();
    ++round;
    for (const auto& card : cards) card->setValue("useCount", round);
    context.save();
    state.PauseTiming();
    cards = {};
    container.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ContextChangeEveryCardAndSave)
    ->Apply(storeSizes)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3);

// Half the cards on each of two shelves.
std::filesystem::path shelvedStore(std::size_t cardCount) {
  return storeMadeOnce("Shelved", cardCount, [cardCount](Context& context) {
    const EntityDescription& shelfEntity = *cardModel()->entity("Shelf");
    const auto left = ManagedObject::make(shelfEntity, &context);
    const auto right = ManagedObject::make(shelfEntity, &context);
    insertCards(context, cardCount);
    const auto cards = context.insertedObjects();
    for (std::size_t i = 0; i < cards.size(); ++i) {
      if (&cards[i]->entity() != &shelfEntity) cards[i]->setValue("shelf", i % 2 ? left : right);
    }
  });
}

void BM_FirstShelfMove(benchmark::State& state) {
  const auto path = shelvedStore(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    auto container = open(path);
    Context& context = container->viewContext();
    auto cards = context.fetch("Card");
    auto shelves = context.fetch("Shelf");
    const auto card = cards[cards.size() / 2];
    const auto target = card->value("shelf")->object() == shelves[0] ? shelves[1] : shelves[0];
    state.ResumeTiming();
    card->setValue("shelf", target);
    state.PauseTiming();
    // Everything goes before the clock runs again.
    cards = {};
    shelves = {};
    container.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_FirstShelfMove)->Apply(storeSizes)->Unit(benchmark::kMicrosecond)->Iterations(20);

void BM_SaveOneChangedCard(benchmark::State& state) {
  const auto path = fullStore(static_cast<std::size_t>(state.range(0)));
  auto container = open(path);
  Context& context = container->viewContext();
  const auto cards = context.fetch("Card");
  const auto wal = path.string() + "-wal";
  std::int64_t count = 0;
  for (auto _ : state) {
    cards[cards.size() / 2]->setValue("useCount", ++count);
    context.save();
  }
  // The log starts empty and is not checkpointed within 200 small saves: its size is what
  // the saves wrote.
  state.counters["logBytesPerSave"] = static_cast<double>(std::filesystem::file_size(wal)) /
                                      static_cast<double>(state.iterations());
}
BENCHMARK(BM_SaveOneChangedCard)->Apply(storeSizes)->Unit(benchmark::kMicrosecond)->Iterations(200);

// A host's model with a bounded set, which the library's own model has none of: a crate holds
// parts, at most a million of them (atLeastOne false) or at least one (true).
std::shared_ptr<const Model> crateModel(bool atLeastOne) {
  const auto make = [](bool required) {
    EntityDescription crate("Crate");
    crate.addAttribute({"name", AttributeType::string, false, ""});
    crate.addRelationship(
        {"parts", "Part", required ? 1u : 0u, required ? 0u : 1'000'000u, "crate"});
    EntityDescription part("Part");
    part.addAttribute({"name", AttributeType::string, false, ""});
    part.addRelationship({"crate", "Crate", 0, 1, "parts"});
    return std::make_shared<const Model>(std::vector<EntityDescription>{crate, part});
  };
  static const std::shared_ptr<const Model> models[] = {make(false), make(true)};
  return models[atLeastOne ? 1 : 0];
}

std::unique_ptr<Container> openCrates(const std::filesystem::path& path, bool atLeastOne) {
  auto container = std::make_unique<Container>("Bench", crateModel(atLeastOne));
  container->setStoreDescriptions({StoreDescription(path)});
  container->loadStores([](const StoreDescription&, const StoreError* error) {
    if (error != nullptr) throw *error;
  });
  return container;
}

// Two crates of `members` parts each, made the first time they are asked for.
std::filesystem::path crateStore(std::size_t members, bool atLeastOne) {
  static std::vector<std::string> made;
  const auto name = "Crates-" + std::to_string(members) + (atLeastOne ? "-1" : "-0") + ".store";
  const auto path = benchFolder() / name;
  if (std::find(made.begin(), made.end(), name) != made.end()) return path;
  freshStore(name.c_str());
  auto container = openCrates(path, atLeastOne);
  Context& context = container->viewContext();
  const Model& model = *crateModel(atLeastOne);
  for (const char* crateName : {"A", "B"}) {
    const auto crate = ManagedObject::make(*model.entity("Crate"), &context);
    crate->setValue("name", crateName);
    for (std::size_t i = 0; i < members; ++i) {
      const auto part = ManagedObject::make(*model.entity("Part"), &context);
      part->setValue("name", std::string(crateName) + std::to_string(i));
      part->setValue("crate", crate);
    }
  }
  context.save();
  made.push_back(name);
  return path;
}

// What callgrind counts (`--toggle-collect='*boundedMoveAndSave*'`).
[[gnu::noinline]] void boundedMoveAndSave(Context& context, ManagedObject& part,
                                          const std::shared_ptr<ManagedObject>& to) {
  part.setValue("crate", to);
  context.save();
}

// A part moved between two crates and saved, back and forth, with no other writer; both sets
// were read first, as a view of them would. Arg 1: the sets hold at least one part (1) or at
// most a million (0).
void BM_BoundedSetMoveAndSave(benchmark::State& state) {
  const auto members = static_cast<std::size_t>(state.range(0));
  const bool atLeastOne = state.range(1) != 0;
  auto container = openCrates(crateStore(members, atLeastOne), atLeastOne);
  Context& context = container->viewContext();
  auto crates = context.fetch("Crate");
  const auto parts = crates[0]->value("parts")->objectSet();
  benchmark::DoNotOptimize(crates[1]->value("parts")->objectSet()->size());
  const auto part = (*parts)[members / 2];
  boundedMoveAndSave(context, *part, crates[1]);
  for (auto _ : state) {
    std::swap(crates[0], crates[1]);
    boundedMoveAndSave(context, *part, crates[1]);
  }
}
BENCHMARK(BM_BoundedSetMoveAndSave)
    ->ArgsProduct({{10, 1'000, 100'000}, {0, 1}})
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200);

}  // namespace
