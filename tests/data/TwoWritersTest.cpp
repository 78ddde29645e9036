// Two writers on one file, as two processes have, with links between rows: a folder deleted by
// one after the other moved or deleted its notes. Setup of each case: folders F and G, note n
// in F, note m in no folder.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>

#include "platform/data/Context.hpp"
#include "tests/data/StoreFileCheck.hpp"
#include "tests/data/TestModel.hpp"

namespace kelvo::data {
namespace {

using kelvo::testing::TemporaryDirectory;
using testing::openContainer;
using testing::saveError;
using Object = std::shared_ptr<ManagedObject>;

std::string nameOf(const ManagedObject& object) {
  const auto key = object.entity().name() == "Note" ? "title" : "name";
  return *object.value(key)->string();
}

Object named(Context& context, const std::string& entity, const std::string& name) {
  for (const auto& object : context.fetch(entity)) {
    if (nameOf(*object) == name) return object;
  }
  return nullptr;
}

std::optional<std::string> folderOf(const ManagedObject& note) {
  const auto folder = note.value("folder");
  if (!folder) return std::nullopt;
  return nameOf(*folder->object());
}

// Each note's folder in the file ("" for none), and the folders there, over a connection of
// their own.
struct FileState {
  std::map<std::string, std::string> notes;
  std::vector<std::string> folders;
  bool operator==(const FileState&) const = default;
};

FileState fileState(const std::filesystem::path& url) {
  data_internal::Database database(url.string());
  FileState state;
  auto notes = database.prepare(
      "SELECT Note.title, coalesce(Folder.name, '') FROM Note LEFT JOIN Folder "
      "ON Note.folder = Folder._pk ORDER BY Note.title");
  while (notes.step()) state.notes.emplace(notes.columnText(0), notes.columnText(1));
  auto folders = database.prepare("SELECT name FROM Folder ORDER BY name");
  while (folders.step()) state.folders.emplace_back(folders.columnText(0));
  return state;
}

void PrintTo(const FileState& state, std::ostream* out) {
  for (const auto& [note, folder] : state.notes) *out << note << " in '" << folder << "', ";
  *out << "folders:";
  for (const auto& folder : state.folders) *out << " " << folder;
}

// Rows SQLite hands out on every connection opened while the counter lives, by statement.
class RowCounter {
 public:
  RowCounter() { sqlite3_auto_extension(reinterpret_cast<void (*)()>(&attach)); }
  ~RowCounter() { sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&attach)); }
  RowCounter(const RowCounter&) = delete;
  RowCounter& operator=(const RowCounter&) = delete;

  void start() {
    rows_.clear();
    counting_ = true;
  }
  std::map<std::string, int> stop() {
    counting_ = false;
    return rows_;
  }

 private:
  static int attach(sqlite3* database, const char**, const sqlite3_api_routines*) {
    return sqlite3_trace_v2(database, SQLITE_TRACE_ROW, &onRow, nullptr);
  }
  static int onRow(unsigned, void*, void* statement, void*) {
    if (counting_) ++rows_[sqlite3_sql(static_cast<sqlite3_stmt*>(statement))];
    return 0;
  }
  static inline bool counting_ = false;
  static inline std::map<std::string, int> rows_;
};

class TwoWritersTest : public ::testing::Test {
 protected:
  // Also starts a case afresh, on a new file.
  void SetUp() override {
    a.reset();
    b.reset();
    for (const char* suffix : {"", "-wal", "-shm"}) {
      std::filesystem::remove(url.string() + suffix);
    }
    auto setup = openContainer(url);
    Context& context = setup->viewContext();
    const auto f = testing::makeFolder(context, "F");
    testing::makeFolder(context, "G");
    testing::makeNote(context, "n")->setValue("folder", f);
    testing::makeNote(context, "m");
    context.save();
    a = openContainer(url);
    b = openContainer(url);
  }
  Context& A() { return a->viewContext(); }
  Context& B() { return b->viewContext(); }

  // B, as another process: moves n to G, or deletes it.
  void otherWriterMovesN() {
    named(B(), "Note", "n")->setValue("folder", named(B(), "Folder", "G"));
    B().save();
  }
  void otherWriterDeletesN() {
    B().deleteObject(*named(B(), "Note", "n"));
    B().save();
  }

  TemporaryDirectory directory;
  std::filesystem::path url = directory.path() / "Notes.store";
  std::unique_ptr<Container> a, b;
};

TEST_F(TwoWritersTest, AFolderDeletedAfterAnotherWriterMovedItsNoteLeavesTheMoveAndNoDanglingLink) {
  const auto n = named(A(), "Note", "n");
  const auto f = n->value("folder")->object();  // A reads F through n's link only
  otherWriterMovesN();
  A().deleteObject(*f);
  ASSERT_FALSE(saveError(A()));
  EXPECT_EQ(folderOf(*n), std::nullopt);  // A's n lost its folder with F
  n->setValue("title", "n edited");       // and can still be edited, moved and saved
  ASSERT_FALSE(saveError(A()));
  EXPECT_EQ(fileState(url), (FileState{{{"m", ""}, {"n edited", "G"}}, {"G"}}));
  a.reset();
  EXPECT_EQ(folderOf(*n), std::nullopt);
}

