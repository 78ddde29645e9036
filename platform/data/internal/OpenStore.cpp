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
#include "platform/data/internal/KeptFiles.hpp"
#include "platform/data/internal/KeptLog.hpp"
#include "platform/data/internal/StoreLocks.hpp"
#include "platform/data/internal/StoreOpening.hpp"

namespace kelvo::data_internal {

namespace {

using Identity = KeptFiles::Identity;

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

int OpenStore::fileDescriptor(const Database& connection) const {
  // SQLite's own descriptor of the file where it has one; a kept one otherwise.
  const int own = connection.descriptor(device_, inode_);
  if (own >= 0) return own;
  const Identity store{static_cast<dev_t>(device_), static_cast<ino_t>(inode_)};
  std::optional<Identity> identity;
  return KeptFiles::descriptor(store, path_, store, identity);
}

void OpenStore::mark(const Database& connection) const {
  if (id_ != 0 && mark_ != 0) StoreLocks::mark(fileDescriptor(connection), mark_);
}

StoreLocks::Found OpenStore::look(const Database& connection) const {
  const Identity store{static_cast<dev_t>(device_), static_cast<ino_t>(inode_)};
  const int file = fileDescriptor(connection);
  std::optional<Identity> shm;
  const int shmFile = KeptFiles::descriptor(store, path_ + "-shm", std::nullopt, shm);
  StoreLocks::Tests tests;
  tests.file = StoreLocks::onStore(file);
  tests.shm = shmFile < 0 ? StoreLocks::Held{} : StoreLocks::onShm(shmFile);
  // A mark tells which name a holder of the file opened it by: of a program between its mark
  // and its first read, nothing yet, as it looks again once it holds the file.
  const bool held = tests.file.lock == StoreLocks::Held::Lock::read;
  if (mark_ != 0 && held) tests.marks = StoreLocks::onMarks(file, mark_);
  // Others hold the file: the list names each of them, the lock test one.
  std::optional<std::vector<StoreLocks::Listed>> listed;
  if (held) listed = StoreLocks::holders(file, inode_, shmFile, mark_);
  const auto shmSeen = shm ? std::optional(StoreLocks::Identity{shm->device, shm->inode})
                           : std::optional<StoreLocks::Identity>();
  return StoreLocks::judge(tests, listed, [&](pid_t process) {
    return StoreLocks::mapped(process, {device_, inode_}, shmSeen);
  });
}

namespace {

// What another program's hold on the file is told as, and the code to refuse with.
OpenStore::Refusal refusalFor(const StoreLocks::Found& found) {
  const std::string other = StoreOpening::otherProgram(found.process);
  const std::string twoLogs =
      ", has this file open, and which name it opened it by cannot be told, so its saves and "
      "this program's could go to two logs; close the store in that program, then open it here.";
  switch (found.conflict) {
    case StoreLocks::Conflict::fileByAnotherName:
      return {other +
                  " has this file open by another name, and SQLite keeps a store's -wal and -shm "
                  "beside the name it was opened by; close the store in that program, then open "
                  "it here.",
              SQLITE_CANTOPEN};
    case StoreLocks::Conflict::shmOfAnotherFile:
      return {other +
                  " still has open the store that was at this path before it was moved or "
                  "replaced, whose -wal and -shm SQLite would take for this store's; close the "
                  "store in that program, then open it here.",
              SQLITE_CANTOPEN};
    case StoreLocks::Conflict::unseenHolder:
      return {other +
                  ", which runs where this program cannot see it (in another pid namespace: "
                  "another container, or a sandboxed app)" +
                  twoLogs,
              SQLITE_CANTOPEN};
    case StoreLocks::Conflict::unreadableHolder:
      return {other +
                  ", whose memory map this program may not read (it runs as another user, or "
                  "keeps its memory closed to other programs)" +
                  twoLogs,
              SQLITE_CANTOPEN};
    case StoreLocks::Conflict::withoutShm:
      return {other +
                  " holds this file locked without the -shm beside any name of it open (it is "
                  "opening or closing the store, or it is no program of SQLite), so which name "
                  "it uses cannot be told; open the store again once that program has let go of "
                  "the file.",
              SQLITE_CANTOPEN};
    case StoreLocks::Conflict::locked:
    case StoreLocks::Conflict::none:
      break;
  }
  return {StoreOpening::keptLocked(other), SQLITE_BUSY};
}

}  // namespace

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
    if (now >= until) return refusalFor(found);
    std::this_thread::sleep_for(std::min<Clock::duration>(pause, until - now));
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

void OpenStore::settleKeptLog(const Database& connection, const std::filesystem::path& url,
                              Stage stage) const {
  if (id_ == 0) return;
  const Identity store{static_cast<dev_t>(device_), static_cast<ino_t>(inode_)};
  // 0 for nobody, -1 for a holder that cannot be named.
  const auto named = [](const StoreLocks::Held& held) -> pid_t {
    if (!held.held()) return 0;
    return held.process > 0 ? held.process : -1;
  };
  const auto holder = [&](const std::string& shmPath) -> pid_t {
    std::optional<Identity> shm;
    const int descriptor = KeptFiles::descriptor(store, shmPath, std::nullopt, shm);
    if (descriptor < 0) return shm ? -1 : 0;
    return named(StoreLocks::onShm(descriptor));
  };
  const int file = fileDescriptor(connection);
  const auto fileHolder = [&] { return named(StoreLocks::onStore(file)); };
  const std::string why =
      KeptLog::settle(file, path_, stage == Stage::beforeFirstRead, holder, fileHolder);
  if (!why.empty()) throw cannotOpen(url, why);
}

OpenStore::~OpenStore() {
  if (id_ == 0) return;
  List& stores = list();
  std::lock_guard lock(stores.mutex);
  std::erase_if(stores.open, [this](const Open& open) { return open.id == id_; });
  const Identity store{static_cast<dev_t>(device_), static_cast<ino_t>(inode_)};
  // The last store of the process over the file: its connections are closed, but a connection
  // the program opened with SQLite itself may still hold the file and the -shm.
  if (std::any_of(stores.open.begin(), stores.open.end(),
                  [&](const Open& open) { return open.identity == store; })) {
    return;
  }
  KeptFiles::release(store);
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
  const std::filesystem::path full(fullPath);
  if (const auto folder = identityAt(full.parent_path().string())) {
    entry->mark_ = StoreLocks::markOf({folder->device, folder->inode}, full.filename().native());
  }
  return entry;
}

bool OpenStore::isTheOnlyView(const Database& connection) const {
  if (id_ == 0) return false;
  return look(connection).conflict == StoreLocks::Conflict::none;
}

bool OpenStore::readAnotherFilesLog(const Database& connection) const {
  if (id_ == 0) return false;
  const auto shm = connection.shmFile();
  if (!shm) return false;
  const auto holders = StoreLocks::holders(fileDescriptor(connection), inode_, shm->deviceMajor,
                                           shm->deviceMinor, shm->inode);
  if (!holders) return false;
  return std::any_of(holders->begin(), holders->end(), [](const StoreLocks::Listed& holder) {
    return holder.holdsShm && !holder.holdsFile;
  });
}

std::optional<bool> OpenStore::hasMoved() const {
  if (id_ == 0) return std::nullopt;
  struct stat status {};
  return ::stat(path_.c_str(), &status) != 0 || status.st_dev != device_ || status.st_ino != inode_;
}

}  // namespace kelvo::data_internal
