// Saves under a SQLite VFS that fails the k-th write or sync, for every k.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "platform/data/Context.hpp"
#include "tests/data/StoreFileCheck.hpp"
#include "tests/data/TestModel.hpp"

namespace kelvo::data {
namespace {

enum class Fault { writeError, diskFull, syncError };

// The default VFS, its files' writes and syncs counted once armed and the k-th failed.
struct FaultyVFS {
  // A table of file methods of the default VFS (the database's, the journals') and our copy.
  struct Methods {
    sqlite3_io_methods ours;
    const sqlite3_io_methods* theirs;
  };
  static inline sqlite3_vfs* real = nullptr;
  static inline sqlite3_vfs vfs{};
  static inline std::vector<std::unique_ptr<Methods>> tables;
  static inline bool armed = false;
  static inline Fault fault = Fault::writeError;
  static inline int failAt = 0;
  static inline int count = 0;
  static inline bool fired = false;

  static bool shouldFail(bool isSync) {
    if (!armed || isSync != (fault == Fault::syncError)) return false;
    if (++count != failAt) return false;
    fired = true;
    return true;
  }

  static const sqlite3_io_methods& theirs(sqlite3_file* file) {
    return *reinterpret_cast<const Methods*>(file->pMethods)->theirs;
  }

  static const sqlite3_io_methods* patched(const sqlite3_io_methods* methods) {
    for (const auto& table : tables) {
      if (table->theirs == methods) return &table->ours;
    }
    auto& table = tables.emplace_back(std::make_unique<Methods>(Methods{*methods, methods}));
    table->ours.xWrite = [](sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
      if (shouldFail(false)) return fault == Fault::diskFull ? SQLITE_FULL : SQLITE_IOERR_WRITE;
      return theirs(f).xWrite(f, data, amount, offset);
    };
    table->ours.xSync = [](sqlite3_file* f, int flags) {
      return shouldFail(true) ? SQLITE_IOERR_FSYNC : theirs(f).xSync(f, flags);
    };
    return &table->ours;
  }

