// A program that reads its store through SQLite itself, beside the containers it opens and
// closes over the same store: closing any descriptor of a file lets go of every record lock the
// process holds on it, so none that the library opens for its looks at other programs is ever
// closed while that connection may hold locks.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "platform/data/internal/StoreLog.hpp"
#include "tests/data/StoreFileCheck.hpp"
#include "tests/data/StorePeer.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo::data {
namespace {

namespace fs = std::filesystem;
using kelvo::testing::TemporaryDirectory;

// A lock of `type` on `length` bytes from `start` of a file.
struct flock lockOn(short type, off_t start, off_t length) {
  return {.l_type = type, .l_whence = SEEK_SET, .l_start = start, .l_len = length, .l_pid = 0};
}

// Whether any process, this one among them, holds a lock on `length` bytes from `start` of the
// file at `path`: a lock test through an open file description sees this process's own.
bool lockedByAnyone(const fs::path& path, off_t start, off_t length) {
  const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0) return false;
  struct flock lock = lockOn(F_WRLCK, start, length);
  const bool locked = ::fcntl(file, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
  // Closing this descriptor drops this process's locks on the file: kept open, as the library
  // keeps its own.
  static std::vector<int> kept;
  kept.push_back(file);
  return locked;
}

std::string run(sqlite3* connection, const std::string& sql) {
  char* message = nullptr;
  const int result = sqlite3_exec(connection, sql.c_str(), nullptr, nullptr, &message);
  const std::string said = result == SQLITE_OK ? "ok" : message != nullptr ? message : "failed";
  sqlite3_free(message);
  return said;
}

std::string count(sqlite3* connection) {
  sqlite3_stmt* statement = nullptr;
  std::string said = "no count";
  if (sqlite3_prepare_v2(connection, "SELECT count(*) FROM Note", -1, &statement, nullptr) ==
          SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW) {
    said = std::to_string(sqlite3_column_int(statement, 0));
  } else {
    said = sqlite3_errmsg(connection);
  }
  sqlite3_finalize(statement);
  return said;
}

// SQLite's own VFS under another name, made the default: the library then has no descriptor of
// SQLite's to test locks through, and keeps one of its own.
void registerAVFSOverSQLites() {
  static sqlite3_vfs over = *sqlite3_vfs_find("unix");
  over.zName = "kelvo-over";
  over.pNext = nullptr;
  sqlite3_vfs_register(&over, 1);
}

// The program's own connection, in each state, across a container's open and close over the same
// store; then another program at the same store. Each row runs in a program of its own.
TEST(StoreOwnConnectionTest, AProgramsOwnConnectionKeepsEveryLockItHeldAcrossAContainersClose) {
  TemporaryDirectory directory;
  const fs::path folder = fs::canonical(directory.path());
  constexpr off_t sharedRange = 0x40000002;
  const struct {
    const char* name;
    // What the program's own connection does before the container opens.
    const char* before;
    int flags;
    bool overSQLitesVFS;
    // What another program's save is told, the connection's commit where it began a
    // transaction, and what it then counts.
    const char* said;
  } rows[] = {
      {"read-only", "SELECT count(*) FROM Note", SQLITE_OPEN_READONLY, false, "saved; 3"},
      {"in a read", "BEGIN; SELECT count(*) FROM Note", SQLITE_OPEN_READWRITE, false,
       "saved, ok; 1, then 3"},
      {"in a write", "BEGIN IMMEDIATE; INSERT INTO Note(title) VALUES ('w1'), ('w2')",
       SQLITE_OPEN_READWRITE, false, "refused 5, ok; 3, then 3"},
      {"in a read, through a VFS over SQLite's", "BEGIN; SELECT count(*) FROM Note",
       SQLITE_OPEN_READWRITE, true, "saved, ok; 1, then 3"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string before = row.before;
    const fs::path url = folder / (std::string(row.name).substr(0, 6) + ".store");
    fs::remove(url);
    testing::keepNote(url, "kept");
    const std::string said = saidInChild(
        [&] {
          // Another program, started before anything is open here.
          Peer other;
          if (row.overSQLitesVFS) registerAVFSOverSQLites();
          sqlite3* own = nullptr;
          sqlite3_open_v2(url.c_str(), &own, row.flags, "unix");
          std::string steps = run(own, before);
          {
            auto container = testing::openContainer(url);
            if (!before.starts_with("BEGIN IMMEDIATE")) {
              testing::makeNote(container->viewContext(), "by the container");
              container->viewContext().save();
            }
          }
          steps += lockedByAnyone(url, sharedRange, 1) ? ", file held" : ", file let go";
          steps += lockedByAnyone(url.string() + "-shm", 128, 1) ? ", -shm held" : ", -shm let go";
          other("open " + url.string());
          const std::string saved = other("note by another program");
          steps +=
              saved == "saved"
                  ? ", saved"
                  : ", refused " + std::to_string(saved.find("(5)") != std::string::npos ? 5 : 0);
          other("close");
          std::string counted = count(own);
          if (before.starts_with("BEGIN")) {
            steps += ", " + run(own, "COMMIT");
            counted += ", then " + count(own);
          }
          sqlite3_close(own);
          throw StoreError({}, steps + "; " + counted);
        },
        false);
    EXPECT_EQ(said, std::string("ok, file held, -shm held, ") + row.said);
    ASSERT_NO_FATAL_FAILURE(testing::expectIntact(url));
  }
}

// A log with frames beside an empty store file is set aside only where nobody holds the -shm
// beside it; looking at it lets go of no lock this program holds on that -shm.
TEST(StoreOwnConnectionTest, LookingForAStrayLogsHolderLetsGoOfNoLockThisProgramHolds) {
  TemporaryDirectory directory;
  const std::string url = (fs::canonical(directory.path()) / "A.store").string();
  std::ofstream(url).flush();
  std::ofstream(url + "-wal", std::ios::binary) << std::string(100, 'w');
  const int shm = ::open((url + "-shm").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(shm, 0);
  struct flock lock = lockOn(F_RDLCK, 128, 1);
  ASSERT_EQ(::fcntl(shm, F_SETLK, &lock), 0);
  // This program's own lock is not another program's: the log is set aside, and the lock kept.
  EXPECT_TRUE(data_internal::StoreLog::setAsideStray(url).has_value());
  EXPECT_TRUE(lockedByAnyone(url + "-shm", 128, 1));
  ::close(shm);
}

}  // namespace
}  // namespace kelvo::data
