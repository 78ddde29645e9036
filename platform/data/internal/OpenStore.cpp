#include "platform/data/internal/OpenStore.hpp"

#include <sqlite3.h>
#include <sys/stat.h>

#include <mutex>
#include <optional>
#include <vector>

#include "platform/data/StoreError.hpp"

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

struct Open {
  std::uint64_t id;
  Identity identity;
  std::string path;
  // Where the view of the -shm this connection shares lies: beside the path of the first of the
  // process's connections to the file, which made it.
  std::string viewPath;
  bool settled = false;
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

// Why a store at `path`, the file `identity`, may not open beside `other`; empty when it may.
std::string conflictWith(const Open& other, const std::string& path, const Identity& identity) {
  if (other.identity == identity && other.path != path) {
    if (identityAt(other.path) == identity) {
      return "another container in this program has this file open as " + other.path +
             ", and SQLite keeps a store's -wal and -shm beside the name it was opened by; open "
             "it as " +
             other.path + ".";
    }
    if (other.settled) return {};
    return "another container in this program opened it at " + other.path +
           ", before it was moved, and SQLite keeps its -wal and -shm there; close that "
           "container, then open the store here.";
  }
  if (other.identity != identity && (other.path == path || other.viewPath == path)) {
    return "another container in this program still has open the store that was at this path "
           "before it was moved or replaced, whose -wal and -shm SQLite would take for this "
           "store's; close that container first.";
  }
  return {};
}

}  // namespace

OpenStore::~OpenStore() {
  if (id_ == 0) return;
  List& stores = list();
  std::lock_guard lock(stores.mutex);
  std::erase_if(stores.open, [this](const Open& open) { return open.id == id_; });
}

void OpenStore::setSettled(bool settled) {
  if (id_ == 0) return;
  List& stores = list();
  std::lock_guard lock(stores.mutex);
  for (Open& open : stores.open) {
    if (open.id == id_) open.settled = settled;
  }
}

std::unique_ptr<OpenStore> OpenStore::enter(const std::string& fullPath,
                                            const std::filesystem::path& url) {
  const auto identity = identityAt(fullPath);
  if (!identity) return std::unique_ptr<OpenStore>(new OpenStore(0, fullPath, 0, 0));
  List& stores = list();
  std::lock_guard lock(stores.mutex);
  for (const Open& other : stores.open) {
    if (const std::string why = conflictWith(other, fullPath, *identity); !why.empty()) {
      throw data::StoreError(data::StoreError::Kind::sqlite,
                             "Could not open the store at " + url.string() + ": " + why,
                             SQLITE_CANTOPEN);
    }
  }
  std::string viewPath = fullPath;
  for (const Open& other : stores.open) {
    if (other.identity == *identity) viewPath = other.viewPath;
  }
  stores.open.push_back(Open{++stores.lastId, *identity, fullPath, std::move(viewPath)});
  return std::unique_ptr<OpenStore>(
      new OpenStore(stores.lastId, fullPath, identity->device, identity->inode));
}

std::optional<bool> OpenStore::hasMoved() const {
  if (id_ == 0) return std::nullopt;
  struct stat status {};
  return ::stat(path_.c_str(), &status) != 0 || status.st_dev != device_ || status.st_ino != inode_;
}

}  // namespace kelvo::data_internal
