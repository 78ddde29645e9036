#include "platform/data/internal/OpenStore.hpp"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/data/StoreError.hpp"
#include "platform/data/internal/Database.hpp"
#include "platform/data/internal/StoreLocks.hpp"
#include "platform/data/internal/StoreOpening.hpp"

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

// The name a path ends in, without building a path: opening compares it with every store the
// process has open.
std::string_view nameOf(std::string_view path) {
  const auto slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Whether two paths name one name in one folder (reached by two mounts of it): SQLite's -wal
// and -shm beside them are then the same files.
bool besideOneAnother(const std::string& one, const std::string& other) {
  if (nameOf(one) != nameOf(other)) return false;
  const auto folder = identityAt(std::filesystem::path(one).parent_path().string());
  return folder && folder == identityAt(std::filesystem::path(other).parent_path().string());
}

struct Open {
  std::uint64_t id;
  Identity identity;
  std::string path;
};

// A descriptor the lock tests keep of a file beside an open store (the store file itself, or a
// -shm beside its name): closing any descriptor of a file drops this process's record locks on
// it, SQLite's among them, so it is closed only once no store of the process lists the store.
struct Kept {
  Identity store;
  Identity file;
  int descriptor;
};

struct List {
  std::mutex mutex;
  std::vector<Open> open;
  std::vector<Kept> kept;
  std::uint64_t lastId = 0;
};

// How many descriptors of files beside one store are kept at most: a -shm that other programs
// remove and make again while an open waits would otherwise take one each time.
constexpr std::size_t keptPerStore = 4;

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

// Opens the file at `path` to keep for lock tests, only where it is the file `expected` (any,
// where none is given): it is first opened as a name alone, whose descriptor holds no locks and
// drops none when closed, and only then for reading, through that name, so that the descriptor
// kept is of the very file looked at. -1 where it cannot be; `opened` tells what was.
int keepOpen(const std::string& path, std::optional<Identity> expected, Identity& opened) {
  struct stat status {};
  // Any file at the path will do (a -shm): kept whatever it is, as any descriptor here is.
  if (!expected) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (descriptor >= 0 && ::fstat(descriptor, &status) == 0) {
      opened = Identity{status.st_dev, status.st_ino};
    }
    return descriptor;
  }
  const int name = ::open(path.c_str(), O_PATH | O_CLOEXEC);
  if (name < 0) return -1;
  int descriptor = -1;
  if (::fstat(name, &status) == 0 && S_ISREG(status.st_mode) &&
      *expected == Identity{status.st_dev, status.st_ino}) {
    opened = Identity{status.st_dev, status.st_ino};
    const std::string self = "/proc/self/fd/" + std::to_string(name);
    descriptor = ::open(self.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    // Without /proc, by the path again: the file there is kept whatever it is, as closing it
    // could drop another store's locks, and is told by what it is.
    if (descriptor < 0 && errno == ENOENT) {
      descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
      if (descriptor >= 0 && ::fstat(descriptor, &status) == 0) {
        opened = Identity{status.st_dev, status.st_ino};
      }
    }
  }
  ::close(name);
  return descriptor;
}

// A descriptor kept of the file at `path`, beside the store `store`: the one kept already, or
// one opened now and kept. -1 where none can be.
int keptDescriptor(const Identity& store, const std::string& path, std::optional<Identity> expected,
                   std::optional<Identity>& identity) {
  identity = expected ? expected : identityAt(path);
  if (!identity) return -1;
  List& stores = list();
  std::lock_guard lock(stores.mutex);
  std::size_t keptHere = 0;
  for (const Kept& kept : stores.kept) {
    if (kept.store != store) continue;
    if (kept.file == *identity) return kept.descriptor;
    ++keptHere;
  }
  if (keptHere >= keptPerStore) return -1;
  Identity opened;
  const int descriptor = keepOpen(path, expected, opened);
  if (descriptor < 0) return -1;
  stores.kept.push_back({store, opened, descriptor});
  // Not the file looked for (the path changed between two opens): kept, and never tested.
  if (expected && opened != *expected) return -1;
  identity = opened;
  return descriptor;
}

std::string otherProgramNamed(pid_t process) {
  return process > 0 ? "another program (process " + std::to_string(process) + ")"
                     : "another program";
}

}  // namespace

