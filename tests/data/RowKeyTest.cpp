// Row keys with more than one writer on a file: a key is handed out once, so that nothing
// pending for a row deleted elsewhere can land on a new one.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/data/Context.hpp"
#include "platform/data/internal/Database.hpp"
#include "tests/data/StoreModelCheck.hpp"
#include "tests/data/TestModel.hpp"

namespace kelvo::data {
namespace {

using kelvo::testing::TemporaryDirectory;
using testing::makeNote;
using testing::openContainer;
using testing::saveError;
using Rows = std::vector<std::pair<std::int64_t, std::string>>;

std::string title(const ManagedObject& note) { return *note.value("title")->string(); }
UUID idOf(const ManagedObject& note) { return *note.value("id")->uuid(); }

std::shared_ptr<ManagedObject> noteTitled(Context& context, const std::string& wanted) {
  for (const auto& note : context.fetch("Note")) {
    if (title(*note) == wanted) return note;
  }
  ADD_FAILURE() << "no note titled " << wanted;
  return nullptr;
}

// The Note rows in the file by key, read over a connection of their own.
Rows rowsInFile(const std::filesystem::path& url) {
  data_internal::Database database(url.string());
  auto select = database.prepare("SELECT _pk, title FROM Note ORDER BY _pk");
  Rows rows;
  while (select.step()) rows.emplace_back(select.columnInt64(0), select.columnText(1));
  return rows;
}

// A process that opens the store, keeps one note and closes it again.
void saveANote(const std::filesystem::path& url, const std::string& title) {
  auto container = openContainer(url);
  makeNote(container->viewContext(), title);
  container->viewContext().save();
}

void execute(const std::filesystem::path& url, const std::string& sql) {
  data_internal::Database(url.string()).execute(sql);
}

// The other writer: a second context over the same coordinator, or a second container on the
// file, as another process would have.
enum class Writer { secondContext, secondContainer };

struct TwoWriters {
  TwoWriters(Writer writer, const std::filesystem::path& file) : mine(openContainer(file)) {
    if (writer == Writer::secondContext) {
      theirContext = std::make_unique<Context>(mine->viewContext().coordinator());
    } else {
      theirs = openContainer(file);
    }
  }
  Context& context() { return mine->viewContext(); }
  Context& other() { return theirContext ? *theirContext : theirs->viewContext(); }