  static void install() {
    real = sqlite3_vfs_find(nullptr);
    vfs = *real;
    vfs.zName = "kelvo-faulty";
    vfs.pNext = nullptr;
    vfs.xOpen = [](sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags,
                   int* outFlags) {
      const int result = real->xOpen(real, name, file, flags, outFlags);
      if (file->pMethods != nullptr) file->pMethods = patched(file->pMethods);
      return result;
    };
    sqlite3_vfs_register(&vfs, 1);
  }
  static void uninstall() {
    sqlite3_vfs_unregister(&vfs);
    sqlite3_vfs_register(real, 1);
  }
  static void arm(Fault kind, int k) {
    fault = kind;
    failAt = k;
    count = 0;
    fired = false;
    armed = true;
  }
};

// What a reader of the file sees, in a fixed order, checked for integrity on the way.
std::vector<std::string> storedState(const std::filesystem::path& url) {
  const auto container = testing::reopenChecked(url);
  std::vector<std::string> rows;
  for (const auto& note : container->viewContext().fetch("Note")) {
    const auto folder = note->value("folder");
    rows.push_back(*note->value("title")->string() + " in " +
                   (folder ? *folder->object()->value("name")->string() : "-") + " used " +
                   std::to_string(*note->value("useCount")->integer()));
  }
  for (const auto& folder : container->viewContext().fetch("Folder")) {
    rows.push_back("folder " + *folder->value("name")->string());
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

template <class Base>
class WithFaultyVFS : public Base {
 protected:
  void SetUp() override { FaultyVFS::install(); }
  void TearDown() override {
    FaultyVFS::armed = false;
    FaultyVFS::uninstall();
  }
};
using FaultInjectionTest = WithFaultyVFS<::testing::TestWithParam<Fault>>;
using FaultyStoreTest = WithFaultyVFS<::testing::Test>;

TEST_F(FaultyStoreTest, ASaveReachesTheDiskBeforeItReturns) {
  kelvo::testing::TemporaryDirectory directory;
  const auto url = directory.path() / "Synced.store";
  auto container = testing::openContainer(url);
  Context& context = container->viewContext();
  testing::makeNote(context, "first");
  context.save();
  // Counted, never failed: a commit in full synchronous mode syncs the log before it returns.
  testing::makeNote(context, "second");
  FaultyVFS::arm(Fault::syncError, INT_MAX);
  context.save();
  EXPECT_GE(FaultyVFS::count, 1);
}

TEST_F(FaultyStoreTest, ACardInsertedAgainAfterAFailedSaveIsSavedOnce) {
  kelvo::testing::TemporaryDirectory directory;
  const auto url = directory.path() / "Again.store";
  auto container = testing::openContainer(url);
  Context& context = container->viewContext();
  const auto note = testing::makeNote(context, "kept");
  FaultyVFS::arm(Fault::writeError, 1);
  EXPECT_THROW(context.save(), StoreError);
  FaultyVFS::armed = false;
  // Nothing of the failed attempt may stick to the object: it goes in as new.
  context.rollback();
  context.insert(note);
  context.save();
  EXPECT_EQ(storedState(url), std::vector<std::string>{"kept in - used 0"});
}

TEST_P(FaultInjectionTest, AFailedSaveChangesNeitherTheFileNorThePendingChanges) {
  const std::string body(3000, 'b');  // several pages of writes per save
  bool reachedTheEnd = false;
  for (int run = 2; run < 1000 && !reachedTheEnd; ++run) {
    // Each k twice: once trying the save again, once giving up.
    const int k = run / 2;
    const bool giveUp = run % 2 == 1;
    kelvo::testing::TemporaryDirectory directory;
    const auto url = directory.path() / "Faulty.store";
    auto container = testing::openContainer(url);
    Context& context = container->viewContext();
    const auto home = testing::makeFolder(context, "home");
    const auto away = testing::makeFolder(context, "away");
    std::vector<std::shared_ptr<testing::Note>> notes;
    for (int i = 0; i < 12; ++i) {
      notes.push_back(testing::makeNote(context, "note " + std::to_string(i)));
      notes.back()->setValue("folder", home);
    }
    context.save();
    const auto before = storedState(url);

    for (int i = 0; i < 8; ++i)
      testing::makeNote(context, "new " + std::to_string(i))->setValue("body", body);
    for (int i = 0; i < 4; ++i) notes[i]->setValue("useCount", 10 + i);
    notes[4]->setValue("folder", away);
    context.deleteObject(*notes[5]);
    context.deleteObject(*away);
    const auto inserted = context.insertedObjects();
    const auto updated = context.updatedObjects();
    const auto deleted = context.deletedObjects();

    FaultyVFS::arm(GetParam(), k);
    bool failed = false;
    try {
      context.save();
    } catch (const StoreError& error) {
      failed = true;
      EXPECT_EQ(error.kind(), StoreError::Kind::sqlite);
      EXPECT_TRUE(error.primaryCode() == SQLITE_IOERR || error.primaryCode() == SQLITE_FULL)
          << error.what();
    }
    FaultyVFS::armed = false;
    if (!failed) {
      // Past the last write or sync of the save: the fault never fired, and the save is whole.
      EXPECT_FALSE(FaultyVFS::fired) << "k = " << k;
      reachedTheEnd = true;
      EXPECT_FALSE(context.hasChanges());
      EXPECT_EQ(storedState(url).size(), before.size() + 8 - 2);
      continue;
    }
    SCOPED_TRACE("k = " + std::to_string(k));
    EXPECT_EQ(context.insertedObjects(), inserted);
    EXPECT_EQ(context.updatedObjects(), updated);
    EXPECT_EQ(context.deletedObjects(), deleted);
    EXPECT_EQ(notes[0]->value("useCount"), Value(10));
    EXPECT_EQ(storedState(url), before);
    if (giveUp) {
      // Given up: the file stays as it was once the connection closes.
      container.reset();
      EXPECT_EQ(storedState(url), before);
      continue;
    }
    // Tried again on the same connection: everything lands.
    context.save();
    EXPECT_FALSE(context.hasChanges());
    const auto after = storedState(url);
    EXPECT_EQ(after.size(), before.size() + 8 - 2);
    EXPECT_NE(std::find(after.begin(), after.end(), "note 3 in home used 13"), after.end());
    EXPECT_NE(std::find(after.begin(), after.end(), "note 4 in - used 0"), after.end());
  }
  EXPECT_TRUE(reachedTheEnd);
}

std::string faultName(const ::testing::TestParamInfo<Fault>& info) {
  const char* const names[] = {"WriteError", "DiskFull", "SyncError"};
  return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryFault, FaultInjectionTest,
                         ::testing::Values(Fault::writeError, Fault::diskFull, Fault::syncError),
                         faultName);

}  // namespace
}  // namespace kelvo::data
