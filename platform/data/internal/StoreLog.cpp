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

}  // namespace

// A descriptor of its own would not do: closing any descriptor of a file lets go of every lock
// the process holds on it, SQLite's among them. Nor would one found under /proc/self/fd, which
// another thread may close and reuse meanwhile; the connection's own stays open while the
// connection is.
int StoreLog::descriptorOf(sqlite3_file* file) { return descriptorOf(file, nullptr, nullptr); }

int StoreLog::descriptorOf(sqlite3_file* file, std::uint64_t* device, std::uint64_t* inode) {
  SQLitesFileHead head{};
  std::memcpy(&head, file, sizeof head);
  const sqlite3_vfs* own = sqlite3_vfs_find("unix");
  if (own == nullptr || head.vfs != own || head.inode == nullptr) return -1;
  SQLitesFileId id{};
  std::memcpy(&id, head.inode, sizeof id);
  struct stat status {};
  if (::fstat(head.descriptor, &status) != 0 || status.st_dev != id.device ||
      status.st_ino != id.inode || !S_ISREG(status.st_mode)) {
    return -1;
  }
  if (device != nullptr) *device = static_cast<std::uint64_t>(status.st_dev);
  if (inode != nullptr) *inode = static_cast<std::uint64_t>(status.st_ino);
  return head.descriptor;
}

namespace {

// The wal-index header, two copies of 48 bytes, then the checkpoint's count of frames copied.
constexpr std::size_t headerBytes = 100;
constexpr std::uint32_t walIndexVersion = 3007000;

template <class T>
T field(const std::array<unsigned char, headerBytes>& header, std::size_t at) {
  T value;
  std::memcpy(&value, header.data() + at, sizeof value);
  return value;
}

// The file's size after the last commit of the copy at `at`; none where the copy is not one.
std::optional<std::uint64_t> sizeAfterLastCommit(
    const std::array<unsigned char, headerBytes>& header, std::size_t at) {
  if (field<std::uint32_t>(header, at) != walIndexVersion || header[at + 12] != 1) {
    return std::nullopt;
  }
  const auto pageSize = field<std::uint16_t>(header, at + 14);
  return std::uint64_t{pageSize == 1 ? 65536u : pageSize} * field<std::uint32_t>(header, at + 20);
}

bool isNoRoom(int error) { return error == ENOSPC || error == EDQUOT; }

}  // namespace

StoreLog::Room StoreLog::reserveForLog(sqlite3_file* file) {
  if (file == nullptr || file->pMethods == nullptr || file->pMethods->iVersion < 2) {
    return Room::unknown;
  }
  // The connection's own view (never mapped anew here), read while others may write it: a
  // copy caught between writes is passed over, and the larger size counts.
  void volatile* region = nullptr;
  if (file->pMethods->xShmMap(file, 0, 32768, 0, &region) != SQLITE_OK || region == nullptr) {
    return Room::unknown;
  }
  std::array<unsigned char, headerBytes> header{};
  const auto* bytes = static_cast<const volatile unsigned char*>(region);
  for (std::size_t i = 0; i < headerBytes; ++i) header[i] = bytes[i];
  const auto first = sizeAfterLastCommit(header, 0);
  const auto second = sizeAfterLastCommit(header, 48);
  if (!first && !second) return Room::unknown;
  const std::uint64_t needed = std::max(first.value_or(0), second.value_or(0));
  // Every frame already copied: the copy writes nothing into the file.
  if (field<std::uint32_t>(header, 16) == field<std::uint32_t>(header, 96)) return Room::reserved;
  const int descriptor = descriptorOf(file);
  struct stat status {};
  if (descriptor < 0 || ::fstat(descriptor, &status) != 0) return Room::unknown;
  const auto size = static_cast<std::uint64_t>(status.st_size);
  if (size >= needed) return Room::reserved;
  if (::fallocate(descriptor, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(needed)) == 0) {
    return Room::reserved;
  }
  const int error = errno;
  if (!isNoRoom(error)) return Room::unknown;  // not supported here, most often
  // Some file systems keep what they took before they ran out: given back past the end.
  ::fallocate(descriptor, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, status.st_size,
              static_cast<off_t>(needed - size));
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
  std::array<unsigned char, headerBytes> header{};
  const auto* bytes = static_cast<const volatile unsigned char*>(region);
  for (std::size_t i = 0; i < headerBytes; ++i) header[i] = bytes[i];
  // The two copies agree but while a writer changes them.
  if (!sizeAfterLastCommit(header, 0) || std::memcmp(header.data(), header.data() + 48, 48) != 0) {
    return std::nullopt;
  }
  LogState state;
  state.copied = field<std::uint32_t>(header, 16) == field<std::uint32_t>(header, 96);
  std::memcpy(state.salts.data(), header.data() + 32, state.salts.size());
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
