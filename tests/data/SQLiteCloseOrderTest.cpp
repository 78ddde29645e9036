// What a container's close stands on in the installed SQLite's own close: these fail should
// it stop behaving so.
#include "platform/data/internal/SQLiteCloseOrder.hpp"

#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/data/internal/Database.hpp"
#include "platform/data/internal/StoreLog.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo::data {
namespace {

namespace fs = std::filesystem;
using data_internal::Database;
using data_internal::SQLiteCloseOrder;
using data_internal::Statement;
using data_internal::StoreLog;
using data_internal::Transaction;
using kelvo::testing::TemporaryDirectory;

sqlite3* openWAL(const fs::path& path) {
  sqlite3* handle = nullptr;
  EXPECT_EQ(sqlite3_open(path.c_str(), &handle), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(handle, "PRAGMA journal_mode=WAL; CREATE TABLE IF NOT EXISTS t(x)",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  return handle;
}

sqlite3_file* mainFile(sqlite3* handle) {
  sqlite3_file* file = nullptr;
  sqlite3_file_control(handle, "main", SQLITE_FCNTL_FILE_POINTER, &file);
  return file;
}

// The file controls SQLite's close asks, as a shim over the file's methods records them.
struct CloseRecording {
  const sqlite3_io_methods* original = nullptr;
  fs::path path;
  std::uintmax_t sizeBefore = 0;
  bool answerMoved = false;
  bool answerKeep = false;
  std::vector<std::string> asked;
};
CloseRecording recording;

int recordingFileControl(sqlite3_file* file, int operation, void* argument) {
  if (operation != SQLITE_FCNTL_HAS_MOVED && operation != SQLITE_FCNTL_PERSIST_WAL) {
    return recording.original->xFileControl(file, operation, argument);
  }
  std::string asked = operation == SQLITE_FCNTL_HAS_MOVED
                          ? "moved?"
                          : "keep (" + std::to_string(*static_cast<int*>(argument)) + ")?";
  asked += fs::file_size(recording.path) > recording.sizeBefore ? " copied" : " not copied";
  asked += fs::exists(recording.path.string() + "-wal") ? ", -wal there" : ", no -wal";
  recording.asked.push_back(asked);
  if (operation == SQLITE_FCNTL_HAS_MOVED && recording.answerMoved) {
    *static_cast<int*>(argument) = 1;
    return SQLITE_OK;
  }
  if (SQLiteCloseOrder::asksWhetherToKeepTheLog(operation, argument) && recording.answerKeep) {
    *static_cast<int*>(argument) = 1;
    return SQLITE_OK;
  }
  return recording.original->xFileControl(file, operation, argument);
}

// (a) and (b): the look at the path comes before the copy, the question whether to keep the log
// after it and before the -wal is removed; "moved" copies nothing, "keep" removes nothing.
TEST(SQLiteCloseOrderTest, TheCloseLooksAtThePathBeforeTheCopyAndAsksToKeepTheLogBeforeRemoval) {
  struct Case {
    const char* answer;
    bool moved;
    bool keep;
    std::vector<std::string> asked;
    bool copied;
    bool logLeft;
  };
  const std::string lookFirst = "moved? not copied, -wal there";
  const std::string askAfterCopy = "keep (-1)? copied, -wal there";
  for (const Case& each : {Case{"nothing", false, false, {lookFirst, askAfterCopy}, true, false},
                           Case{"moved", true, false, {lookFirst}, false, true},
                           Case{"keep", false, true, {lookFirst, askAfterCopy}, true, true}}) {
    SCOPED_TRACE(each.answer);
    TemporaryDirectory directory;
    const fs::path path = directory.path() / "Close.store";
    sqlite3* handle = openWAL(path);
    ASSERT_EQ(
        sqlite3_exec(handle, "INSERT INTO t SELECT randomblob(20000)", nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_file* file = mainFile(handle);
    ASSERT_NE(file, nullptr);
    recording = {file->pMethods, path, fs::file_size(path), each.moved, each.keep, {}};
    static sqlite3_io_methods shim{};
    shim = SQLiteCloseOrder::closingCopy(*file->pMethods, &recordingFileControl);
    file->pMethods = &shim;
    ASSERT_EQ(sqlite3_close_v2(handle), SQLITE_OK);
    EXPECT_EQ(recording.asked, each.asked);
    EXPECT_EQ(fs::file_size(path) > recording.sizeBefore, each.copied);
    EXPECT_EQ(fs::exists(path.string() + "-wal"), each.logLeft);
    EXPECT_EQ(fs::exists(path.string() + "-shm"), each.logLeft);
  }
}

// (c), (d) and (e): one view of the -shm for all of a process's connections to one file; the
// unix VFS gives every file one method table, of a version the header declares, and begins it
// with the file's descriptor, which no file of another VFS offers; the copy claims no version a
// newer SQLite's longer method table would have it read past.
TEST(SQLiteCloseOrderTest, TheUnixVFSGivesEveryFileOneMethodTableOneViewOfTheShmAndItsDescriptor) {
  EXPECT_TRUE(SQLiteCloseOrder::isOwnVFS(sqlite3_vfs_find(nullptr)));
  EXPECT_TRUE(SQLiteCloseOrder::isOwnVFS(sqlite3_vfs_find("unix")));
  EXPECT_FALSE(SQLiteCloseOrder::isOwnVFS(sqlite3_vfs_find("unix-dotfile")));
  EXPECT_FALSE(SQLiteCloseOrder::isOwnVFS(nullptr));
  TemporaryDirectory directory;
  const fs::path one = directory.path() / "One.store";
  sqlite3* handles[] = {openWAL(one), openWAL(one), openWAL(directory.path() / "Other.store")};
  void volatile* regions[3] = {};
  for (int i = 0; i < 3; ++i) {
    sqlite3_file* file = mainFile(handles[i]);
    ASSERT_NE(file, nullptr);
    ASSERT_GE(file->pMethods->iVersion, 2);
    ASSERT_EQ(file->pMethods->xShmMap(file, 0, 32768, 0, &regions[i]), SQLITE_OK);
  }
  EXPECT_NE(regions[0], nullptr);
  EXPECT_EQ(regions[0], regions[1]);
  EXPECT_NE(regions[0], regions[2]);
  const sqlite3_io_methods* methods = mainFile(handles[0])->pMethods;
  EXPECT_EQ(mainFile(handles[2])->pMethods, methods);
  // The close maps the -shm and the file's first page: version 3's members.
  EXPECT_EQ(methods->iVersion, SQLiteCloseOrder::headerMethodsVersion);
  struct stat opened {};
  struct stat named {};
  const int descriptor = StoreLog::descriptorOf(mainFile(handles[0]));
  ASSERT_GE(descriptor, 0);
  ASSERT_EQ(fstat(descriptor, &opened), 0);
  ASSERT_EQ(stat(one.c_str(), &named), 0);
  EXPECT_EQ(std::pair(opened.st_dev, opened.st_ino), std::pair(named.st_dev, named.st_ino));
  for (sqlite3* handle : handles) sqlite3_close_v2(handle);
  sqlite3* dotfile = nullptr;
  ASSERT_EQ(sqlite3_open_v2((directory.path() / "Two.store").c_str(), &dotfile,
                            SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, "unix-dotfile"),
            SQLITE_OK);
  EXPECT_EQ(StoreLog::descriptorOf(mainFile(dotfile)), -1);
  sqlite3_close_v2(dotfile);

  for (const int version : {1, 2, 3, 4, 9}) {
    sqlite3_io_methods original = *methods;
    original.iVersion = version;
    const sqlite3_io_methods copy = SQLiteCloseOrder::closingCopy(original, &recordingFileControl);
    EXPECT_EQ(copy.iVersion, std::min(version, SQLiteCloseOrder::headerMethodsVersion));
    EXPECT_EQ(copy.xFileControl, &recordingFileControl);
    EXPECT_EQ(copy.xRead, original.xRead);
    EXPECT_EQ(copy.xUnfetch, original.xUnfetch);
  }
}

// Waits for `child` at most `seconds`; -1 when it had to be stopped.
int exitStatus(pid_t child, int seconds) {
  for (int waited = 0; waited < seconds * 100; ++waited) {
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child)
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    usleep(10'000);
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  return -1;
}

// A statement left unfinalised defers SQLite's close: the connection must not keep the file
// to itself meanwhile. Another program, started before any connection here, writes it.
TEST(SQLiteCloseOrderTest, AConnectionClosedWithAStatementLeftKeepsNoProgramOut) {
  TemporaryDirectory directory;
  const fs::path path = directory.path() / "Left.store";
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    close(start[1]);
    pollfd go{start[0], POLLIN, 0};
    if (poll(&go, 1, 10'000) != 1) _exit(3);
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(path.c_str(), &handle, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
      _exit(2);
    }
    sqlite3_busy_timeout(handle, 2000);
    const int wrote = sqlite3_exec(handle, "INSERT INTO t VALUES (2)", nullptr, nullptr, nullptr);
    sqlite3_close_v2(handle);
    _exit(wrote == SQLITE_OK ? 0 : 1);
  }
  close(start[0]);
  auto database = std::make_unique<Database>(path.string());
  database->execute("PRAGMA journal_mode=WAL; CREATE TABLE t(x)");
  {
    Transaction transaction(*database);
    database->execute("INSERT INTO t VALUES (1)");
    transaction.commit();
  }
  database->noteOpened();
  auto left = std::make_unique<Statement>(database->prepare("SELECT x FROM t"));
  database.reset();
  close(start[1]);
  EXPECT_EQ(exitStatus(child, 10), 0);
  left.reset();
  Database reopened(path.string());
  Statement count = reopened.prepare("SELECT count(*) FROM t");
  ASSERT_TRUE(count.step());
  EXPECT_EQ(count.columnInt64(0), 2);
}

}  // namespace
}  // namespace kelvo::data
