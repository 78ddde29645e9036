#include "platform/data/internal/Database.hpp"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <string_view>
#include <vector>

#include "platform/data/StoreError.hpp"
#include "platform/data/internal/KeptLog.hpp"
#include "platform/data/internal/SQLiteCloseOrder.hpp"
#include "platform/data/internal/StoreLog.hpp"

namespace kelvo::data_internal {

namespace {

std::atomic<std::uint32_t> connectionsOpened{0};

// The device and inode of the mapping that holds `address`, as /proc/self/maps lists it.
std::optional<Database::FileIdentity> mappedFile(const void* address) {
  std::FILE* maps = std::fopen("/proc/self/maps", "re");
  if (maps == nullptr) return std::nullopt;
  const auto at = reinterpret_cast<std::uintptr_t>(address);
  std::optional<Database::FileIdentity> found;
  std::uintmax_t start = 0;
  std::uintmax_t end = 0;
  Database::FileIdentity file;
  // Each line: start-end perms offset major:minor inode [path]; the rest of it is skipped.
  while (std::fscanf(maps, "%jx-%jx %*s %*x %" SCNx32 ":%" SCNx32 " %" SCNu64 "%*[^\n]", &start,
                     &end, &file.deviceMajor, &file.deviceMinor, &file.inode) == 5) {
    if (at >= start && at < end) {
      found = file;
      break;
    }
  }
  std::fclose(maps);
  return found;
}

// A copy of the system's file methods through which SQLite's close copies the log into the file
// wherever it now is, and removes the -wal and -shm by the name only where they are still the
// file's. Only SQLite's own methods are copied: a VFS that wraps them (a host's, or a test's)
// may find its state by the methods a file has, which a copy would not be. SQLite's own VFS
// gives every store file one set of methods; the copy is made once, for the first it meets.
std::atomic<const sqlite3_io_methods*> closingOriginal{nullptr};
std::atomic<bool> closingMade{false};
sqlite3_io_methods closingCopy{};

// The close under way on this thread: SQLite's close asks its questions of the store file on the
// thread that closes it.
struct ClosingFile {
  sqlite3_file* file = nullptr;
  sqlite3_file* log = nullptr;
  const char* path = nullptr;
};
thread_local ClosingFile closingNow;

bool namesAFile(const char* path) {
  struct stat status {};
  return path != nullptr && ::stat(path, &status) == 0;
}

// What the log beside `name` holds that the file has not taken is recorded on the file, and the log
// follows the file where `mayFollow` (see KeptLog).
// Asked of a close, which cannot fail, and from within SQLite's: out of memory, nothing is
// recorded, as where the file system keeps no record.
void leaveLog(sqlite3_file* file, sqlite3_file* log, const char* name, bool mayFollow) noexcept {
  const auto state = StoreLog::logState(file);
  const char* wal = name != nullptr ? sqlite3_filename_wal(name) : nullptr;
  if (!state || state->copied || wal == nullptr) return;
  try {
    KeptLog::leave(StoreLog::descriptorOf(file), wal, StoreLog::logDescriptorOf(log), state->salts,
                   mayFollow);
  } catch (...) {
  }
}

int fileControlAtClose(sqlite3_file* file, int operation, void* argument) {
  const sqlite3_io_methods* original = closingOriginal.load(std::memory_order_acquire);
  if (operation != SQLITE_FCNTL_HAS_MOVED && operation != SQLITE_FCNTL_PERSIST_WAL) {
    return original->xFileControl(file, operation, argument);
  }
  // SQLite's look at the path, before it copies the log: told the file is where it was, it
  // copies through the descriptor it has, wherever the file now is.
  if (operation == SQLITE_FCNTL_HAS_MOVED) {
    const int result = original->xFileControl(file, operation, argument);
    // The file takes the log whole or not at all, moved or not: a copy cut short leaves the file
    // needing the log beside its name, which a move would part from it. Where it cannot grow to
    // hold it, SQLite is told of a move, and leaves the log and -shm beside the name.
    // A connection that never opened its log has no view of the -shm, and none is made for it:
    // a view made here would outlive the close, holding the -shm.
    if (result == SQLITE_OK) {
      const bool logOpen = closingNow.file == file && closingNow.log != nullptr &&
                           closingNow.log->pMethods != nullptr;
      *static_cast<int*>(argument) =
          logOpen && StoreLog::reserveForLog(file) == StoreLog::Room::none;
      // The log stays: it follows the file where it moved, held alone as it is, and the file
      // records where it is.
      if (*static_cast<int*>(argument) != 0) leaveLog(file, closingNow.log, closingNow.path, true);
    }
    return result;
  }
  // Asked once the log is copied into the file and synced, just before SQLite removes the -wal
  // and -shm by the name. The log is emptied through its own descriptor first, so that nothing
  // of it is read again wherever it may be by then (the file's folder moved with it); and where
  // another file is at the path, the -wal and -shm there may be that file's, moved there with
  // it: kept.
  if (closingNow.file == file && SQLiteCloseOrder::asksWhetherToKeepTheLog(operation, argument)) {
    if (closingNow.log != nullptr && closingNow.log->pMethods != nullptr) {
      closingNow.log->pMethods->xTruncate(closingNow.log, 0);
    }
    int moved = 0;
    if (original->xFileControl(file, SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved != 0 &&
        namesAFile(closingNow.path)) {
      *static_cast<int*>(argument) = 1;
      return SQLITE_OK;
    }
  }
  return original->xFileControl(file, operation, argument);
}

const sqlite3_io_methods* closingMethods(const sqlite3_io_methods* original) {
  if (closingMade.load(std::memory_order_acquire)) {
    return closingOriginal.load(std::memory_order_relaxed) == original ? &closingCopy : nullptr;
  }
  const sqlite3_io_methods* none = nullptr;
  // Another thread making it at this moment: this close does without.
  if (original->xFileControl == nullptr ||
      !closingOriginal.compare_exchange_strong(none, original, std::memory_order_acq_rel)) {
    return nullptr;
  }
  closingCopy = SQLiteCloseOrder::closingCopy(*original, &fileControlAtClose);
  closingMade.store(true, std::memory_order_release);
  return &closingCopy;
}

}  // namespace

Database::Database(const std::string& path, Opening opening)
    : serial_(++connectionsOpened), path_(path), inMemory_(path == ":memory:") {
  // A connection serves one coordinator, used on one thread at a time: SQLite's own lock
  // around every call (a tenth of reading a row) guards nothing here.
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_EXRESCODE | SQLITE_OPEN_NOMUTEX |
                    (opening == Opening::createIfMissing ? SQLITE_OPEN_CREATE : 0);
  const int result = sqlite3_open_v2(path.c_str(), &handle_, flags, nullptr);
  if (result != SQLITE_OK) {
    const std::string message = handle_ != nullptr ? sqlite3_errmsg(handle_) : "out of memory";
    sqlite3_close(handle_);
    handle_ = nullptr;
    throw data::StoreError(data::StoreError::Kind::sqlite,
                           "Could not open " + path + ": " + message, result);
  }
  sqlite3_extended_result_codes(handle_, 1);
  // Another process (the widget, the app) may hold the write lock for a moment.
  sqlite3_busy_timeout(handle_, busyTimeoutMilliseconds);
}

Database::~Database() {
  // Statements are owned by their holders and finalised before the connection goes.
  for (auto& statement : controls_) statement.reset();
  if (handle_ == nullptr) return;
  if (!inMemory_ && !isReadOnly()) {
    if (keepsTheLog_) {
      // An empty log (this open made it) holds nothing to keep: SQLite's close removes it.
      if (logHasFrames()) keepTheLogAtClose();
    } else if (logIsOwn_) {
      leaveTheLogInTheFile();
    } else if (logHasFrames() && fileLacksRoom()) {
      keepTheLogAtClose();
    }
  }
  sqlite3_close_v2(handle_);
  closingNow = {};
  if (statements_->count != 0) {
    statements_->connectionGone = true;
    static_cast<void>(statements_.release());
  }
}

// SQLite's own close, finding the file alone by then, would copy the log into it and remove the
// -wal and -shm: a file the disk has no room for would take part of the log and lose the rest,
// which mends it, and a damaged one would be written over.
void Database::keepTheLogAtClose() {
  sqlite3_db_config(handle_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
}

void Database::leaveTheLogInTheFile() {
  sqlite3_file* file = mainFile();
  const sqlite3_io_methods* methods = file != nullptr ? file->pMethods : nullptr;
  // SQLite's close copies the log only where it finds the file still at its path, and leaves it
  // beside that path otherwise, where a store put there later would read it: a move at any
  // moment of the close would strand the commits. Told the file is where it was, it copies
  // through the descriptor it has, wherever the file now is. Only a connection that opened the
  // store whole is told so: the -wal and -shm beside its name were the file's own then, and no
  // program has opened another file by that name since (it would have been refused). A statement
  // left unfinalised defers SQLite's close until it goes: the file, held alone, would keep every
  // other program out until then, so that close is one among others.
  const sqlite3_io_methods* closing =
      mayCloseAlone_ && methods != nullptr && statements_->count == 0 && opensBySQLitesOwnMethods()
          ? closingMethods(methods)
          : nullptr;
  // Held alone, the file is copied its log and the log removed by SQLite's own close, which
  // takes this lock too, and no connection of any program opens it in between. Not alone, the
  // lock is given back as SQLite's close would.
  const bool alone = closing != nullptr && methods->xLock(file, SQLITE_LOCK_EXCLUSIVE) == SQLITE_OK;
  if (closing != nullptr && !alone) methods->xUnlock(file, SQLITE_LOCK_SHARED);
  // Others have the file: what this connection committed goes into it now, as far as their
  // reads allow, and so do others' commits their closes could not copy (the log holds
  // anything) or that a move would strand. A reader of a file still at its path is not waited
  // for, as its own close empties the log; one of a moved file is, as long as a refused save
  // waits, for its close would find the file gone from the path and copy nothing, leaving the
  // log beside the old name. Another connection emptying it at the same moment (most often as
  // it closes) is waited for a few milliseconds. A file without room for the log takes none of
  // it: the log stays whole beside the name.
  if (!alone && (logMayHoldCommits_ || logHasFrames() || fileHasMoved())) {
    const bool moved = fileHasMoved();
    if (fileLacksRoom()) {
      keepTheLogAtClose();
      leaveTheLog();
    } else {
      const auto empty = [this] {
        Emptying emptying = emptyLogOnce();
        for (int tries = 0; emptying == Emptying::contended && tries < closingTries; ++tries) {
          sqlite3_sleep(1);
          emptying = emptyLogOnce();
        }
        return emptying;
      };
      sqlite3_busy_timeout(handle_, 0);
      Emptying emptying = empty();
      if (emptying == Emptying::othersRead && moved) {
        sqlite3_busy_timeout(handle_, busyTimeoutMilliseconds);
        emptying = empty();
      }
      if (emptying != Emptying::emptied) leaveTheLog();
    }
  }
  if (closing == nullptr) return;
  closingNow = {file, logFile(), fileName()};
  file->pMethods = closing;
}

bool Database::logIsKeptForAnotherFile() const {
  if (inMemory_ || !logIsOpen()) return false;
  return KeptLog::keptForAnother(StoreLog::logDescriptorOf(logFile()),
                                 StoreLog::descriptorOf(mainFile()));
}

void Database::leaveTheLog() {
  if (inMemory_ || !logIsOpen() || !opensBySQLitesOwnMethods()) return;
  leaveLog(mainFile(), logFile(), fileName(), false);
}

// The file and the VFS that opened it, asked together: whoever needs the one soon needs the other.
sqlite3_file* Database::mainFile() const {
  if (file_ == nullptr) {
    if (sqlite3_file_control(handle_, nullptr, SQLITE_FCNTL_FILE_POINTER, &file_) != SQLITE_OK) {
      file_ = nullptr;
    }
    sqlite3_vfs* vfs = nullptr;
    ownMethods_ =
        sqlite3_file_control(handle_, nullptr, SQLITE_FCNTL_VFS_POINTER, &vfs) == SQLITE_OK &&
        SQLiteCloseOrder::isOwnVFS(vfs);
  }
  return file_;
}

bool Database::opensBySQLitesOwnMethods() const {
  if (ownMethods_ < 0) mainFile();
  return ownMethods_ == 1;
}

const char* Database::fileName() const {
  if (fileName_ == nullptr) fileName_ = sqlite3_db_filename(handle_, "main");
  return fileName_;
}

int Database::descriptor(std::uint64_t device, std::uint64_t inode) const {
  sqlite3_file* file = mainFile();
  std::uint64_t openDevice = 0;
  std::uint64_t openInode = 0;
  const int descriptor =
      file != nullptr ? StoreLog::descriptorOf(file, &openDevice, &openInode) : -1;
  return descriptor >= 0 && openDevice == device && openInode == inode ? descriptor : -1;
}

sqlite3_file* Database::logFile() const {
  sqlite3_file* log = nullptr;
  return sqlite3_file_control(handle_, nullptr, SQLITE_FCNTL_JOURNAL_POINTER, &log) == SQLITE_OK
             ? log
             : nullptr;
}

bool Database::logIsOpen() const {
  const sqlite3_file* log = logFile();
  return log != nullptr && log->pMethods != nullptr;
}

bool Database::logIsCopied() const {
  sqlite3_file* file = mainFile();
  if (file == nullptr || file->pMethods == nullptr || file->pMethods->iVersion < 2 ||
      !logIsOpen()) {
    return false;
  }
  // The first region of the -shm, as the connection has it mapped (never mapped anew here): the
  // wal-index header, whose frame count is at byte 16, and the checkpoint's at byte 96.
  void volatile* region = nullptr;
  if (file->pMethods->xShmMap(file, 0, 32768, 0, &region) != SQLITE_OK || region == nullptr) {
    return false;
  }
  const auto* index = static_cast<const volatile std::uint32_t*>(region);
  constexpr std::uint32_t walIndexVersion = 3007000;
  return index[0] == walIndexVersion && index[12] == walIndexVersion && index[4] == index[24] &&
         index[4] == index[16];
}

// Another connection's commits that its close could not copy into the file (a reader held them):
// the last connection to close must, or they stay beside a name a later connection reads by.
bool Database::logHasFrames() const {
  const char* log = sqlite3_filename_wal(fileName());
  struct stat status {};
  return log != nullptr && ::stat(log, &status) == 0 && status.st_size > 0;
}

bool Database::isReadOnly(int extendedCode) { return (extendedCode & 0xFF) == SQLITE_READONLY; }

bool Database::isReadOnly() const {
  if (readOnly_ < 0) readOnly_ = sqlite3_db_readonly(handle_, "main") == 1;
  return readOnly_ == 1;
}

std::string Database::fullPath() const {
  const char* path = fileName();
  return path != nullptr ? path : "";
}

bool Database::fileHasMoved() const {
  int moved = 0;
  return sqlite3_file_control(handle_, nullptr, SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK &&
         moved != 0;
}

bool Database::emptyLog() { return !keepsTheLog_ && emptyLogOnce() == Emptying::emptied; }

// Without its log beside it, a moved file that took the pages it had room for and not the rest
// would not hold together: it takes the log whole or not at all.
bool Database::fileLacksRoom() const {
  return opensBySQLitesOwnMethods() && logIsOpen() &&
         StoreLog::reserveForLog(mainFile()) == StoreLog::Room::none;
}

bool Database::emptyLogIntoMovedFile() {
  const auto refuseFull = [&] {
    const std::string now = StoreLog::pathNow(mainFile());
    couldNotGrow_ = now.empty() ? fullPath() : now;
    throw data::StoreError(data::StoreError::Kind::sqlite,
                           "The " + StoreLog::diskIsFull(path_, couldNotGrow_).substr(4) +
                               "; make room, then try again.",
                           StoreLog::diskFull);
  };
  // A damaged file takes nothing: there is nothing to settle.
  if (keepsTheLog_) return true;
  if (fileLacksRoom()) refuseFull();
  if (emptyLogOnce() == Emptying::emptied) return true;
  // Room was reserved, or could not be on this file system.
  if (StoreLog::isFull(sqlite3_extended_errcode(handle_), sqlite3_system_errno(handle_))) {
    refuseFull();
  }
  return false;
}

Database::Emptying Database::emptyLogOnce() {
  int logFrames = -1;
  int copiedFrames = -1;
  // Every database of the connection (no name to look up): only the store's has a log.
  const int result = sqlite3_wal_checkpoint_v2(handle_, nullptr, SQLITE_CHECKPOINT_TRUNCATE,
                                               &logFrames, &copiedFrames);
  if (result == SQLITE_OK && logFrames == 0) {
    logMayHoldCommits_ = false;
    return Emptying::emptied;
  }
  // Busy before it could count the log's frames: another connection held the checkpoint, or
  // was reading the log anew. Counted, it was readers or a writer that kept the log from
  // being reset.
  return (result & 0xFF) == SQLITE_BUSY && logFrames < 0 ? Emptying::contended
                                                         : Emptying::othersRead;
}

// No call names the descriptor of a connection's file; a mapping of it, made for a moment and let
// go, does, and reads nothing. The connection's own reads do not use the mapping.
std::optional<Database::FileIdentity> Database::openFile() const {
  sqlite3_file* file = mainFile();
  if (file == nullptr || file->pMethods == nullptr || file->pMethods->iVersion < 3) {
    return std::nullopt;
  }
  sqlite3_int64 limit = 65536;
  if (sqlite3_file_control(handle_, nullptr, SQLITE_FCNTL_MMAP_SIZE, &limit) != SQLITE_OK) {
    return std::nullopt;
  }
  std::optional<FileIdentity> identity;
  void* page = nullptr;
  if (file->pMethods->xFetch(file, 0, 1, &page) == SQLITE_OK && page != nullptr) {
    identity = mappedFile(page);
    file->pMethods->xUnfetch(file, 0, page);
  }
  sqlite3_file_control(handle_, nullptr, SQLITE_FCNTL_MMAP_SIZE, &limit);  // as it was
  return identity;
}

std::optional<Database::FileIdentity> Database::shmFile() const {
  sqlite3_file* file = mainFile();
  if (file == nullptr || file->pMethods == nullptr || file->pMethods->iVersion < 2 ||
      !logIsOpen()) {
    return std::nullopt;
  }
  // The view the connection has (never one mapped anew here).
  void volatile* region = nullptr;
  if (file->pMethods->xShmMap(file, 0, 32768, 0, &region) != SQLITE_OK || region == nullptr) {
    return std::nullopt;
  }
  return mappedFile(const_cast<const void*>(region));
}

std::string Database::readOnlyCompanions(const std::string& path) {
  if (::access(path.c_str(), W_OK) != 0) return {};
  std::vector<std::string> readOnly;
  for (const char* suffix : {"-wal", "-shm"}) {
    std::string companion = path + suffix;
    if (::access(companion.c_str(), F_OK) == 0 && ::access(companion.c_str(), W_OK) != 0) {
      readOnly.push_back(std::move(companion));
    }
  }
  if (readOnly.empty()) return {};
  if (readOnly.size() == 1) {
    return readOnly[0] + " beside the store is read-only; make it writable, as the store file is.";
  }
  return readOnly[0] + " and " + readOnly[1] +
         " beside the store are read-only; make them writable, as the store file is.";
}

void Database::releaseCache() { sqlite3_db_release_memory(handle_); }

std::uint64_t Database::dataVersion() const {
  // Unlike `PRAGMA data_version`, the pager's count also moves at this connection's own
  // commits, so contexts sharing it see each other's saves; and it runs no statement.
  unsigned int version = 0;
  sqlite3_file_control(handle_, nullptr, SQLITE_FCNTL_DATA_VERSION, &version);
  return std::uint64_t{serial_} << 32 | version;
}

void Database::execute(const std::string& sql) {
  const int result = sqlite3_exec(handle_, sql.c_str(), nullptr, nullptr, nullptr);
  if (result != SQLITE_OK) raise(result, sql);
}

void Database::executeWaiting(const std::string& sql) {
  for (int waited = 0;;) {
    const int result = sqlite3_exec(handle_, sql.c_str(), nullptr, nullptr, nullptr);
    if (result == SQLITE_OK) return;
    if ((result & 0xFF) != SQLITE_BUSY || waited >= busyTimeoutMilliseconds) raise(result, sql);
    // Short steps first: the other connection usually needs only a moment.
    const int step = waited < 100 ? 5 : 25;
    sqlite3_sleep(step);
    waited += step;
  }
}

Statement Database::prepare(std::string_view sql) { return Statement(*this, sql); }

std::int64_t Database::changes() const { return sqlite3_changes64(handle_); }

bool Database::inTransaction() const { return sqlite3_get_autocommit(handle_) == 0; }

void Database::raise(int resultCode, std::string_view doing) const {
  const int primary = resultCode & 0xFF;
  // One code for a full disk, and the file that could not grow, whichever write met it.
  if (!inMemory_ &&
      StoreLog::isFull(resultCode, handle_ != nullptr ? sqlite3_system_errno(handle_) : 0)) {
    couldNotGrow_ = fileThatCouldNotGrow(resultCode);
    throw data::StoreError(data::StoreError::Kind::sqlite,
                           "The " + StoreLog::diskIsFull(path_, couldNotGrow_).substr(4) +
                               "; make room, then try again.",
                           StoreLog::diskFull);
  }
  // One code for damage, however SQLite came upon it, so that a host can tell it by the code.
  if ((primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB) && !inMemory_) {
    // Whatever the connection still does, it writes nothing more into a damaged file: its log,
    // and a killed program's before it, are kept beside it with it.
    if (opened_) keepsTheLog_ = true;
    throw data::StoreError(data::StoreError::Kind::incompatibleStore,
                           "The store at " + path_ + " is damaged.",
                           primary == SQLITE_CORRUPT ? resultCode : SQLITE_CORRUPT);
  }
  std::string message = "SQLite error ";
  message += std::to_string(resultCode);
  message += " (";
  message += sqlite3_errstr(resultCode);
  if (handle_ != nullptr && sqlite3_extended_errcode(handle_) == resultCode) {
    message += ": ";
    message += sqlite3_errmsg(handle_);
  }
  message += ") while running: ";
  message += doing.substr(0, 200);
  throw data::StoreError(data::StoreError::Kind::sqlite, message, resultCode);
}

// SQLite says which write failed by its code for the -shm alone. In WAL mode a statement grows
// the log alone (the log is copied into the file apart, once room is reserved for it). Through a
// rollback journal (a new store's tables, made before it turns to WAL), every step of a
// transaction writes the journal, from its header at the first change on, and only the commit,
// once the journal is synced, writes the file's pages (a page cache spilling would too, far past
// what a new store's tables take). SQLite has rolled back and removed the journal by the time the
// error is told: the step tells which file it was.
// Named as SQLite names the files: after the file a link leads to, beside which it keeps them.
std::string Database::fileThatCouldNotGrow(int resultCode) const {
  const std::string file = fileName() != nullptr && *fileName() != '\0' ? fileName() : path_;
  if (resultCode == SQLITE_IOERR_SHMOPEN || resultCode == SQLITE_IOERR_SHMSIZE ||
      resultCode == SQLITE_IOERR_SHMMAP) {
    return file + "-shm";
  }
  if (fileIsInWALMode()) return file + "-wal";
  return committing_ ? file : file + "-journal";
}

// Bytes 18 and 19 of the header, the file format's write and read versions, are 2 in WAL mode.
// Only the switch of the journal mode writes them, in the file itself.
bool Database::fileIsInWALMode() const {
  sqlite3_file* file = mainFile();
  if (file == nullptr || file->pMethods == nullptr) return false;
  unsigned char versions[2] = {};
  return file->pMethods->xRead(file, versions, sizeof versions, 18) == SQLITE_OK &&
         versions[0] == 2 && versions[1] == 2;
}

Statement::Statement(Database& database, std::string_view sql) : database_(&database) {
  const int result = sqlite3_prepare_v3(database.handle(), sql.data(), static_cast<int>(sql.size()),
                                        SQLITE_PREPARE_PERSISTENT, &handle_, nullptr);
  if (result != SQLITE_OK) database.raise(result, sql);
  if (handle_ != nullptr) {
    live_ = database.statements_.get();
    ++live_->count;
  }
}

Statement::~Statement() {
  if (handle_ == nullptr) return;
  sqlite3_finalize(handle_);
  if (live_ != nullptr && --live_->count == 0 && live_->connectionGone) delete live_;
}

void Statement::check(int resultCode, std::string_view doing) {
  if (resultCode != SQLITE_OK) database_->raise(resultCode, doing);
}

void Statement::bindNull(int index) { check(sqlite3_bind_null(handle_, index), "bind"); }

void Statement::bind(int index, std::int64_t value) {
  check(sqlite3_bind_int64(handle_, index, value), "bind");
}

void Statement::bind(int index, double value) {
  check(sqlite3_bind_double(handle_, index, value), "bind");
}

void Statement::bindText(int index, std::string_view text) {
  check(sqlite3_bind_text64(handle_, index, text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8),
        "bind");
}

void Statement::bindBlob(int index, std::span<const std::uint8_t> bytes) {
  // An empty span may carry a null pointer, which SQLite would store as NULL.
  static const std::uint8_t empty = 0;
  const void* data = bytes.empty() ? &empty : bytes.data();
  check(sqlite3_bind_blob64(handle_, index, data, bytes.size(), SQLITE_STATIC), "bind");
}

bool Statement::step() {
  const int result = sqlite3_step(handle_);
  if (result == SQLITE_ROW) return true;
  if (result == SQLITE_DONE) return false;
  const std::string sql = sqlite3_sql(handle_);
  try {
    database_->raise(result, sql);
  } catch (...) {
    sqlite3_reset(handle_);
    throw;
  }
}

void Statement::run() {
  while (step()) {
  }
  sqlite3_reset(handle_);
}

void Statement::reset() { sqlite3_reset(handle_); }

int Statement::columnCount() const { return sqlite3_column_count(handle_); }

Statement::ColumnType Statement::columnType(int index) const {
  return static_cast<ColumnType>(sqlite3_column_type(handle_, index));
}

std::int64_t Statement::columnInt64(int index) const {
  return sqlite3_column_int64(handle_, index);
}

double Statement::columnDouble(int index) const { return sqlite3_column_double(handle_, index); }

std::string_view Statement::columnText(int index) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(handle_, index));
  const int size = sqlite3_column_bytes(handle_, index);
  return text == nullptr ? std::string_view() : std::string_view(text, static_cast<size_t>(size));
}

std::span<const std::uint8_t> Statement::columnBlob(int index) const {
  const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(handle_, index));
  const int size = sqlite3_column_bytes(handle_, index);
  if (bytes == nullptr) return {};
  return {bytes, static_cast<size_t>(size)};
}

Statement& Database::control(Control which) {
  static constexpr std::string_view sql[] = {"BEGIN", "BEGIN IMMEDIATE", "COMMIT", "ROLLBACK"};
  auto& statement = controls_[static_cast<std::size_t>(which)];
  if (statement == nullptr) {
    statement = std::make_unique<Statement>(*this, sql[static_cast<std::size_t>(which)]);
  }
  return *statement;
}

Transaction::Transaction(Database& database, Mode mode) : database_(database) {
  // Compiled with the first transaction, not while a failure unwinds.
  database.control(Database::Control::rollback);
  database
      .control(mode == Mode::immediate ? Database::Control::beginImmediate
                                       : Database::Control::begin)
      .run();
}

Transaction::~Transaction() {
  // SQLite ends the transaction by itself after some I/O errors; roll back only what is open.
  if (!open_ || !database_.inTransaction()) return;
  try {
    database_.control(Database::Control::rollback).run();
  } catch (...) {
    // The statement failed (out of memory, most likely): ask once more the plain way.
    sqlite3_exec(database_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
}

int Database::logCommitted(void* self, sqlite3* handle, const char* name, int frames) {
  if (frames < autoCheckpointFrames) return SQLITE_OK;
  // SQLite's own checkpoint after a commit, but for a file the disk has no room to grow: a copy
  // cut short would leave the file needing the log beside its name, which a move would part
  // from it. The log just written to is open, and the file tells by itself whether SQLite's own
  // VFS opened it: only the file is looked up.
  if (static_cast<Database*>(self)->keepsTheLog_) return SQLITE_OK;
  sqlite3_file* file = nullptr;
  if (sqlite3_file_control(handle, name, SQLITE_FCNTL_FILE_POINTER, &file) == SQLITE_OK &&
      StoreLog::reserveForLog(file) == StoreLog::Room::none) {
    return SQLITE_OK;
  }
  sqlite3_wal_checkpoint_v2(handle, name, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
  return SQLITE_OK;
}

void Transaction::commit() {
  // Set at the first commit, which is the first that may grow the log.
  if (!database_.watchesTheLog_) {
    sqlite3_wal_hook(database_.handle(), &Database::logCommitted, &database_);
    database_.watchesTheLog_ = true;
  }
  // What a full disk refused at this step is the file's pages, in rollback mode.
  database_.committing_ = true;
  try {
    database_.control(Database::Control::commit).run();
  } catch (...) {
    database_.committing_ = false;
    throw;
  }
  database_.committing_ = false;
  open_ = false;
  database_.logMayHoldCommits_ = true;
}

}  // namespace kelvo::data_internal