StoreLocks::Found OpenStore::look(const Database& connection) const {
  const Identity store{static_cast<dev_t>(device_), static_cast<ino_t>(inode_)};
  std::optional<Identity> fileIdentity = store;
  // SQLite's own descriptor of the file where it has one; a kept one otherwise.
  int file = connection.descriptor(device_, inode_);
  if (file < 0) file = keptDescriptor(store, path_, store, fileIdentity);
  std::optional<Identity> shm;
  const int shmFile = keptDescriptor(store, path_ + "-shm", std::nullopt, shm);
  const StoreLocks::Identity shmSeen =
      shm ? StoreLocks::Identity{shm->device, shm->inode} : StoreLocks::Identity{};
  const StoreLocks::Held onFile = StoreLocks::onStore(file);
  // Others hold the file: the list names each of them, the lock test one.
  std::vector<pid_t> listed;
  if (onFile.lock == StoreLocks::Held::Lock::read) {
    listed = StoreLocks::holders(file, inode_).value_or(std::vector<pid_t>{});
  }
  return StoreLocks::judge(onFile, shmFile < 0 ? StoreLocks::Held{} : StoreLocks::onShm(shmFile),
                           listed, [&](pid_t process) {
                             return StoreLocks::mapped(process, {device_, inode_},
                                                       shm ? std::optional(shmSeen) : std::nullopt);
                           });
}

std::optional<OpenStore::Refusal> OpenStore::otherProgram(const Database& connection) const {
  if (id_ == 0) return std::nullopt;
  using Clock = std::chrono::steady_clock;
  std::optional<Clock::time_point> since;
  for (auto pause = std::chrono::milliseconds(1);;
       pause = std::min(pause * 2, decltype(pause)(50))) {
    const StoreLocks::Found found = look(connection);
    if (found.conflict == StoreLocks::Conflict::none) return std::nullopt;
    // Another process opening or closing the store holds one lock a moment before the other,
    // and one closing it holds the file locked while it writes the log into it.
    const auto now = Clock::now();
    if (!since) since = now;
    const auto until =
        *since + std::chrono::milliseconds(found.conflict == StoreLocks::Conflict::locked
                                               ? Database::busyTimeoutMilliseconds
                                               : 250);
    if (now < until) {
      std::this_thread::sleep_for(std::min<Clock::duration>(pause, until - now));
      continue;
    }
    const std::string other = otherProgramNamed(found.process);
    switch (found.conflict) {
      case StoreLocks::Conflict::fileByAnotherName:
        return Refusal{other +
                           " has this file open by another name, and SQLite keeps a store's -wal "
                           "and -shm beside the name it was opened by; close the store in that "
                           "program, then open it here.",
                       SQLITE_CANTOPEN};
      case StoreLocks::Conflict::shmOfAnotherFile:
        return Refusal{other +
                           " still has open the store that was at this path before it was moved "
                           "or replaced, whose -wal and -shm SQLite would take for this store's; "
                           "close the store in that program, then open it here.",
                       SQLITE_CANTOPEN};
      case StoreLocks::Conflict::unseenHolder:
        return Refusal{other +
                           ", which this program cannot see into (it runs in another container, "
                           "or as another user), has this file open, and nobody holds the -shm "
                           "beside this name, so its saves and this program's could go to two "
                           "logs; close the store in that program, then open it here.",
                       SQLITE_CANTOPEN};
      case StoreLocks::Conflict::locked:
      case StoreLocks::Conflict::none:
        break;
    }
    return Refusal{StoreOpening::keptLocked(other), SQLITE_BUSY};
  }
}

void OpenStore::refuseOtherPrograms(const Database& connection,
                                    const std::filesystem::path& url) const {
  if (const auto refusal = otherProgram(connection)) {
    throw data::StoreError(data::StoreError::Kind::sqlite,
                           "Could not open the store at " + url.string() + ": " + refusal->why,
                           refusal->code);
  }
}

OpenStore::~OpenStore() {
  if (id_ == 0) return;
  List& stores = list();
  std::lock_guard lock(stores.mutex);
  std::erase_if(stores.open, [this](const Open& open) { return open.id == id_; });
  const Identity store{static_cast<dev_t>(device_), static_cast<ino_t>(inode_)};
  // The last store of the process over the file: its connections are closed, and with them
  // every record lock the process held on the file and the -shm.
  if (std::any_of(stores.open.begin(), stores.open.end(),
                  [&](const Open& open) { return open.identity == store; })) {
    return;
  }
  std::erase_if(stores.kept, [&](const Kept& kept) {
    if (kept.store != store) return false;
    ::close(kept.descriptor);
    return true;
  });
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

bool OpenStore::isTheOnlyView(const Database& connection) const {
  if (id_ == 0) return false;
  return look(connection).conflict == StoreLocks::Conflict::none;
}

std::optional<bool> OpenStore::hasMoved() const {
  if (id_ == 0) return std::nullopt;
  struct stat status {};
  return ::stat(path_.c_str(), &status) != 0 || status.st_dev != device_ || status.st_ino != inode_;
}

}  // namespace kelvo::data_internal