  std::unique_ptr<Container> mine, theirs;
  std::unique_ptr<Context> theirContext;
};

enum class Before { leavesIt, editsIt, deletesIt };

// Three notes keyed from `firstKey` on; the other writer deletes the last, then this context
// saves a new one.
void newRowAfterTheLargestWasDeletedElsewhere(Writer writer, Before before, std::int64_t firstKey) {
  TemporaryDirectory directory;
  const auto url = directory.path() / "Notes.store";
  {
    auto container = openContainer(url);
    for (const char* name : {"one", "two", "three"}) makeNote(container->viewContext(), name);
    container->viewContext().save();
  }
  execute(url, "UPDATE Note SET _pk = _pk + " + std::to_string(firstKey - 1));
  TwoWriters library(writer, url);
  Context& mine = library.context();
  const auto three = noteTitled(mine, "three");
  if (before == Before::editsIt) three->setValue("title", "three edited");
  if (before == Before::deletesIt) mine.deleteObject(*three);

  Context& other = library.other();
  other.deleteObject(*noteTitled(other, "three"));
  other.save();

  makeNote(mine, "fresh");
  const auto error = saveError(mine);
  const Rows kept{{firstKey, "one"}, {firstKey + 1, "two"}};
  if (before == Before::editsIt) {
    ASSERT_TRUE(error) << "an update of a row deleted elsewhere was saved";
    EXPECT_EQ(error->kind(), StoreError::Kind::conflict);
    EXPECT_EQ(rowsInFile(url), kept);
    // What a host does to keep its other changes: give up the row that is gone.
    mine.deleteObject(*three);
    ASSERT_FALSE(saveError(mine));
  } else {
    ASSERT_FALSE(error) << error->what();
  }
  Rows expected = kept;
  expected.emplace_back(firstKey + 3, "fresh");
  EXPECT_EQ(rowsInFile(url), expected);
  std::vector<std::string> shown;
  for (const auto& note : mine.fetch("Note")) shown.push_back(title(*note));
  EXPECT_EQ(shown, (std::vector<std::string>{"one", "two", "fresh"}));
  EXPECT_FALSE(mine.hasChanges());
}

// Keys from 1, and keys far past what a context indexes directly (a store written elsewhere).
TEST(RowKeyTest, ARowDeletedByAnotherWriterNeverLendsItsKeyToANewOne) {
  for (std::int64_t firstKey : {std::int64_t{1}, std::int64_t{1'000'000'000'000}}) {
    for (Writer writer : {Writer::secondContext, Writer::secondContainer}) {
      for (Before before : {Before::leavesIt, Before::editsIt, Before::deletesIt}) {
        SCOPED_TRACE(::testing::Message()
                     << "first key " << firstKey << ", writer " << static_cast<int>(writer)
                     << ", before " << static_cast<int>(before));
        newRowAfterTheLargestWasDeletedElsewhere(writer, before, firstKey);
      }
    }
  }
}

TEST(RowKeyTest, KeysStayGivenAcrossReopeningAndOlderFilesGoOnPastTheirLargestRow) {
  TemporaryDirectory directory;
  const auto url = directory.path() / "Notes.store";
  const auto addNote = [&](const std::string& name) { saveANote(url, name); };
  {
    auto container = openContainer(url);
    Context& context = container->viewContext();
    for (const char* name : {"one", "two", "three"}) makeNote(context, name);
    testing::makeFolder(context, "folder");
    context.save();
    context.deleteObject(*noteTitled(context, "three"));
    context.save();
  }
  addNote("after reopening");
  EXPECT_EQ(rowsInFile(url).back(), (std::pair<std::int64_t, std::string>{4, "after reopening"}));

  // A file from before the record was kept, or one whose record is damaged, goes on past its
  // largest row; each table counts alone.
  execute(url, "DELETE FROM _metadata WHERE key LIKE 'lastKey.%'");
  addNote("older file");
  EXPECT_EQ(rowsInFile(url).back().first, 5);
  execute(url, "UPDATE _metadata SET value = 'x9' WHERE key = 'lastKey.Note'");
  addNote("damaged record");
  EXPECT_EQ(rowsInFile(url).back().first, 6);
  execute(url, "DELETE FROM Note WHERE _pk = 6");
  addNote("after the largest went");
  EXPECT_EQ(rowsInFile(url).back().first, 7);
  {
    data_internal::Database database(url.string());
    auto folders = database.prepare("SELECT max(_pk) FROM Folder");
    ASSERT_TRUE(folders.step());
    EXPECT_EQ(folders.columnInt64(0), 1);
  }
}

std::vector<std::string> lastKeyRecords(const std::filesystem::path& url) {
  data_internal::Database database(url.string());
  auto select = database.prepare("SELECT value FROM _metadata WHERE key = 'lastKey.Note'");
  std::vector<std::string> values;
  while (select.step()) values.emplace_back(select.columnText(0));
  return values;
}

TEST(RowKeyTest, KeysRunToTheLargestIntegerAndThenAreRefusedInASentenceOfTheirOwn) {
  TemporaryDirectory directory;
  const auto url = directory.path() / "Notes.store";
  const auto setRecord = [&](std::int64_t key) {
    execute(url, "UPDATE _metadata SET value = '" + std::to_string(key) +
                     "' WHERE key = 'lastKey.Note'");
  };
  auto container = openContainer(url);
  Context& context = container->viewContext();
  makeNote(context, "first");
  context.save();

  // Two keys left: a save of three is refused whole, one of two takes both.
  setRecord(INT64_MAX - 2);
  for (const char* name : {"a", "b", "c"}) makeNote(context, name);
  const auto refused = saveError(context);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->kind(), StoreError::Kind::keysExhausted);
  EXPECT_EQ(refused->extendedCode(), 0);
  EXPECT_STREQ(refused->what(),
               "Could not save: the Note table has handed out every key; 3 more would not fit.");
  EXPECT_EQ(rowsInFile(url), (Rows{{1, "first"}}));
  EXPECT_EQ(context.insertedObjects().size(), 3u);
  context.deleteObject(*noteTitled(context, "c"));
  ASSERT_FALSE(saveError(context));
  EXPECT_EQ(rowsInFile(url), (Rows{{1, "first"}, {INT64_MAX - 1, "a"}, {INT64_MAX, "b"}}));
  EXPECT_EQ(lastKeyRecords(url), std::vector<std::string>{std::to_string(INT64_MAX)});

