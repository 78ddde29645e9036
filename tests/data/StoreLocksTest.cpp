// Who holds a store and the -shm beside a name, as the system's list of locks tells: a process
// that holds one of the two without the other opened the store by another name, or holds the
// -shm for another file; every other line of the list tells nothing.
#include "platform/data/internal/StoreLocks.hpp"

#include <gtest/gtest.h>

#include <string>

namespace kelvo::data_internal {
namespace {

using Conflict = StoreLocks::Conflict;

constexpr ino_t store = 1001;
constexpr ino_t shm = 1002;
constexpr ino_t otherShm = 2002;
constexpr pid_t self = 10;

// SQLite's read lock on a store's shared range, and on byte 128 of a -shm.
std::string onStore(pid_t process, ino_t inode = store) {
  return "1: POSIX  ADVISORY  READ " + std::to_string(process) + " fe:00:" + std::to_string(inode) +
         " 1073741826 1073742335\n";
}
std::string onShm(pid_t process, ino_t inode) {
  return "2: POSIX  ADVISORY  READ " + std::to_string(process) + " fe:00:" + std::to_string(inode) +
         " 128 128\n";
}

// What another process's -shm lies beside, as its memory map would tell: -shm 2002 beside a
// name of the store itself, 4002 beside store 4001, 6002 beside 6001; 5002 is no -shm.
StoreLocks::ShmBeside beside(pid_t, std::uint64_t mapped) {
  using Seen = StoreLocks::ShmBeside::Seen;
  switch (mapped) {
    case otherShm:
      return {Seen::file, store};
    case 4002:
      return {Seen::file, 4001};
    case 5002:
      return {Seen::notAShm};
    case 6002:
      return {Seen::file, 6001};
    default:
      return {};
  }
}

TEST(StoreLocksTest, AProcessHoldingTheStoreByAnotherNameOrTheShmForAnotherFileIsFound) {
  const auto found = [](const std::string& list, std::optional<ino_t> file = store,
                        std::optional<ino_t> besides = shm,
                        StoreLocks::Scope scope = StoreLocks::Scope::fileAndShm) {
    const auto result = StoreLocks::find(list, file, besides, self, scope, beside);
    return std::pair{result.conflict, result.process};
  };
  // One name: the store and the -shm beside it, by one process or several.
  EXPECT_EQ(found(onStore(20) + onShm(20, shm) + onStore(21) + onShm(21, shm)).first,
            Conflict::none);
  // By another name, whatever this process holds.
  EXPECT_EQ(found(onStore(20) + onShm(20, shm) + onStore(30) + onShm(30, otherShm)),
            std::pair(Conflict::fileByAnotherName, 30));
  EXPECT_EQ(found(onStore(self) + onShm(self, shm) + onStore(30) + onShm(30, otherShm), store, shm,
                  StoreLocks::Scope::file),
            std::pair(Conflict::fileByAnotherName, 30));
  // The -shm beside this name, for a file the path no longer names, or for none.
  EXPECT_EQ(found(onStore(30, 3003) + onShm(30, shm)), std::pair(Conflict::shmOfAnotherFile, 30));
  EXPECT_EQ(found(onShm(30, shm), std::nullopt), std::pair(Conflict::shmOfAnotherFile, 30));
  // SQLite's exclusive lock, and a -shm byte listed with the read locks before it, count.
  EXPECT_EQ(
      found("3: POSIX  ADVISORY  WRITE 30 fe:00:1001 1073741824 1073742335\n" + onShm(30, otherShm))
          .first,
      Conflict::fileByAnotherName);
  EXPECT_EQ(found(onStore(30) + "3: POSIX  ADVISORY  READ 30 fe:00:2002 123 128\n").first,
            Conflict::fileByAnotherName);

  // The store without a -shm of its own: between its two locks, or reading a -shm it may not
  // write, which SQLite then holds no lock on; the -shm it holds is another store's it has open.
  EXPECT_EQ(found(onStore(30)).first, Conflict::none);
  EXPECT_EQ(found(onStore(30) + onStore(30, 4001) + onShm(30, 4002)).first, Conflict::none);
  EXPECT_EQ(found(onStore(30) + onShm(30, 5002)).first, Conflict::none);
  // A -shm beside a store the process does not hold, or one the system does not tell of.
  EXPECT_EQ(found(onStore(30) + onShm(30, 6002)).first, Conflict::fileByAnotherName);
  EXPECT_EQ(found(onStore(30) + onShm(30, 7002)).first, Conflict::fileByAnotherName);
  // Locks of another shape are not SQLite's: a whole file locked, or a byte past the -shm's.
  EXPECT_EQ(found("3: POSIX  ADVISORY  WRITE 30 fe:00:1001 0 EOF\n" + onShm(30, otherShm)).first,
            Conflict::none);
  EXPECT_EQ(found(onStore(30, 3003) + "3: POSIX  ADVISORY  WRITE 30 fe:00:1002 0 EOF\n").first,
            Conflict::none);

  // This process, a lock only waited for, locks of other kinds, and a process the list cannot
  // name tell nothing; nor does a line cut short or a list that is not one.
  const std::string mute = onStore(self) + onShm(self, otherShm) +
                           "4: -> POSIX  ADVISORY  READ 40 fe:00:1001 1073741826 1073742335\n" +
                           "5: FLOCK  ADVISORY  WRITE 50 fe:00:1002 0 EOF\n" +
                           "6: OFDLCK ADVISORY  READ -1 fe:00:1002 128 128\n" + onShm(0, shm) +
                           "7: POSIX  ADVISORY  READ 70 fe:00:1002 128\n" +
                           "8: POSIX  ADVISORY  READ 80 fe:00:x 128 128\nnot a lock\n\n";
  EXPECT_EQ(found(mute).first, Conflict::none);
  EXPECT_EQ(found(mute + onStore(30) + onShm(30, otherShm)).second, 30);
  EXPECT_EQ(found("").first, Conflict::none);
}

}  // namespace
}  // namespace kelvo::data_internal
