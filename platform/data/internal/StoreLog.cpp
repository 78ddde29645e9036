#include "platform/data/internal/StoreLog.hpp"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>

#include "platform/data/internal/KeptFiles.hpp"
#include "platform/data/internal/StoreLocks.hpp"

namespace kelvo::data_internal {

namespace {

// How SQLite's file for this system begins, and the start of the inode record it points at,
// as SQLite 3 lays them out. Read only once the file's VFS is SQLite's own, and trusted only
// once the descriptor's device and inode are the record's.
struct SQLitesFileHead {
  const sqlite3_io_methods* methods;
  sqlite3_vfs* vfs;
  const void* inode;
  int descriptor;
};
struct SQLitesFileId {
  dev_t device;
  std::uint64_t inode;
};

// SQLite's own VFS for this system, looked up once: SQLite keeps it for the life of the process.
const sqlite3_vfs* ownVFS() {
  static const sqlite3_vfs* const own = sqlite3_vfs_find("unix");
  return own;
}

// The descriptor of SQLite's own file `head` and what the system says of it; -1 where the file
// is not SQLite's own, or the descriptor is not of the file SQLite recorded.
int openedFile(const SQLitesFileHead& head, struct stat& status) {
  if (head.vfs != ownVFS() || head.inode == nullptr) return -1;
  SQLitesFileId id{};
  std::memcpy(&id, head.inode, sizeof id);
  if (::fstat(head.descriptor, &status) != 0 || status.st_dev != id.device ||
      status.st_ino != id.inode || !S_ISREG(status.st_mode)) {
    return -1;
  }
  return head.descriptor;
}

SQLitesFileHead headOf(const sqlite3_file* file) {
  SQLitesFileHead head{};
  std::memcpy(&head, file, sizeof head);
  return head;
}

}  // namespace

// A descriptor of its own would not do: closing any descriptor of a file lets go of every lock
// the process holds on it, SQLite's among them. Nor would one found under /proc/self/fd, which
// another thread may close and reuse meanwhile; the connection's own stays open while the
// connection is.
int StoreLog::descriptorOf(sqlite3_file* file) { return descriptorOf(file, nullptr, nullptr); }

int StoreLog::descriptorOf(sqlite3_file* file, std::uint64_t* device, std::uint64_t* inode) {
  struct stat status {};
  const int descriptor = openedFile(headOf(file), status);
  if (descriptor < 0) return -1;
  if (device != nullptr) *device = static_cast<std::uint64_t>(status.st_dev);
  if (inode != nullptr) *inode = static_cast<std::uint64_t>(status.st_ino);
  return descriptor;
}

namespace {

// The wal-index header, two copies of 48 bytes, then the checkpoint's count of frames copied;
// read a word at a time, as SQLite writes it, while others may write it.
constexpr std::uint32_t walIndexVersion = 3007000;

struct LogEnd {
  std::uint64_t fileSize = 0;  // the file's size after the log's last commit; 0 where unread
  std::uint32_t frames = 0;
  std::uint32_t copied = 0;
};

// The file's size after the last commit of the copy at byte `at`; 0 where the copy is not one.
std::uint64_t sizeAfterLastCommit(const volatile unsigned char* header, std::size_t at) {
  const auto* words = reinterpret_cast<const volatile std::uint32_t*>(header + at);
  if (words[0] != walIndexVersion || header[at + 12] != 1) return 0;
  const std::uint16_t pageSize = *reinterpret_cast<const volatile std::uint16_t*>(header + at + 14);
  return std::uint64_t{pageSize == 1 ? 65536u : pageSize} * words[5];
}

// A copy caught between writes is passed over, and the larger size counts.
LogEnd logEnd(const volatile void* region) {
  const auto* header = static_cast<const volatile unsigned char*>(region);
  const auto* words = static_cast<const volatile std::uint32_t*>(region);
  LogEnd end;
  end.fileSize = std::max(sizeAfterLastCommit(header, 0), sizeAfterLastCommit(header, 48));
  end.frames = words[4];
  end.copied = words[24];
  return end;
}

bool isNoRoom(int error) { return error == ENOSPC || error == EDQUOT; }

// Room reserved in a file, and the file as it stood just after. The room holds for as long as
// the file keeps that size and that count of blocks: whatever gives it back lowers the one or the
// other, be it a truncate to a smaller size, one to the size the file has (a checkpoint ends so,
// and some file systems then free what lies past the end), or a hole punched past the end (a
// reservation that failed elsewhere gives back so what it asked for). Kept by each thread, as a
// lock would cost more than the look: a thread that never reserved for the file reserves again.
struct Reserved {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = -1;
  blkcnt_t blocks = -1;
  std::uint64_t upTo = 0;
};
struct ReservedByThread {
  std::array<Reserved, 8> files;
  std::size_t nextReplaced = 0;
};
thread_local ReservedByThread reserved;

Reserved* reservedFor(const struct stat& status) {
  for (Reserved& each : reserved.files) {
    if (each.inode == status.st_ino && each.device == status.st_dev) return &each;
  }
  return nullptr;
}

// Where the room already reserved in the file `status` tells of ends; 0 where none is known to
// hold.
std::uint64_t reservedUpTo(const struct stat& status) {
  const Reserved* known = reservedFor(status);
  return known != nullptr && known->size == status.st_size && known->blocks == status.st_blocks
             ? known->upTo
             : 0;
}

// Remembers room reserved up to `upTo` in the file of `status`, as the file stands now (`now`,
// none where the system did not say). Where its count of blocks does not cover the room, the
// system counts them in a way that tells nothing, and none is remembered.
void remember(const struct stat& status, const struct stat* now, std::uint64_t upTo) {
  Reserved* slot = reservedFor(status);
  if (now == nullptr || now->st_dev != status.st_dev || now->st_ino != status.st_ino ||
      static_cast<std::uint64_t>(now->st_blocks) * 512 < upTo) {
    if (slot != nullptr) *slot = {};
    return;
  }
  if (slot == nullptr) {
    slot = &reserved.files[reserved.nextReplaced];
    reserved.nextReplaced = (reserved.nextReplaced + 1) % reserved.files.size();
  }
  *slot = {status.st_dev, status.st_ino, now->st_size, now->st_blocks, upTo};
}

}  // namespace

StoreLog::Room StoreLog::reserveForLog(sqlite3_file* file) {
  if (file == nullptr || file->pMethods == nullptr || file->pMethods->iVersion < 2) {
    return Room::unknown;
  }
  const SQLitesFileHead head = headOf(file);
  if (head.vfs != ownVFS()) return Room::unknown;
  // The connection's own view (never mapped anew here).
  void volatile* region = nullptr;
  if (file->pMethods->xShmMap(file, 0, 32768, 0, &region) != SQLITE_OK || region == nullptr) {
    return Room::unknown;
  }
  const LogEnd log = logEnd(region);
  if (log.fileSize == 0) return Room::unknown;
  // Every frame already copied: the copy writes nothing into the file.
  if (log.frames == log.copied) return Room::reserved;
  struct stat status {};
  const int descriptor = openedFile(head, status);
  if (descriptor < 0) return Room::unknown;
  const auto size = static_cast<std::uint64_t>(status.st_size);
  if (size >= log.fileSize) return Room::reserved;
  // Past what the file already has room for, only the rest is asked for; the first time, the
  // whole file, holes within it too.
  const std::uint64_t from = reservedUpTo(status);
  if (log.fileSize <= from) return Room::reserved;
  if (::fallocate(descriptor, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(from),
                  static_cast<off_t>(log.fileSize - from)) == 0) {
    struct stat now {};
    remember(status, ::fstat(descriptor, &now) == 0 ? &now : nullptr, log.fileSize);
    return Room::reserved;
  }
  const int error = errno;
  if (!isNoRoom(error)) return Room::unknown;  // not supported here, most often
  // Some file systems keep what they took before they ran out: given back past the end, but for
  // room reserved before.
  const std::uint64_t keep = std::max(size, from);
  ::fallocate(descriptor, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, static_cast<off_t>(keep),
              static_cast<off_t>(log.fileSize - keep));
  return Room::none;
}

int StoreLog::logDescriptorOf(sqlite3_file* log) {
  if (log == nullptr || log->pMethods == nullptr) return -1;
  SQLitesFileHead head{};
  std::memcpy(&head, log, sizeof head);
  struct stat status {};
  // A log is opened without a record of its inode; a descriptor of a regular file will do.
  if (head.vfs != sqlite3_vfs_find("unix") || ::fstat(head.descriptor, &status) != 0 ||
      !S_ISREG(status.st_mode)) {
    return -1;
  }
  return head.descriptor;
}

std::optional<StoreLog::LogState> StoreLog::logState(sqlite3_file* file) {
  if (file == nullptr || file->pMethods == nullptr || file->pMethods->iVersion < 2) {
    return std::nullopt;
  }
  void volatile* region = nullptr;
  if (file->pMethods->xShmMap(file, 0, 32768, 0, &region) != SQLITE_OK || region == nullptr) {
    return std::nullopt;
  }
  // The two copies of the header agree but while a writer changes them.
  std::array<std::uint32_t, 25> words{};
  const auto* shared = static_cast<const volatile std::uint32_t*>(region);
  for (std::size_t i = 0; i < words.size(); ++i) words[i] = shared[i];
  if (words[0] != walIndexVersion ||
      !std::equal(words.begin(), words.begin() + 12, words.begin() + 12)) {
    return std::nullopt;
  }
  LogState state;
  state.copied = words[4] == words[24];
  std::memcpy(state.salts.data(), words.data() + 8, state.salts.size());
  return state;
}

std::string StoreLog::pathNow(sqlite3_file* file) {
  const int descriptor = file != nullptr ? descriptorOf(file) : -1;
  if (descriptor < 0) return {};
  char link[32];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", descriptor);
  char path[4096];
  const ssize_t length = ::readlink(link, path, sizeof path);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path) return {};
  return std::string(path, static_cast<std::size_t>(length));
}