  // The last key is given; after it nothing is, and the record never moves backwards.
  makeNote(context, "one too many");
  ASSERT_TRUE(saveError(context));
  EXPECT_EQ(lastKeyRecords(url), std::vector<std::string>{std::to_string(INT64_MAX)});
  context.rollback();
  execute(url, "DELETE FROM Note WHERE _pk > 1");
  setRecord(INT64_MAX - 1);
  auto fresh = openContainer(url);
  makeNote(fresh->viewContext(), "the very last");
  ASSERT_FALSE(saveError(fresh->viewContext()));
  EXPECT_EQ(rowsInFile(url), (Rows{{1, "first"}, {INT64_MAX, "the very last"}}));
}

// A metadata table rebuilt by a tool may lose its primary key, and an older build then
// appended a record at every save.
TEST(RowKeyTest, TheRecordKeepsOneValueWhereTheMetadataTableLostItsPrimaryKey) {
  TemporaryDirectory directory;
  const auto url = directory.path() / "Notes.store";
  const auto addNote = [&](const std::string& name) { saveANote(url, name); };
  addNote("one");
  addNote("two");
  execute(url,
          "CREATE TABLE rebuilt (key TEXT, value TEXT NOT NULL);"
          "INSERT INTO rebuilt SELECT key, value FROM _metadata;"
          "INSERT INTO rebuilt VALUES ('lastKey.Note', '1');"
          "DROP TABLE _metadata; ALTER TABLE rebuilt RENAME TO _metadata;");
  addNote("three");
  EXPECT_EQ(rowsInFile(url).back().first, 3);
  EXPECT_EQ(lastKeyRecords(url), (std::vector<std::string>{"3", "3"}));
  execute(url, "DELETE FROM Note WHERE _pk = 3");
  addNote("four");
  EXPECT_EQ(rowsInFile(url).back(), (std::pair<std::int64_t, std::string>{4, "four"}));
  execute(url, "DELETE FROM _metadata WHERE key = 'lastKey.Note'");
  addNote("five");
  addNote("six");
  EXPECT_EQ(lastKeyRecords(url), std::vector<std::string>{"6"});

  // Several records, the largest neither first nor last, one not a number: the next key passes
  // every one, and they all take it.
  execute(url,
          "DELETE FROM _metadata WHERE key = 'lastKey.Note';"
          "INSERT INTO _metadata VALUES ('lastKey.Note', '3'), ('lastKey.Note', 'x'),"
          " ('lastKey.Note', '50'), ('lastKey.Note', '7');");
  addNote("seven");
  EXPECT_EQ(rowsInFile(url).back(), (std::pair<std::int64_t, std::string>{51, "seven"}));
  EXPECT_EQ(lastKeyRecords(url), std::vector<std::string>(4, "51"));
}

// Three writers on one file (two contexts over one coordinator, and a second container) make,
// edit and delete notes at random. After every save the file holds exactly what was saved, a
// fresh container reads it back, and no key ever named two notes.
class RandomWriters {
 public:
  explicit RandomWriters(unsigned seed) : random_(seed) {
    first_ = openContainer(url_);
    second_ = openContainer(url_);
    extra_ = std::make_unique<Context>(first_->viewContext().coordinator());
    writers_ = {{&first_->viewContext(), {}}, {extra_.get(), {}}, {&second_->viewContext(), {}}};
  }

  void step() {
    Writer& writer = writers_[pick(writers_.size())];
    const auto notes = writer.context->fetch("Note");
    const std::size_t choice = pick(10);
    if (choice < 4 || notes.empty()) {
      auto note = makeNote(*writer.context, nextTitle());
      writer.pending.push_back({Change::insert, idOf(*note), title(*note)});
    } else if (choice < 8) {
      const auto& note = notes[pick(notes.size())];
      note->setValue("title", nextTitle());
      writer.pending.push_back({Change::update, idOf(*note), title(*note)});
    } else {
      const auto& note = notes[pick(notes.size())];
      writer.pending.push_back({Change::remove, idOf(*note), ""});
      writer.context->deleteObject(*note);
    }
    if (pick(3) == 0) save(writer);
  }

 private:
  enum class Change { insert, update, remove };
  struct Pending {
    Change change;
    UUID id;
    std::string title;
  };
  struct Writer {
    Context* context;
    std::vector<Pending> pending;
  };

  std::size_t pick(std::size_t count) {
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(random_);
  }
  std::string nextTitle() { return "t" + std::to_string(++titles_); }

