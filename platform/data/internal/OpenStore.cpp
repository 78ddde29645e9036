#include "platform/data/internal/OpenStore.hpp"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/data/StoreError.hpp"
#include "platform/data/internal/StoreLocks.hpp"

namespace kelvo::data_internal {

namespace {

struct Identity {
  dev_t device = 0;
  ino_t inode = 0;
  friend bool operator==(const Identity&, const Identity&) = default;
};

std::optional<Identity> identityAt(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return Identity{status.st_dev, status.st_ino};
}

std::optional<ino_t> inodeAt(const std::string& path) {
  const auto identity = identityAt(path);
  if (!identity) return std::nullopt;
  return identity->inode;
}

// Whether two paths name one name in one folder (reached by two mounts of it): SQLite's -wal
// and -shm beside them are then the same files.
bool besideOneAnother(const std::filesystem::path& one, const std::filesystem::path& other) {
  if (one.filename() != other.filename()) return false;
  const auto folder = identityAt(one.parent_path().string());
  return folder && folder == identityAt(other.parent_path().string());
}

struct Open {
  std::uint64_t id;
  Identity identity;
  std::string path;
};

struct List {
  std::mutex mutex;
  std::vector<Open> open;
  std::uint64_t lastId = 0;
};

// Never destroyed: a store may close while the process exits.
List& list() {
  static List* const stores = new List;
  return *stores;
}

data::StoreError cannotOpen(const std::filesystem::path& url, const std::string& why) {
  return data::StoreError(data::StoreError::Kind::sqlite,
                          "Could not open the store at " + url.string() + ": " + why,
                          SQLITE_CANTOPEN);
}

// Why a store at `path`, the file `identity`, may not open beside `other`; empty when it may.
// The process's connections to the file keep its -shm beside the path of the first of them
// until the last closes, whichever of them found the move.
std::string conflictWith(const Open& other, const std::string& path, const Identity& identity) {
  if (other.identity == identity && other.path != path && !besideOneAnother(other.path, path)) {
    if (identityAt(other.path) == identity) {
      return "another container in this program has this file open as " + other.path +
             ", and SQLite keeps a store's -wal and -shm beside the name it was opened by; open "
             "it as " +
             other.path + ", or close that container first.";
    }
    return "another container in this program opened it at " + other.path +
           ", before it was moved, and SQLite keeps its -wal and -shm there; close that "
           "container, then open the store here.";
  }
  if (other.identity != identity && (other.path == path || besideOneAnother(other.path, path))) {
    return "another container in this program still has open the store that was at this path "
           "before it was moved or replaced, whose -wal and -shm SQLite would take for this "
           "store's; close that container first.";
  }
  return {};
}

}  // namespace

std::optional<std::string> OpenStore::otherProgram(const std::string& fullPath, bool opened) {
  using Clock = std::chrono::steady_clock;
  const std::string shmPath = fullPath + "-shm";
  std::optional<Clock::time_point> until;
  for (auto pause = std::chrono::milliseconds(1);;
       pause = std::min(pause * 2, decltype(pause)(50))) {
    const auto file = inodeAt(fullPath);
    const auto shm = inodeAt(shmPath);
    // A new store beside no -shm: nobody else can have either.
    if (!file && !shm) return std::nullopt;
    const StoreLocks::Found found = StoreLocks::find(
        file, shm, opened ? StoreLocks::Scope::file : StoreLocks::Scope::fileAndShm);
    if (found.conflict == StoreLocks::Conflict::none) return std::nullopt;
    // Another process opening or closing the store holds one lock a moment before the other.
    const auto now = Clock::now();
    if (!until) until = now + std::chrono::milliseconds(250);
    if (now < *until) {
      std::this_thread::sleep_for(std::min<Clock::duration>(pause, *until - now));
      continue;
    }
    const std::string other = "another program (process " + std::to_string(found.process) + ")";
    if (found.conflict == StoreLocks::Conflict::fileByAnotherName) {
      return other +
             " has this file open by another name, and SQLite keeps a store's -wal and -shm "
             "beside the name it was opened by; close the store in that program, then open it "
             "here.";
    }
    return other +
           " still has open the store that was at this path before it was moved or replaced, "
           "whose -wal and -shm SQLite would take for this store's; close the store in that "
           "program, then open it here.";
  }
}

void OpenStore::refuseOtherPrograms(const std::string& fullPath, const std::filesystem::path& url,
                                    bool opened) {
  if (const auto why = otherProgram(fullPath, opened)) throw cannotOpen(url, *why);
}

OpenStore::~OpenStore() {
  if (id_ == 0) return;
  List& stores = list();
  std::lock_guard lock(stores.mutex);
  std::erase_if(stores.open, [this](const Open& open) { return open.id == id_; });
}

std::unique_ptr<OpenStore> OpenStore::enter(const std::string& fullPath,
                                            const std::filesystem::path& url) {
  const auto identity = identityAt(fullPath);
  // Made before the file is listed, so that running out of memory leaves nothing listed.
  std::unique_ptr<OpenStore> entry(
      new OpenStore(0, fullPath, identity ? identity->device : 0, identity ? identity->inode : 0));
  if (!identity) return entry;
  Open listed{0, *identity, fullPath};
  List& stores = list();
  std::lock_guard lock(stores.mutex);
  for (const Open& other : stores.open) {
    if (const std::string why = conflictWith(other, fullPath, *identity); !why.empty()) {
      throw cannotOpen(url, why);
    }
  }
  listed.id = stores.lastId + 1;
  stores.open.push_back(std::move(listed));
  entry->id_ = ++stores.lastId;
  return entry;
}

bool OpenStore::isTheOnlyView() const {
  if (id_ == 0) return false;
  return StoreLocks::find(inode_, inodeAt(path_ + "-shm")).conflict == StoreLocks::Conflict::none;
}

std::optional<bool> OpenStore::hasMoved() const {
  if (id_ == 0) return std::nullopt;
  struct stat status {};
  return ::stat(path_.c_str(), &status) != 0 || status.st_dev != device_ || status.st_ino != inode_;
}

}  // namespace kelvo::data_internal