TEST_F(TwoWritersTest, AFolderDeletedAfterAnotherWriterDeletedItsNoteSavesAndCloses) {
  // A reads n, and F through it; or F's notes, with n among them.
  for (const bool readsTheSet : {false, true}) {
    SCOPED_TRACE(readsTheSet ? "F's notes read" : "n read");
    SetUp();
    const auto n = named(A(), "Note", "n");
    const auto f = named(A(), "Folder", "F");
    if (readsTheSet) {
      ASSERT_EQ(f->value("notes"), Value(Value::ObjectSet{n}));
    }
    otherWriterDeletesN();
    A().deleteObject(*f);
    const auto error = saveError(A());
    ASSERT_FALSE(error) << error->what();  // nothing of A's wrote to the gone note
    EXPECT_EQ(fileState(url), (FileState{{{"m", ""}}, {"G"}}));
    EXPECT_FALSE(A().hasChanges());
    a.reset();  // closing touches nothing freed
  }
}

TEST_F(TwoWritersTest, ADeleteRolledBackThenMadeAgainAfterAnotherWriterDeletedTheNote) {
  const auto f = named(A(), "Folder", "F");
  const auto n = named(A(), "Note", "n");
  ASSERT_EQ(f->value("notes"), Value(Value::ObjectSet{n}));
  otherWriterDeletesN();
  A().deleteObject(*f);
  A().rollback();
  EXPECT_EQ(folderOf(*n), "F");  // as A read it
  EXPECT_EQ(f->value("notes"), Value(Value::ObjectSet{n}));
  // As docs/store.md says a host does: fetch again and apply the change anew.
  const auto again = named(A(), "Folder", "F");
  ASSERT_EQ(again, f);
  A().deleteObject(*again);
  ASSERT_FALSE(saveError(A()));
  EXPECT_EQ(fileState(url), (FileState{{{"m", ""}}, {"G"}}));
  EXPECT_EQ(folderOf(*n), std::nullopt);
}

TEST_F(TwoWritersTest, AFolderDeleteKeepsAMoveMadeElsewhereAndWritesOnlyItsOwnChanges) {
  const auto f = named(A(), "Folder", "F");
  const auto n = named(A(), "Note", "n");
  ASSERT_EQ(f->value("notes"), Value(Value::ObjectSet{n}));  // n read as F's
  otherWriterMovesN();
  n->setValue("title", "n by A");  // A's own change of n is written; its folder stays B's
  A().deleteObject(*f);
  ASSERT_FALSE(saveError(A()));
  EXPECT_EQ(fileState(url), (FileState{{{"m", ""}, {"n by A", "G"}}, {"G"}}));

  // A note this context moved itself writes its move, also out of a folder it deletes.
  SetUp();
  const auto h = testing::makeFolder(A(), "H");
  named(A(), "Note", "n")->setValue("folder", h);
  named(A(), "Note", "m")->setValue("folder", named(A(), "Folder", "F"));
  named(A(), "Note", "m")->setValue("folder", std::nullopt);
  A().deleteObject(*named(A(), "Folder", "F"));
  ASSERT_FALSE(saveError(A()));
  EXPECT_EQ(fileState(url), (FileState{{{"m", ""}, {"n", "H"}}, {"G", "H"}}));
}

TEST_F(TwoWritersTest, ALinkToAFolderAnotherWriterDeletedIsAConflictThatNamesIt) {
  for (const bool inserts : {true, false}) {
    SCOPED_TRACE(inserts ? "a new note into F" : "m moved into F");
    SetUp();
    const auto f = named(A(), "Folder", "F");
    const auto m = named(A(), "Note", "m");
    B().deleteObject(*named(B(), "Folder", "F"));
    B().save();
    const FileState before = fileState(url);
    if (inserts) {
      testing::makeNote(A(), "new")->setValue("folder", f);
    } else {
      m->setValue("folder", f);
    }
    m->setValue("body", std::string("edited"));
    const auto error = saveError(A());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), StoreError::Kind::conflict);
    EXPECT_STREQ(error->what(),
                 "Could not save: a Note's folder is a Folder row that another writer deleted.");
    EXPECT_EQ(fileState(url), before);
    EXPECT_TRUE(A().hasChanges());
    EXPECT_EQ(folderOf(*m), inserts ? std::nullopt : std::optional<std::string>("F"));

    // The host gives up the row that is gone and saves the rest.
    A().deleteObject(*f);
    ASSERT_FALSE(saveError(A()));
    FileState after = before;
    if (inserts) after.notes["new"] = "";
    EXPECT_EQ(fileState(url), after);
    EXPECT_EQ(*m->value("body")->string(), "edited");
  }
}

