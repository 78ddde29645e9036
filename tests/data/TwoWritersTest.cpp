// Two writers on one file, as two processes have, with links between rows: a folder deleted by
// one after the other moved or deleted its notes. Setup of each case: folders F and G, note n
// in F, note m in no folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/data/Context.hpp"
#include "tests/data/StoreFileCheck.hpp"
#include "tests/data/TestModel.hpp"

namespace kelvo::data {
namespace {

using kelvo::testing::TemporaryDirectory;
using testing::boxesModel;
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

// Each item's box and each part's crate in the file ("" for none), over a connection of its own.
std::map<std::string, std::string> boxesInFile(const std::filesystem::path& url) {
  data_internal::Database database(url.string());
  std::map<std::string, std::string> where;
  for (const auto& [member, owner, link] :
       {std::tuple{"Item", "Box", "box"}, std::tuple{"Part", "Crate", "crate"}}) {
    auto rows = database.prepare(std::string("SELECT m.name, coalesce(o.name, '') FROM ") + member +
                                 " m LEFT JOIN " + owner + " o ON m." + link + " = o._pk");
    while (rows.step()) where.emplace(rows.columnText(0), rows.columnText(1));
  }
  return where;
}

// Boxes B1 {i1, i2}, B2 {}, B3 {j}; crates C1 {p1, p2}, C2 {q1, q2}, C3 {q3, q4}.
void fillBoxes(const std::filesystem::path& url) {
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(url.string() + suffix);
  auto container = openContainer(url, boxesModel());
  Context& context = container->viewContext();
  const auto make = [&](const char* entity, const std::string& name) {
    auto object = ManagedObject::make(*boxesModel()->entity(entity), &context);
    object->setValue("name", name);
    return object;
  };
  for (const auto& [owner, members] :
       std::vector<std::pair<std::string, std::vector<std::string>>>{{"B1", {"i1", "i2"}},
                                                                     {"B2", {}},
                                                                     {"B3", {"j"}},
                                                                     {"C1", {"p1", "p2"}},
                                                                     {"C2", {"q1", "q2"}},
                                                                     {"C3", {"q3", "q4"}}}) {
    const bool isBox = owner[0] == 'B';
    const auto object = make(isBox ? "Box" : "Crate", owner);
    for (const auto& member : members) {
      make(isBox ? "Item" : "Part", member)->setValue(isBox ? "box" : "crate", object);
    }
  }
  context.save();
}

// Runs `change` in a process of its own, on a container of its own, and waits for it to save.
// No connection to the file is open when it starts, so the child inherits none.
class OtherProcess {
 public:
  OtherProcess(const std::filesystem::path& url, std::function<void(Context&)> change) {
    if (pipe(go_) != 0) return;
    pid_ = fork();
    if (pid_ != 0) return;
    close(go_[1]);
    char ready = 0;
    int status = read(go_[0], &ready, 1) == 1 ? 0 : 2;
    try {
      if (status == 0) {
        auto container = openContainer(url, boxesModel());
        change(container->viewContext());
        container->viewContext().save();
      }
    } catch (...) {
      status = 1;
    }
    _exit(status);
  }
  ~OtherProcess() {
    if (pid_ <= 0 || ran_) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  OtherProcess(const OtherProcess&) = delete;
  OtherProcess& operator=(const OtherProcess&) = delete;

  // 0 once the child saved its change.
  int run() {
    ran_ = true;
    close(go_[0]);
    if (write(go_[1], "g", 1) != 1) return -1;
    close(go_[1]);
    int status = 0;
    waitpid(pid_, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  int go_[2] = {-1, -1};
  pid_t pid_ = -1;
  bool ran_ = false;
};

// A model's required links and bounded sets hold when another writer, a container in this
// process or another process, changed them after this context read them: each save is counted
// in the file under the write lock, and one that would break them leaves the file as the other
// writer left it, with its own changes still pending.
TEST_F(TwoWritersTest, ARequiredLinkOrABoundedSetChangedByAnotherWriterIsAConflict) {
  const auto boxes = directory.path() / "Boxes.store";
  const auto in = [](Context& context, const char* entity, const char* name) {
    for (const auto& object : context.fetch(entity)) {
      if (*object->value("name")->string() == name) return object;
    }
    throw std::runtime_error(std::string("no ") + name);
  };
  const auto link = [&](Context& context, const char* member, const char* owner) {
    const bool isItem = member[0] == 'i' || member[0] == 'j';
    in(context, isItem ? "Item" : "Part", member)
        ->setValue(isItem ? "box" : "crate", in(context, isItem ? "Box" : "Crate", owner));
  };
  // Moves i1 and i2 to B2, then deletes B1.
  const auto emptyAndDeleteB1 = [&](Context& context) {
    ASSERT_EQ(in(context, "Box", "B1")->value("items")->objectSet()->size(), 2u);
    link(context, "i1", "B2");
    link(context, "i2", "B2");
    context.deleteObject(*in(context, "Box", "B1"));
  };
  const std::string requiredBox =
      "Could not save: another writer linked a Item to the Box this save deletes, and Item.box "
      "is required.";
  const std::string tooFew =
      "Could not save: with another writer's changes, Crate.parts would hold too few objects.";
  const std::string tooMany =
      "Could not save: with another writer's changes, Crate.parts would hold too many objects.";
  struct Case {
    const char* name;
    std::function<void(Context&)> mine, theirs;
    std::vector<std::string> refusals;  // any one of them; none: it saves
  };
  const std::vector<Case> cases = {
      {"an item added to a box deleted here",
       emptyAndDeleteB1,
       [&](Context& context) {
         auto item = ManagedObject::make(*boxesModel()->entity("Item"), &context);
         item->setValue("name", "i3");
         item->setValue("box", in(context, "Box", "B1"));
       },
       {requiredBox}},
      {"an item moved into a box deleted here",
       emptyAndDeleteB1,
       [&](Context& context) { link(context, "j", "B1"); },
       {requiredBox}},
      {"the other part of a crate deleted there",
       [&](Context& context) { context.deleteObject(*in(context, "Part", "p1")); },
       [&](Context& context) { context.deleteObject(*in(context, "Part", "p2")); },
       {tooFew}},
      {"a crate's part moved into the crate this one moves to",
       [&](Context& context) { link(context, "q3", "C2"); },
       [&](Context& context) { link(context, "q4", "C2"); },
       {tooMany, tooFew}},
      {"the items moved out of the box first",
       emptyAndDeleteB1,
       [&](Context& context) {
         link(context, "i1", "B3");
         link(context, "i2", "B3");
       },
       {}},
      {"a part moved into a crate deleted here",
       [&](Context& context) { context.deleteObject(*in(context, "Crate", "C1")); },
       [&](Context& context) { link(context, "q1", "C1"); },
       {}},
  };
  for (const auto& each : cases) {
    for (const bool forked : {false, true}) {
      SCOPED_TRACE(std::string(each.name) + (forked ? ", in another process" : ""));
      fillBoxes(boxes);
      std::optional<OtherProcess> process;
      if (forked) process.emplace(boxes, each.theirs);
      auto mine = openContainer(boxes, boxesModel());
      ASSERT_NO_FATAL_FAILURE(each.mine(mine->viewContext()));
      if (forked) {
        ASSERT_EQ(process->run(), 0);
      } else {
        auto theirs = openContainer(boxes, boxesModel());
        each.theirs(theirs->viewContext());
        theirs->viewContext().save();
      }
      const auto before = boxesInFile(boxes);
      const auto error = saveError(mine->viewContext());
      if (each.refusals.empty()) {
        EXPECT_FALSE(error) << error->what();
        continue;
      }
      ASSERT_TRUE(error);
      EXPECT_EQ(error->kind(), StoreError::Kind::conflict);
      EXPECT_NE(std::find(each.refusals.begin(), each.refusals.end(), error->what()),
                each.refusals.end())
          << error->what();
      EXPECT_EQ(boxesInFile(boxes), before);
      EXPECT_TRUE(mine->viewContext().hasChanges());
    }
  }
  // What the cases that save leave: the items where this context put them, and the parts of a
  // deleted crate in none.
  fillBoxes(boxes);
  auto mine = openContainer(boxes, boxesModel());
  emptyAndDeleteB1(mine->viewContext());
  mine->viewContext().deleteObject(*in(mine->viewContext(), "Crate", "C1"));
  ASSERT_FALSE(saveError(mine->viewContext()));
  EXPECT_EQ(boxesInFile(boxes), (std::map<std::string, std::string>{{"i1", "B2"},
                                                                    {"i2", "B2"},
                                                                    {"j", "B3"},
                                                                    {"p1", ""},
                                                                    {"p2", ""},
                                                                    {"q1", "C2"},
                                                                    {"q2", "C2"},
                                                                    {"q3", "C3"},
                                                                    {"q4", "C3"}}));
}

// The object of `entity` named `name` in the boxes-and-crates model, or a failed test.
Object boxed(Context& context, const char* entity, const std::string& name) {
  for (const auto& object : context.fetch(entity)) {
    if (*object->value("name")->string() == name) return object;
  }
  throw std::runtime_error("no " + name);
}

// `part`'s crate set to `crate`, or to none for "".
void putPart(Context& context, const std::string& part, const std::string& crate) {
  boxed(context, "Part", part)
      ->setValue("crate", crate.empty() ? std::nullopt
                                        : std::optional<Value>(boxed(context, "Crate", crate)));
}

// Another writer, as each kind a host meets: a container in this process, a process of its
// own, or a second context over this context's own coordinator, which shares its connection.
// Made before this context's container opens, so that a process inherits no connection.
enum class Writer { container, process, sibling };

class OtherWriter {
 public:
  OtherWriter(Writer kind, const std::filesystem::path& url, std::function<void(Context&)> change)
      : kind_(kind), url_(url), change_(std::move(change)) {
    if (kind == Writer::process) process_.emplace(url, change_);
  }

  // Makes the change and saves it; `mine` is the context it is another writer to.
  void run(Context& mine) {
    if (kind_ == Writer::process) {
      ASSERT_EQ(process_->run(), 0);
    } else if (kind_ == Writer::container) {
      auto theirs = openContainer(url_, boxesModel());
      change_(theirs->viewContext());
      theirs->viewContext().save();
    } else {
      Context sibling(mine.coordinator());
      change_(sibling);
      sibling.save();
    }
  }

 private:
  Writer kind_;
  std::filesystem::path url_;
  std::function<void(Context&)> change_;
  std::optional<OtherProcess> process_;
};

constexpr Writer everyWriter[] = {Writer::container, Writer::process, Writer::sibling};

const char* nameOf(Writer writer) {
  return writer == Writer::container ? "a container"
         : writer == Writer::process ? "another process"
                                     : "a context over the same coordinator";
}

// A part this context read in C1 was moved by another writer into C3, whose other parts then
// left: taking it out now, by a move or a delete, would empty C3, which the file holds it in.
// Fetching again does not show the move; the save counts the crate of the file under its lock.
TEST_F(TwoWritersTest, APartTakenOutOfTheCrateTheFileHoldsItInCountsThatCrate) {
  const auto boxes = directory.path() / "Boxes.store";
  const std::string tooFew =
      "Could not save: with another writer's changes, Crate.parts would hold too few objects.";
  for (const Writer writer : everyWriter) {
    for (const bool deletes : {false, true}) {
      SCOPED_TRACE(std::string(nameOf(writer)) + (deletes ? ", p1 deleted" : ", p1 moved"));
      fillBoxes(boxes);
      OtherWriter theirs(writer, boxes, [](Context& context) {
        putPart(context, "p1", "C3");
        putPart(context, "q3", "C1");
        putPart(context, "q4", "C1");
      });
      auto mine = openContainer(boxes, boxesModel());
      Context& context = mine->viewContext();
      const auto p1 = boxed(context, "Part", "p1");
      ASSERT_EQ(p1->value("crate"), Value(boxed(context, "Crate", "C1")));
      ASSERT_EQ(boxed(context, "Crate", "C2")->value("parts")->objectSet()->size(), 2u);
      ASSERT_NO_FATAL_FAILURE(theirs.run(context));
      ASSERT_EQ(boxed(context, "Part", "p1"), p1);  // fetched again: still in C1 here
      ASSERT_EQ(p1->value("crate"), Value(boxed(context, "Crate", "C1")));
      if (deletes) {
        context.deleteObject(*p1);
      } else {
        putPart(context, "p1", "C2");
      }
      const auto before = boxesInFile(boxes);
      const auto error = saveError(context);
      ASSERT_TRUE(error) << "C3 was left without a part";
      EXPECT_EQ(error->kind(), StoreError::Kind::conflict);
      EXPECT_EQ(error->what(), tooFew);
      EXPECT_EQ(boxesInFile(boxes), before);
      EXPECT_EQ(before.at("p1"), "C3");
      EXPECT_TRUE(context.hasChanges());
    }
  }
}

// Another writer deleted crate C3: a part this context takes out of it, by a move or a delete,
// is told as that deletion, not as a crate left too empty. A context that reads afresh, as the
// host then makes, finds the part in no crate and saves the change.
TEST_F(TwoWritersTest, APartTakenOutOfACrateAnotherWriterDeletedIsToldAsThatDeletion) {
  const auto boxes = directory.path() / "Boxes.store";
  for (const Writer writer : everyWriter) {
    for (const bool deletes : {false, true}) {
      SCOPED_TRACE(std::string(nameOf(writer)) + (deletes ? ", q3 deleted" : ", q3 moved"));
      fillBoxes(boxes);
      OtherWriter theirs(writer, boxes, [](Context& context) {
        context.deleteObject(*boxed(context, "Crate", "C3"));
      });
      auto mine = openContainer(boxes, boxesModel());
      Context& context = mine->viewContext();
      ASSERT_EQ(boxed(context, "Crate", "C3")->value("parts")->objectSet()->size(), 2u);
      ASSERT_NO_FATAL_FAILURE(theirs.run(context));
      const auto apply = [&](Context& where) {
        if (deletes) {
          where.deleteObject(*boxed(where, "Part", "q3"));
        } else {
          putPart(where, "q3", "C1");
        }
      };
      apply(context);
      const auto before = boxesInFile(boxes);
      const auto error = saveError(context);
      ASSERT_TRUE(error);
      EXPECT_EQ(error->kind(), StoreError::Kind::conflict);
      EXPECT_STREQ(error->what(), "Could not save: a Crate row was deleted by another writer.");
      EXPECT_EQ(boxesInFile(boxes), before);
      context.rollback();
      Context fresh(context.coordinator());
      apply(fresh);
      const auto again = saveError(fresh);
      ASSERT_FALSE(again) << again->what();
      auto expected = before;
      if (deletes) {
        expected.erase("q3");
      } else {
        expected["q3"] = "C1";
      }
      EXPECT_EQ(boxesInFile(boxes), expected);
    }
  }
}

// Each conflict of a required link or a bounded set settles as docs/store.md says: the changes
// thrown away, then applied anew in a fresh context over the same coordinator, which reads the
// file afresh. There the change saves, or is refused for what the file now holds: the conflict
// does not come back.
TEST_F(TwoWritersTest, EveryConflictOfLinksAndBoundsSettlesInAFreshContext) {
  const auto boxes = directory.path() / "Boxes.store";
  struct Case {
    const char* name;
    std::function<void(Context&)> mine, theirs;
    std::optional<std::string> refusedAfresh;  // none: saves, and `settled` holds
    std::map<std::string, std::string> settled;
  };
  const std::vector<Case> cases = {
      {"an item moved into a box deleted here",
       [](Context& context) {  // moves every item of B1 to B2, then deletes B1
         const auto b1 = boxed(context, "Box", "B1");
         for (const auto& item : b1->mutableSetValue("items").objects()) {
           item->setValue("box", boxed(context, "Box", "B2"));
         }
         context.deleteObject(*b1);
       },
       [](Context& context) {
         boxed(context, "Item", "j")->setValue("box", boxed(context, "Box", "B1"));
       },
       std::nullopt,
       {{"i1", "B2"}, {"i2", "B2"}, {"j", "B2"}}},
      {"a part moved out of a crate whose other part was deleted there",
       [](Context& context) { putPart(context, "p1", "C2"); },
       [](Context& context) { context.deleteObject(*boxed(context, "Part", "p2")); },
       "Could not save: Crate.parts holds too few objects.",
       {}},
      {"a part moved into the crate a part moves to",
       [](Context& context) { putPart(context, "q3", "C2"); },
       [](Context& context) { putPart(context, "p1", "C2"); },
       "Could not save: Crate.parts holds too many objects.",
       {}},
      {"a part moved out of the crate the file holds it in, left with it alone",
       [](Context& context) { putPart(context, "p1", "C2"); },
       [](Context& context) {
         putPart(context, "p1", "C3");
         putPart(context, "q3", "C1");
         putPart(context, "q4", "C1");
       },
       "Could not save: Crate.parts holds too few objects.",
       {}},
      {"a part moved out of a crate deleted there",
       [](Context& context) { putPart(context, "q3", "C1"); },
       [](Context& context) { context.deleteObject(*boxed(context, "Crate", "C3")); },
       std::nullopt,
       {{"p1", "C1"}, {"p2", "C1"}, {"q3", "C1"}, {"q4", ""}}},
  };
  for (const auto& each : cases) {
    for (const Writer writer : everyWriter) {
      SCOPED_TRACE(std::string(each.name) + ", " + nameOf(writer));
      fillBoxes(boxes);
      OtherWriter theirs(writer, boxes, each.theirs);
      auto mine = openContainer(boxes, boxesModel());
      Context& context = mine->viewContext();
      each.mine(context);
      ASSERT_NO_FATAL_FAILURE(theirs.run(context));
      const auto error = saveError(context);
      ASSERT_TRUE(error);
      EXPECT_EQ(error->kind(), StoreError::Kind::conflict) << error->what();
      context.rollback();
      Context fresh(context.coordinator());
      each.mine(fresh);
      const auto again = saveError(fresh);
      if (each.refusedAfresh) {
        ASSERT_TRUE(again);
        EXPECT_EQ(again->kind(), StoreError::Kind::validation);
        EXPECT_EQ(again->what(), *each.refusedAfresh);
        continue;
      }
      ASSERT_FALSE(again) << again->what();
      const auto file = boxesInFile(boxes);
      for (const auto& [member, owner] : each.settled) EXPECT_EQ(file.at(member), owner) << member;
    }
  }
}

// A save reads nothing to check a bounded set while nobody else has committed since its
// context read: the sets it holds are the file's. Once another writer has, each save counts
// the sets it changes in the file.
TEST_F(TwoWritersTest, ABoundedSetIsCountedInTheFileOnlyOnceAnotherWriterCommitted) {
  const auto boxes = directory.path() / "Boxes.store";
  RowCounter counter;
  for (const Writer writer : everyWriter) {
    SCOPED_TRACE(nameOf(writer));
    fillBoxes(boxes);
    OtherWriter theirs(writer, boxes, [](Context& context) { putPart(context, "p1", "C2"); });
    auto mine = openContainer(boxes, boxesModel());
    Context& context = mine->viewContext();
    ASSERT_EQ(boxed(context, "Crate", "C1")->value("parts")->objectSet()->size(), 2u);
    ASSERT_EQ(boxed(context, "Crate", "C3")->value("parts")->objectSet()->size(), 2u);
    // Saves of its own keep what it holds the file's.
    for (const char* crate : {"C1", "C3", "C1"}) {
      putPart(context, "q3", crate);
      counter.start();
      ASSERT_FALSE(saveError(context));
      for (const auto& [sql, count] : counter.stop()) ADD_FAILURE() << count << " rows of " << sql;
    }
    ASSERT_NO_FATAL_FAILURE(theirs.run(context));
    putPart(context, "q3", "C3");  // leaves C1 with p2 alone in the file
    counter.start();
    ASSERT_FALSE(saveError(context));
    const auto rows = counter.stop();
    EXPECT_FALSE(rows.empty()) << "nothing counted after another writer's save";
    putPart(context, "p2", "C2");  // C1 is empty in the file, not in this context
    const auto error = saveError(context);
    ASSERT_TRUE(error);
    EXPECT_STREQ(error->what(),
                 "Could not save: with another writer's changes, Crate.parts would hold too few "
                 "objects.");
  }
}

// Several processes at once move, insert and delete parts of crates bounded one to three,
// through one long-lived context each (a fresh one after a conflict, as a host settles it),
// while one more is killed midway: whatever the interleaving, no save leaves a crate in the
// file outside its bounds.
TEST_F(TwoWritersTest, ForkedWritersNeverLeaveACrateOutsideItsBounds) {
  const auto boxes = directory.path() / "Boxes.store";
  fillBoxes(boxes);
  constexpr int writers = 5;  // the last is killed once the others are done
  constexpr int rounds = 100;
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  std::vector<pid_t> children;
  for (int writer = 0; writer < writers; ++writer) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child != 0) {
      children.push_back(child);
      continue;
    }
    // All start at once, when the pipe closes.
    close(start[1]);
    char ignored = 0;
    if (read(start[0], &ignored, 1) != 0) _exit(3);
    int status = 2;  // no save went through
    try {
      std::mt19937 random(static_cast<unsigned>(writer) + 1);
      auto container = openContainer(boxes, boxesModel());
      bool settling = false;
      for (int round = 0; round < (writer + 1 < writers ? rounds : 20 * rounds); ++round) {
        std::optional<Context> fresh;
        if (std::exchange(settling, false)) fresh.emplace(container->viewContext().coordinator());
        Context& context = fresh ? *fresh : container->viewContext();
        const auto parts = context.fetch("Part");
        const auto crates = context.fetch("Crate");
        const auto any = [&](const auto& objects) { return objects[random() % objects.size()]; };
        const unsigned kind = parts.empty() ? 0 : random() % 3;
        if (kind == 0) {
          auto part = ManagedObject::make(*boxesModel()->entity("Part"), &context);
          part->setValue("name", "w" + std::to_string(writer) + "-" + std::to_string(round));
          part->setValue("crate", any(crates));
        } else if (kind == 1) {
          any(parts)->setValue("crate", any(crates));
        } else {
          context.deleteObject(*any(parts));
        }
        try {
          context.save();
          status = 0;
        } catch (const StoreError& error) {
          if (error.kind() != StoreError::Kind::conflict &&
              error.kind() != StoreError::Kind::validation) {
            throw;
          }
          settling = error.kind() == StoreError::Kind::conflict;
          context.rollback();
        }
      }
    } catch (...) {
      status = 1;
    }
    _exit(status);
  }
  close(start[0]);
  close(start[1]);
  for (const pid_t child : children) {
    if (child == children.back()) kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    if (child == children.back()) continue;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  ASSERT_NO_FATAL_FAILURE(testing::expectIntact(boxes));
  data_internal::Database database(boxes.string());
  auto counts = database.prepare(
      "SELECT Crate.name, count(Part._pk) FROM Crate LEFT JOIN Part ON Part.crate = Crate._pk "
      "GROUP BY Crate._pk");
  int crates = 0;
  while (counts.step()) {
    ++crates;
    EXPECT_GE(counts.columnInt64(1), 1) << counts.columnText(0);
    EXPECT_LE(counts.columnInt64(1), 3) << counts.columnText(0);
  }
  EXPECT_EQ(crates, 3);
}

// Another writer fills crate C2 to its largest count (q4 leaves C3, which keeps q3): a part this
// save moves in from C1, which keeps p2, or a new part, is one too many on its own.
TEST_F(TwoWritersTest, ASetAnotherWriterFilledTakesNoMemberMovedInOrNew) {
  const auto boxes = directory.path() / "Boxes.store";
  const std::vector<std::pair<const char*, std::function<void(Context&)>>> changes = {
      {"a part moved in",
       [](Context& context) {
         boxed(context, "Part", "p1")->setValue("crate", boxed(context, "Crate", "C2"));
       }},
      {"a new part",
       [](Context& context) {
         auto part = ManagedObject::make(*boxesModel()->entity("Part"), &context);
         part->setValue("name", "p3");
         part->setValue("crate", boxed(context, "Crate", "C2"));
       }},
  };
  for (const auto& [name, change] : changes) {
    SCOPED_TRACE(name);
    fillBoxes(boxes);
    auto mine = openContainer(boxes, boxesModel());
    change(mine->viewContext());
    {
      auto theirs = openContainer(boxes, boxesModel());
      Context& context = theirs->viewContext();
      boxed(context, "Part", "q4")->setValue("crate", boxed(context, "Crate", "C2"));
      context.save();
    }
    const auto before = boxesInFile(boxes);
    const auto error = saveError(mine->viewContext());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), StoreError::Kind::conflict);
    EXPECT_STREQ(error->what(),
                 "Could not save: with another writer's changes, Crate.parts would hold too many "
                 "objects.");
    EXPECT_EQ(boxesInFile(boxes), before);
    EXPECT_TRUE(mine->viewContext().hasChanges());
  }
}

// Boxes and items alone, with no bounded set: a box this save deletes, into which another
// writer moved an item, is still counted in the file.
TEST_F(TwoWritersTest, AModelWhoseOnlyRuleIsARequiredLinkIsCountedInTheFile) {
  const auto model = std::make_shared<const Model>(testing::boxAndItem());
  const auto boxes = directory.path() / "Boxes.store";
  {
    auto setup = openContainer(boxes, model);
    Context& context = setup->viewContext();
    Object made[2];
    for (const int n : {0, 1}) {
      made[n] = ManagedObject::make(*model->entity("Box"), &context);
      made[n]->setValue("name", "B" + std::to_string(n + 1));
    }
    const auto i = ManagedObject::make(*model->entity("Item"), &context);
    i->setValue("name", "i");
    i->setValue("box", made[0]);
    context.save();
  }
  auto mine = openContainer(boxes, model);
  mine->viewContext().deleteObject(*boxed(mine->viewContext(), "Box", "B2"));
  {
    auto theirs = openContainer(boxes, model);
    Context& context = theirs->viewContext();
    boxed(context, "Item", "i")->setValue("box", boxed(context, "Box", "B2"));
    context.save();
  }
  const auto error = saveError(mine->viewContext());
  ASSERT_TRUE(error);
  EXPECT_EQ(error->kind(), StoreError::Kind::conflict);
  EXPECT_STREQ(error->what(),
               "Could not save: another writer linked a Item to the Box this save deletes, and "
               "Item.box is required.");
  auto after = openContainer(boxes, model);
  EXPECT_EQ(after->viewContext().count("Box"), 2u);
  const auto moved = boxed(after->viewContext(), "Item", "i")->value("box");
  ASSERT_TRUE(moved);
  EXPECT_EQ(*moved->object()->value("name")->string(), "B2");
}

}  // namespace
}  // namespace kelvo::data