namespace {

// Whether a program may have the -shm beside the store at `path` open: each of its connections
// holds a read lock on byte 128. This process's own are not seen: no container of it has another
// file open at the path (opening refused that), and one with this file would have found it no
// longer empty.
bool isHeld(const std::string& path, const struct stat& store) {
  const KeptFiles::Identity identity{store.st_dev, store.st_ino};
  std::optional<KeptFiles::Identity> shm;
  const int descriptor = KeptFiles::descriptor(identity, path + "-shm", std::nullopt, shm);
  // There, and not to be looked at: taken for held.
  if (descriptor < 0) return shm.has_value();
  return StoreLocks::onShm(descriptor).lock != StoreLocks::Held::Lock::none;
}

// A name nothing has yet: never over another log set aside before.
bool renameToFree(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system that cannot rename so: a link fails where the name is taken.
  return ::link(from.c_str(), to.c_str()) == 0 && ::unlink(from.c_str()) == 0;
}

}  // namespace

std::optional<std::string> StoreLog::setAsideStray(const std::string& path) {
  // A log's header alone is 32 bytes; SQLite deletes a log beside a file of no pages.
  constexpr off_t logHeaderBytes = 32;
  struct stat store {};
  struct stat log {};
  const std::string logPath = path + "-wal";
  if (::stat(path.c_str(), &store) != 0 || !S_ISREG(store.st_mode) || store.st_size != 0 ||
      ::lstat(logPath.c_str(), &log) != 0 || !S_ISREG(log.st_mode) ||
      log.st_size <= logHeaderBytes || isHeld(path, store)) {
    return std::nullopt;
  }
  for (int n = 1; n <= 1000; ++n) {
    std::string kept = logPath + "-kept-" + std::to_string(n);
    if (renameToFree(logPath, kept)) return kept;
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

bool StoreLog::isFull(int resultCode, int systemError) {
  return (resultCode & 0xFF) == SQLITE_FULL ||
         ((resultCode & 0xFF) == SQLITE_IOERR && isNoRoom(systemError));
}

std::string StoreLog::diskIsFull(const std::string& store, const std::string& file) {
  return "the disk holding " + store + " is full (" + file + " could not grow)";
}

std::string StoreLog::atSave(const std::string& store, const std::string& file) {
  return "Could not save: " + diskIsFull(store, file) +
         "; the store is as it was before this save, and the changes are still pending; make "
         "room, then save again.";
}

std::string StoreLog::atOpen(const std::string& store, const std::string& file) {
  return "Could not open the store at " + store + ": the disk holding it is full (" + file +
         " could not grow); make room, then open it again.";
}

}  // namespace kelvo::data_internal
