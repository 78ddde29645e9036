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
  return "1: POSIX  ADVISORY  READ " + std::to_string(process) + " fe:00:" +
         std::to_string(inode) + " 1073741826 1073742335\n";
}
std::string onShm(pid_t process, ino_t inode) {
  return "2: POSIX  ADVISORY  READ " + std::to_string(process) + " fe:00:" +
         std::to_string(inode) + " 128 128\n";
}

TEST(StoreLocksTest, AProcessHoldingTheStoreAndAnotherShmOrTheShmAloneIsFound) {
  const auto found = [](const std::string& list, std::optional<ino_t> file = store,
                        std::optional<ino_t> beside = shm) {
    const auto result = StoreLocks::find(list, file, beside, self);
    return std::pair{result.conflict, result.process};
  };
  // One name: the store and the -shm beside it, by one process or several.
  EXPECT_EQ(found(onStore(20) + onShm(20, shm) + onStore(21) + onShm(21, shm)).first,
            Conflict::none);
  // By another name.
  EXPECT_EQ(found(onStore(20) + onShm(20, shm) + onStore(30) + onShm(30, otherShm)),
            std::pair(Conflict::fileByAnotherName, 30));
  // The -shm beside this name, for a file the path no longer names, or for none.
  EXPECT_EQ(found(onStore(30, 3003) + onShm(30, shm)), std::pair(Conflict::shmOfAnotherFile, 30));
  EXPECT_EQ(found(onShm(30, shm), std::nullopt), std::pair(Conflict::shmOfAnotherFile, 30));
  // The store without any -shm: between its two locks, opening or closing, or reading without.
  EXPECT_EQ(found(onStore(30)).first, Conflict::none);
  // An exclusive lock on the store is held all the same; a lock over the whole file counts.
  EXPECT_EQ(found("3: POSIX  ADVISORY  WRITE 30 fe:00:1001 1073741824 1073742335\n" +
                  onShm(30, otherShm))
                .first,
            Conflict::fileByAnotherName);
  EXPECT_EQ(found("3: POSIX  ADVISORY  WRITE 30 fe:00:1001 0 EOF\n" + onShm(30, otherShm)).first,
            Conflict::fileByAnotherName);

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