TEST_F(TwoWritersTest, AChildFolderOfADeletedParentIsAConflictOnlyWhenLinkedAnew) {
  const auto f = named(A(), "Folder", "F");
  B().deleteObject(*named(B(), "Folder", "F"));
  B().save();
  testing::makeFolder(A(), "child")->setValue("parent", f);
  const auto error = saveError(A());
  ASSERT_TRUE(error);
  EXPECT_STREQ(error->what(),
               "Could not save: a Folder's parent is a Folder row that another writer deleted.");
  A().rollback();
  named(A(), "Folder", "G")->setValue("name", "G renamed");  // no link written: saves
  ASSERT_FALSE(saveError(A()));
  EXPECT_EQ(fileState(url).folders, std::vector<std::string>{"G renamed"});
}

// A note A moved out of F itself before deleting F is a change of A's: it is written, and wins
// over B's later-read move, or is refused when B deleted the note.
TEST_F(TwoWritersTest, ANoteMovedOutOfAFolderBeforeItsDeleteWritesTheMove) {
  for (const bool deletesIt : {false, true}) {
    SCOPED_TRACE(deletesIt ? "B deletes n" : "B moves n to G");
    SetUp();
    const auto n = named(A(), "Note", "n");
    const auto f = named(A(), "Folder", "F");
    n->setValue("folder", std::nullopt);
    deletesIt ? otherWriterDeletesN() : otherWriterMovesN();
    const FileState before = fileState(url);
    A().deleteObject(*f);
    const auto error = saveError(A());
    if (deletesIt) {
      ASSERT_TRUE(error) << "an update of a row another writer deleted was saved";
      EXPECT_EQ(error->kind(), StoreError::Kind::conflict);
      EXPECT_EQ(fileState(url), before);
    } else {
      ASSERT_FALSE(error) << error->what();
      EXPECT_EQ(fileState(url), (FileState{{{"m", ""}, {"n", ""}}, {"G"}}));
    }
  }
}

TEST_F(TwoWritersTest, ARowFirstReadWhileItsFolderIsDeletedIsUnlinkedAndARollbackLinksItAgain) {
  A().deleteObject(*named(A(), "Folder", "F"));
  // B, not knowing, moves m into F; A then reads m for the first time.
  named(B(), "Note", "m")->setValue("folder", named(B(), "Folder", "F"));
  B().save();
  const auto m = named(A(), "Note", "m");
  EXPECT_EQ(folderOf(*m), std::nullopt);
  A().rollback();
  EXPECT_EQ(folderOf(*m), "F");  // as the file has it
  const auto f = named(A(), "Folder", "F");
  EXPECT_TRUE(f->mutableSetValue("notes").contains(*m));
  A().deleteObject(*f);
  ASSERT_FALSE(saveError(A()));
  EXPECT_EQ(fileState(url), (FileState{{{"m", ""}, {"n", ""}}, {"G"}}));
}

// Every link a context holds is known at both ends, so deleting a note, or a folder of
// thousands, reads no row: those the context never read are the foreign key's to clear.
TEST_F(TwoWritersTest, DeletingANoteOrAFolderOfThousandsReadsNoRow) {
  constexpr int filled = 3'000;
  RowCounter counter;
  for (const bool notesRead : {true, false}) {
    SCOPED_TRACE(notesRead ? "every note read" : "no note read");
    SetUp();
    const auto f = named(B(), "Folder", "F");
    for (int i = 0; i < filled; ++i) {
      testing::makeNote(B(), "f" + std::to_string(i))->setValue("folder", f);
    }
    B().save();
    const auto folder = named(A(), "Folder", "F");
    const auto note = notesRead ? named(A(), "Note", "f7") : nullptr;
    otherWriterMovesN();
    counter.start();
    if (note != nullptr) {
      A().deleteObject(*note);
      ASSERT_FALSE(saveError(A()));
    }
    A().deleteObject(*folder);
    ASSERT_FALSE(saveError(A()));
    const auto rows = counter.stop();
    for (const auto& [sql, count] : rows) ADD_FAILURE() << count << " rows of " << sql;

    const FileState state = fileState(url);
    EXPECT_EQ(state.folders, std::vector<std::string>{"G"});
    EXPECT_EQ(state.notes.at("n"), "G");
    EXPECT_EQ(state.notes.size(), filled + (notesRead ? 1u : 2u));
    EXPECT_TRUE(std::all_of(state.notes.begin(), state.notes.end(), [](const auto& entry) {
      return entry.first == "n" || entry.second.empty();
    }));
  }
}

}  // namespace
}  // namespace kelvo::data
