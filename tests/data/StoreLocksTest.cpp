// Who holds a store and the -shm beside a name, as lock tests on the files tell: a process that
// holds the file while nobody holds this -shm opened the store by another name where its memory
// map says so, one that holds this -shm without the file holds it for another file, and one
// that holds the file locked for writing is closing it.
#include "platform/data/internal/StoreLocks.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/TestSupport.hpp"

namespace kelvo::data_internal {
namespace {

using Conflict = StoreLocks::Conflict;
using Held = StoreLocks::Held;
using Lock = StoreLocks::Held::Lock;
using Mapped = StoreLocks::Mapped;

TEST(StoreLocksTest, AProcessHoldingTheStoreByAnotherNameOrTheShmForAnotherFileIsFound) {
  // What each process's memory map says: 30 maps a -shm beside another name of the store, 20
  // this name's, 40 none beside the store (between its locks, or holding it without SQLite), 50's
  // map cannot be read, and 60 has exited since it was named.
  const std::map<pid_t, Mapped> maps = {{20, Mapped::thisName},
                                        {30, Mapped::anotherName},
                                        {40, Mapped::noneOfTheFile},
                                        {50, Mapped::unknown},
                                        {60, Mapped::gone}};
  int asked = 0;
  const auto lookup = [&](pid_t process) {
    ++asked;
    return maps.at(process);
  };
  const Held ofd{Lock::read, 0, true};
  const struct {
    Held file;
    Held shm;
    StoreLocks::Marks marks;
    Conflict conflict;
    pid_t process;
  } cases[] = {
      // Nobody, or one name by one program or several.
      {{}, {}, {}, Conflict::none, 0},
      {{Lock::read, 20}, {Lock::read, 20}, {}, Conflict::none, 0},
      {{Lock::read, 0}, {Lock::read, 0}, {{Lock::read, 0}, {}}, Conflict::none, 0},
      // Unseen, and holding this name's -shm, marking no name: which name it holds the file by
      // cannot be told, as a reader here would hide a holder by another name.
      {{Lock::read, 0}, {Lock::read, 0}, {}, Conflict::unseenHolder, 0},
      {{Lock::read, 60}, {}, {}, Conflict::none, 0},
      // By another name, whoever else holds this name's -shm.
      {{Lock::read, 30}, {}, {}, Conflict::fileByAnotherName, 30},
      {{Lock::read, 30}, {Lock::read, 20}, {}, Conflict::fileByAnotherName, 30},
      // A program of this library marking another name, seen or not, holding the file or not
      // yet; and one marking this name, unseen, beside an unseen holder.
      {{Lock::read, 20}, {Lock::read, 20}, {{}, {Lock::read, 0}}, Conflict::fileByAnotherName, 0},
      {{}, {}, {{}, {Lock::read, 70}}, Conflict::fileByAnotherName, 70},
      {{Lock::read, 0}, {}, {{Lock::read, 0}, {}}, Conflict::none, 0},
      // A whole-file lock over the marks tells nothing of them.
      {{Lock::read, 20}, {Lock::read, 20}, {{}, {Lock::unknown}}, Conflict::none, 0},
      // The file held without a -shm of it: between its locks, or no SQLite program.
      {{Lock::read, 40}, {}, {}, Conflict::withoutShm, 40},
      {{Lock::read, 40}, {Lock::read, 20}, {}, Conflict::withoutShm, 40},
      {{Lock::read, 40}, {Lock::unknown}, {}, Conflict::withoutShm, 40},
      // A holder that cannot be seen: another pid namespace (beside a reader at this name too),
      // or another user's map. An open file description's lock is no SQLite connection's.
      {{Lock::read, 0}, {}, {}, Conflict::unseenHolder, 0},
      {{Lock::read, 0}, {Lock::read, 20}, {}, Conflict::unseenHolder, 0},
      {{Lock::read, 50}, {}, {}, Conflict::unreadableHolder, 50},
      {ofd, {}, {}, Conflict::none, 0},
      // The -shm beside this name, for a file the path no longer names.
      {{}, {Lock::read, 30}, {}, Conflict::shmOfAnotherFile, 30},
      {{}, {Lock::read, 0}, {}, Conflict::shmOfAnotherFile, 0},
      // Locked for writing: closing, whatever the -shm.
      {{Lock::write, 30}, {}, {}, Conflict::locked, 30},
      {{Lock::write, 0}, {Lock::read, 20}, {}, Conflict::locked, 0},
      // A file system without record locks tells nothing.
      {{Lock::unknown}, {}, {}, Conflict::none, 0},
      {{Lock::unknown}, {Lock::read, 30}, {}, Conflict::none, 0},
  };
  for (const auto& each : cases) {
    asked = 0;
    const auto found = StoreLocks::judge({each.file, each.shm, each.marks}, std::nullopt, lookup);
    EXPECT_EQ(found.conflict, each.conflict) << "file held by " << each.file.process;
    EXPECT_EQ(found.process, each.process) << "file held by " << each.file.process;
    // The memory map is read only of a visible holder of the file that is not the -shm's.
    EXPECT_LE(asked, each.file.lock == Lock::read && each.file.process > 0 &&
                         each.file.process != each.shm.process);
  }
}

TEST(StoreLocksTest, AMemoryMapTellsAShmBesideAnotherNameOfTheStoreByDeviceAndInode) {
  const StoreLocks::Identity store{42, 257};
  const StoreLocks::Identity shm{42, 258};
  // What each path names now: the store by two names, and a store of the same inode on
  // another device (another file system, a snapshot).
  const std::map<std::string, StoreLocks::Identity> files = {
      {"/a/cards.store", store},         {"/a/cards.store-shm", shm},
      {"/b/link.store", store},          {"/b/link.store-shm", {42, 9}},
      {"/m/cards.store-shm", shm},       {"/s/cards.store", {43, 257}},
      {"/s/cards.store-shm", {43, 258}}, {"/o/other.store", {42, 5}},
      {"/o/other.store-shm", {42, 6}},   {"/gone/cards.store-shm", {42, 11}},
      {"/p/cards.store-shm", {42, 13}},  {"/p/cards.store", {42, 12}},
  };
  const auto identify = [&](const char* path) -> std::optional<StoreLocks::Identity> {
    const auto found = files.find(path);
    if (found == files.end()) return std::nullopt;
    return found->second;
  };
  // Each line carries the inode of the file mapped, as the path named it then.
  const auto line = [&](const std::string& path) {
    const auto named = files.find(path);
    const std::string inode = std::to_string(named == files.end() ? 99 : named->second.inode);
    return "7f00-7f08 rw-s 00000000 00:2a " + inode + "                        " + path + "\n";
  };
  // The process has open the store, the other store, and the snapshot's copy.
  const auto hasOpen = [&](StoreLocks::Identity file) {
    return file == store || file == files.at("/o/other.store") ||
           file == files.at("/s/cards.store");
  };
  const std::string mute =
      "55d0-55d8 r-xp 00000000 fe:00 10  /usr/bin/x\n"
      "7f10-7f18 rw-p 00000000 00:00 0 \n[garbage\n\n"
      "7f20-7f28 rw-s 00000000 00:2a 99  /gone/x.store-shm (deleted)\n" +
      line("relative.store-shm") + line("/o/other.store-shm") + line("/nowhere/x.store-shm") +
      line("/s/cards.store-shm") +
      // This name's path, naming another -shm now than the one mapped.
      "7f30-7f38 rw-s 00000000 00:2a 77 /a/cards.store-shm\n";
  const struct {
    std::string maps;
    std::optional<StoreLocks::Identity> shm;
    Mapped mapped;
  } cases[] = {
      {"", shm, Mapped::noneOfTheFile},
      // Beside a name that leads nowhere now, or to a file the process does not have open.
      {line("/gone/cards.store-shm"), shm, Mapped::anotherName},
      {line("/p/cards.store-shm"), shm, Mapped::anotherName},
      {mute, shm, Mapped::noneOfTheFile},
      {mute + line("/b/link.store-shm"), shm, Mapped::anotherName},
      {line("/b/link.store-shm"), std::nullopt, Mapped::anotherName},
      // This name's -shm, through another mount of its folder, with the other name besides.
      {line("/b/link.store-shm") + line("/m/cards.store-shm"), shm, Mapped::thisName},
      {line("/a/cards.store-shm"), shm, Mapped::thisName},
  };
  for (const auto& each : cases) {
    EXPECT_EQ(StoreLocks::mapped(each.maps, store, each.shm, identify, hasOpen), each.mapped)
        << each.maps;
  }
}

// The system's list of locks names every holder of the store file's shared range, on its own
// file system, the name each marks and whether it holds this name's -shm: one line per lock, a
// process told once.
TEST(StoreLocksTest, TheListOfLocksNamesEveryHolderOfTheStoreOnItsOwnFileSystem) {
  using Listed = StoreLocks::Listed;
  const off_t own = StoreLocks::markOf({42, 7}, "cards.store");
  const off_t other = StoreLocks::markOf({42, 7}, "link.store");
  ASSERT_NE(own, other);
  const std::string ownMark = std::to_string(own) + " " + std::to_string(own);
  const std::string list =
      "1: POSIX  ADVISORY  READ 20 fe:01:257 1073741826 1073742335\n"
      "2: POSIX  ADVISORY  READ 20 fe:01:258 128 128\n"
      "3: POSIX  ADVISORY  WRITE 30 fe:01:257 1073741824 1073742335\n"
      "4: POSIX  ADVISORY  READ 31 fe:01:257 1073741826 1073742335\n"
      "4: POSIX  ADVISORY  READ 31 fe:01:257 1073741826 1073742335\n"
      "5: POSIX  ADVISORY  READ 40 00:2a:257 1073741826 1073742335\n"
      "6: -> POSIX  ADVISORY  READ 50 fe:01:257 1073741826 1073742335\n"
      "7: POSIX  ADVISORY  WRITE 60 fe:01:257 0 EOF\n"
      "8: FLOCK  ADVISORY  WRITE 70 fe:01:257 0 EOF\n"
      "9: OFDLCK ADVISORY  READ -1 fe:01:257 1073741826 1073742335\n"
      "10: POSIX  ADVISORY  READ 10 fe:01:257 1073741826 1073742335\n"
      "11: POSIX  ADVISORY  READ 80 fe:01:257 1073741826\nnot a lock\n\n"
      "12: POSIX  ADVISORY  READ 31 fe:01:257 " +
      ownMark +
      "\n"
      "13: POSIX  ADVISORY  READ 90 fe:01:257 " +
      std::to_string(other) + " " + std::to_string(other) +
      "\n"
      "14: POSIX  ADVISORY  READ 90 fe:01:258 120 128\n";
  const StoreLocks::ListedFile file{"fe:01", 257};
  const StoreLocks::ListedFile shm{"fe:01", 258};
  const auto found = StoreLocks::holders(list, file, shm, own, 10);
  const auto summary = [](const std::vector<Listed>& listed) {
    std::string text;
    for (const Listed& each : listed) {
      text += std::to_string(each.process) + (each.holdsFile ? " file" : "") +
              (each.mark == Listed::Mark::thisName      ? " this"
               : each.mark == Listed::Mark::anotherName ? " other"
                                                        : "") +
              (each.holdsShm ? " shm" : "") + ";";
    }
    return text;
  };
  EXPECT_EQ(summary(found), "20 file shm;30 file;31 file this;90 other shm;");
  EXPECT_EQ(summary(StoreLocks::holders(list, {"00:2a", 257}, std::nullopt, own, 10)), "40 file;");
  EXPECT_EQ(summary(StoreLocks::holders(list, {"fe:01", 258}, std::nullopt, own, 10)), "");
  EXPECT_EQ(summary(StoreLocks::holders("", file, shm, own, 10)), "");

  // A holder the lock test did not name is judged too: one that maps another name conflicts
  // whoever holds this name's -shm, as does one the list says marks another name; one that marks
  // this name, or holds this name's -shm, is not asked.
  int asked = 0;
  const auto lookup = [&](pid_t process) {
    ++asked;
    return process == 30 ? Mapped::anotherName : Mapped::thisName;
  };
  const StoreLocks::Tests tests{{Lock::read, 20}, {Lock::read, 20}, {}};
  const std::vector<Listed> byAnotherName{
      {20, true}, {31, true, Listed::Mark::thisName}, {30, true}};
  const auto conflict = StoreLocks::judge(tests, byAnotherName, lookup);
  EXPECT_EQ(conflict.conflict, Conflict::fileByAnotherName);
  EXPECT_EQ(conflict.process, 30);
  EXPECT_EQ(asked, 1);
  asked = 0;
  const std::vector<Listed> marked{{20, true}, {90, false, Listed::Mark::anotherName}};
  EXPECT_EQ(StoreLocks::judge(tests, marked, lookup).process, 90);
  const std::vector<Listed> shared{
      {20, true}, {31, true, Listed::Mark::thisName}, {32, true, Listed::Mark::none, true}};
  EXPECT_EQ(StoreLocks::judge(tests, shared, lookup).conflict, Conflict::none);
  EXPECT_EQ(asked, 0);
  // The lock test names no process (another pid namespace's), and the list names one that maps
  // another name: that one is named.
  const StoreLocks::Tests unnamed{{Lock::read, 0}, {}, {}};
  const auto named = StoreLocks::judge(unnamed, std::vector<Listed>{{30, true}}, lookup);
  EXPECT_EQ(named.conflict, Conflict::fileByAnotherName);
  EXPECT_EQ(named.process, 30);
}

// Another process's locks, as SQLite takes them, are seen through a descriptor of this
// process's own; this process's own are not.
TEST(StoreLocksTest, ALockTestSeesAnotherProcesssLocksOfSQLitesShapeAndNotItsOwn) {
  const kelvo::testing::TemporaryDirectory folder;
  const std::string path = (folder.path() / "locked").string();
  const int file = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  ASSERT_GE(file, 0);
  const auto lockRange = [&](int descriptor, short type, off_t start, off_t length) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = start;
    lock.l_len = length;
    return ::fcntl(descriptor, F_SETLK, &lock) == 0;
  };
  const struct {
    short type;
    off_t start;
    off_t length;
    Lock onStore;
    Lock onShm;
  } cases[] = {
      {F_RDLCK, 0x40000002, 510, Lock::read, Lock::none},
      {F_WRLCK, 0x40000000, 512, Lock::write, Lock::none},
      {F_RDLCK, 120, 9, Lock::none, Lock::read},
      {F_WRLCK, 0, 100, Lock::none, Lock::none},
  };
  for (const auto& each : cases) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      const int own = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
      const char byte = lockRange(own, each.type, each.start, each.length) ? 'y' : 'n';
      (void)!::write(ready[1], &byte, 1);
      ::pause();  // until the parent kills it
      std::_Exit(0);
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, 'y');
    const Held store = StoreLocks::onStore(file);
    const Held shm = StoreLocks::onShm(file);
    EXPECT_EQ(store.lock, each.onStore) << each.start;
    EXPECT_EQ(shm.lock, each.onShm) << each.start;
    if (store.held()) {
      EXPECT_EQ(store.process, child);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
  }
  // This process's own locks, and a descriptor that is none.
  ASSERT_TRUE(lockRange(file, F_WRLCK, 0, 0));
  EXPECT_EQ(StoreLocks::onStore(file).lock, Lock::none);
  EXPECT_EQ(StoreLocks::onShm(-1).lock, Lock::unknown);
  ::close(file);
}

}  // namespace
}  // namespace kelvo::data_internal