  void save(Writer& writer) {
    if (const auto error = saveError(*writer.context)) {
      // Only an edit of a row another writer deleted may be refused.
      ASSERT_EQ(error->kind(), StoreError::Kind::conflict) << error->what();
      const bool editsAGoneRow =
          std::any_of(writer.pending.begin(), writer.pending.end(), [&](const Pending& p) {
            return p.change == Change::update && !saved_.contains(p.id) &&
                   !insertedHere(writer, p.id);
          });
      EXPECT_TRUE(editsAGoneRow) << "a save was refused with nothing to refuse";
      writer.context->rollback();
    } else {
      for (const Pending& p : writer.pending) {
        if (p.change == Change::remove) {
          saved_.erase(p.id);
        } else {
          saved_[p.id] = p.title;
        }
      }
    }
    writer.pending.clear();
    expectFileHoldsWhatWasSaved();
  }

  static bool insertedHere(const Writer& writer, const UUID& id) {
    return std::any_of(writer.pending.begin(), writer.pending.end(),
                       [&](const Pending& p) { return p.change == Change::insert && p.id == id; });
  }

  void expectFileHoldsWhatWasSaved() {
    data_internal::Database database(url_.string());
    auto select = database.prepare("SELECT _pk, id, title FROM Note");
    std::map<UUID, std::string> inFile;
    while (select.step()) {
      const auto bytes = select.columnBlob(1);
      ASSERT_EQ(bytes.size(), 16u);
      UUID::Bytes raw;
      std::copy(bytes.begin(), bytes.end(), raw.begin());
      const UUID id(raw);
      const std::int64_t key = select.columnInt64(0);
      const auto [given, isNew] = keys_.emplace(key, id);
      ASSERT_EQ(given->second, id) << "key " << key << " was handed out twice";
      inFile.emplace(id, select.columnText(2));
    }
    ASSERT_EQ(inFile, saved_);
    auto fresh = openContainer(url_);
    std::map<UUID, std::string> readBack;
    for (const auto& note : fresh->viewContext().fetch("Note"))
      readBack[idOf(*note)] = title(*note);
    EXPECT_EQ(readBack, saved_);
  }

  TemporaryDirectory directory_;
  std::filesystem::path url_ = directory_.path() / "Notes.store";
  std::mt19937 random_;
  std::unique_ptr<Container> first_, second_;
  std::unique_ptr<Context> extra_;
  std::vector<Writer> writers_;
  std::map<UUID, std::string> saved_;
  std::map<std::int64_t, UUID> keys_;
  int titles_ = 0;
};

TEST(RowKeyTest, RandomWritersOnOneFileNeverShareAKeyOrLoseASave) {
  for (unsigned seed : {7u, 2024u, 90210u}) {
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    RandomWriters writers(seed);
    for (int i = 0; i < 150 && !::testing::Test::HasFatalFailure(); ++i) writers.step();
  }
}

// The same three writers with folders: notes are linked into folders when made and later, moved
// between them and out, folders nest, and both are deleted, while other writers hold them. Each
// save is checked against the model of what it writes (tests/data/StoreModelCheck.hpp).
TEST(RowKeyTest, RandomWritersOfNotesAndFoldersLeaveTheFileAsTheModelSays) {
  using Kind = testing::WritersOnOneFile::WriterKind;
  testing::WritersOnOneFile::Counts total;
  for (unsigned seed : {7u, 2024u, 90210u, 31337u, 4242u, 65537u, 1u, 99u}) {
    TemporaryDirectory directory;
    testing::WritersOnOneFile writers(
        directory.path() / "Library.store",
        {Kind::container, Kind::contextOverPrevious, Kind::container});
    std::mt19937 random(seed);
    const auto choose = [&](std::size_t count) {
      return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    };
    for (int i = 0; i < 600 && writers.step(choose); ++i) {
    }
    ASSERT_TRUE(writers.ok()) << "seed " << seed << ": " << writers.failure()
                              << "\nthe last operations:\n"
                              << writers.trace(40);
    total.saves += writers.counts().saves;
    total.refused += writers.counts().refused;
    total.deletes += writers.counts().deletes;
  }
  // The runs did meet what they are for: conflicts, and deletes under other writers.
  EXPECT_GT(total.refused, 10);
  EXPECT_GT(total.deletes, 100);
  EXPECT_GT(total.saves, 200);
}

}  // namespace
}  // namespace kelvo::data
