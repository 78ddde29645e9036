// Saves under a SQLite VFS that fails the k-th write or sync, for every k.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstring>

#include "platform/data/Context.hpp"
#include "platform/data/Database.hpp"
#include "tests/data/TestModel.hpp"

namespace kelvo::data {
namespace {

enum class Fault { writeError, diskFull, syncError };

// Passes every call to the default VFS, counting writes and syncs once armed.
struct FaultyVFS {
  static inline sqlite3_vfs* real = nullptr;
  static inline sqlite3_vfs vfs{};
  static inline sqlite3_io_methods methods{};
  static inline bool armed = false;
  static inline Fault fault = Fault::writeError;
  static inline int failAt = 0;
  static inline int count = 0;
  static inline bool fired = false;

  struct File {
    sqlite3_file base;
    sqlite3_file* inner;
  };
  static sqlite3_file* inner(sqlite3_file* file) { return reinterpret_cast<File*>(file)->inner; }

  static bool shouldFail(bool isSync) {
    if (!armed || isSync != (fault == Fault::syncError)) return false;
    if (++count != failAt) return false;
    fired = true;
    return true;
  }

  static void install() {
    real = sqlite3_vfs_find(nullptr);
    vfs = *real;
    vfs.zName = "kelvo-faulty";
    vfs.szOsFile = static_cast<int>(sizeof(File)) + real->szOsFile;
    vfs.pNext = nullptr;
    vfs.xOpen = [](sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags,
                   int* outFlags) {
      auto* wrapper = reinterpret_cast<File*>(file);
      wrapper->inner = reinterpret_cast<sqlite3_file*>(wrapper + 1);
      const int result = real->xOpen(real, name, wrapper->inner, flags, outFlags);
      wrapper->base.pMethods = wrapper->inner->pMethods != nullptr ? &methods : nullptr;
      return result;
    };
    vfs.xDelete = [](sqlite3_vfs*, const char* name, int syncDir) {
      return real->xDelete(real, name, syncDir);
    };
    vfs.xAccess = [](sqlite3_vfs*, const char* name, int flags, int* out) {
      return real->xAccess(real, name, flags, out);
    };
    vfs.xFullPathname = [](sqlite3_vfs*, const char* name, int size, char* out) {
      return real->xFullPathname(real, name, size, out);
    };
    methods.iVersion = 3;
    methods.xClose = [](sqlite3_file* f) { return inner(f)->pMethods->xClose(inner(f)); };
    methods.xRead = [](sqlite3_file* f, void* data, int amount, sqlite3_int64 offset) {
      return inner(f)->pMethods->xRead(inner(f), data, amount, offset);
    };
    methods.xWrite = [](sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset) {
      if (shouldFail(false)) return fault == Fault::diskFull ? SQLITE_FULL : SQLITE_IOERR_WRITE;
      return inner(f)->pMethods->xWrite(inner(f), data, amount, offset);
    };
    methods.xTruncate = [](sqlite3_file* f, sqlite3_int64 size) {
      return inner(f)->pMethods->xTruncate(inner(f), size);
    };
    methods.xSync = [](sqlite3_file* f, int flags) {
      if (shouldFail(true)) return SQLITE_IOERR_FSYNC;
      return inner(f)->pMethods->xSync(inner(f), flags);
    };
    methods.xFileSize = [](sqlite3_file* f, sqlite3_int64* size) {
      return inner(f)->pMethods->xFileSize(inner(f), size);
    };
    methods.xLock = [](sqlite3_file* f, int lock) {
      return inner(f)->pMethods->xLock(inner(f), lock);
    };
    methods.xUnlock = [](sqlite3_file* f, int lock) {
      return inner(f)->pMethods->xUnlock(inner(f), lock);
    };
    methods.xCheckReservedLock = [](sqlite3_file* f, int* out) {
      return inner(f)->pMethods->xCheckReservedLock(inner(f), out);
    };
    methods.xFileControl = [](sqlite3_file* f, int op, void* arg) {
      return inner(f)->pMethods->xFileControl(inner(f), op, arg);
    };
    methods.xSectorSize = [](sqlite3_file* f) { return inner(f)->pMethods->xSectorSize(inner(f)); };
    methods.xDeviceCharacteristics = [](sqlite3_file* f) {
      return inner(f)->pMethods->xDeviceCharacteristics(inner(f));
    };
    methods.xShmMap = [](sqlite3_file* f, int page, int size, int extend, void volatile** out) {
      return inner(f)->pMethods->xShmMap(inner(f), page, size, extend, out);
    };
    methods.xShmLock = [](sqlite3_file* f, int offset, int n, int flags) {
      return inner(f)->pMethods->xShmLock(inner(f), offset, n, flags);
    };
    methods.xShmBarrier = [](sqlite3_file* f) { inner(f)->pMethods->xShmBarrier(inner(f)); };
    methods.xShmUnmap = [](sqlite3_file* f, int deleteFlag) {
      return inner(f)->pMethods->xShmUnmap(inner(f), deleteFlag);
    };
    methods.xFetch = [](sqlite3_file* f, sqlite3_int64 offset, int amount, void** out) {
      return inner(f)->pMethods->xFetch(inner(f), offset, amount, out);
    };
    methods.xUnfetch = [](sqlite3_file* f, sqlite3_int64 offset, void* page) {
      return inner(f)->pMethods->xUnfetch(inner(f), offset, page);
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
  {
    Database database(url.string());
    Statement check = database.prepare("PRAGMA integrity_check");
    EXPECT_TRUE(check.step());
    EXPECT_EQ(check.columnText(0), "ok");
  }
  auto container = testing::openContainer(url);
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

class FaultInjectionTest : public ::testing::TestWithParam<Fault> {
 protected:
  void SetUp() override { FaultyVFS::install(); }
  void TearDown() override {
    FaultyVFS::armed = false;
    FaultyVFS::uninstall();
  }
};

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

INSTANTIATE_TEST_SUITE_P(EveryFault, FaultInjectionTest,
                         ::testing::Values(Fault::writeError, Fault::diskFull, Fault::syncError),
                         [](const ::testing::TestParamInfo<Fault>& param) {
                           switch (param.param) {
                             case Fault::writeError:
                               return "WriteError";
                             case Fault::diskFull:
                               return "DiskFull";
                             case Fault::syncError:
                               return "SyncError";
                           }
                           return "Fault";
                         });

}  // namespace
}  // namespace kelvo::data
