// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_file;

namespace kelvo::data_internal {

class Statement;

/// One SQLite connection, closed when the value goes. Every failure throws `StoreError` with
/// SQLite's extended result code; damage to the file, found at any step, is told as such.
class Database {
 public:
  enum class Opening { createIfMissing, existingOnly };

  /// Opens the database file at `path` for reading and writing, creating it when missing (or,
  /// with `existingOnly`, failing). SQLite opens a file it may not write read-only. The path
  /// ":memory:" opens a private in-memory database.
  explicit Database(const std::string& path, Opening opening = Opening::createIfMissing);
  /// Closes the connection. SQLite's own close copies the log and removes it only when it holds
  /// the file alone and finds it at its path: the close of a connection that opened the store whole
  /// (`noteOpened`) takes the file alone where no other connection has it, and tells SQLite's look
  /// that the file was not moved, so that it copies through its descriptor wherever the file now
  /// is. Then, as SQLite is about to remove the -wal and -shm by the name, the log is emptied
  /// through its own descriptor (the file's folder may have moved with it), and the -wal and -shm
  /// at the name are kept where another file is at the path, as they may be that file's. Where
  /// others have the file, or it is opened through a VFS registered over SQLite's own, the close
  /// empties the log itself, as far as readers allow, when it committed since the log was last
  /// emptied, finds the log holding anything, or finds its file moved; it waits for a reader only
  /// of a moved file, whose own close would copy nothing, for as long as the busy timeout; so does
  /// one with a statement left unfinalised, whose close SQLite defers until the statement goes.
  /// A connection that keeps its log (`keepTheLog`) copies none of it, and leaves the -wal and
  /// -shm beside the file.
  ~Database();
  // Its statements point back at it.
  Database(Database&&) = delete;
  Database& operator=(Database&&) = delete;
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  /// SQLite's extended code for a link whose target row is missing at the commit.
  static constexpr int foreignKeyViolation = 787;  // SQLITE_CONSTRAINT_FOREIGNKEY
  /// SQLite's code for a lock another connection kept past the busy timeout.
  static constexpr int busy = 5;  // SQLITE_BUSY
  /// SQLite's code for a file it could not open.
  static constexpr int cannotOpen = 14;  // SQLITE_CANTOPEN
  /// SQLite's extended code for a store whose file was moved or replaced since it was opened.
  static constexpr int fileMoved = 1032;  // SQLITE_READONLY_DBMOVED
  /// SQLite's extended code for a file beside the store (the -wal) opened while the store's path
  /// named nothing: SQLite gives it the store file's mode, which it looks up by the path.
  static constexpr int pathNamedNothing = 1802;  // SQLITE_IOERR_FSTAT
  /// Whether an extended code says the file or its folder cannot be written.
  static bool isReadOnly(int extendedCode);
  /// Whether SQLite opened the file read-only: it may not be written, and the connection stays
  /// so when it becomes writable.
  bool isReadOnly() const;
  /// Whether the file this connection opened was since removed or renamed: its path may now
  /// name another file.
  bool fileHasMoved() const;
  /// Copies the write-ahead log into the file this connection has open, wherever that now is,
  /// and empties the log, waiting for other connections no longer than the busy timeout. True
  /// once it is empty; a connection that keeps its log (`keepTheLog`) copies nothing.
  bool emptyLog();
  /// Empties the log as `emptyLog` does into a file that has moved, but only once the file can
  /// grow to hold every frame of it: where the disk has no room for that, writes nothing into
  /// the file, keeps the log, and throws `StoreError` (code 13) naming the file that could not
  /// grow. Where the file system reserves no room ahead, copies as `emptyLog` does. A
  /// connection that keeps its log copies nothing, and is done at once (true).
  bool emptyLogIntoMovedFile();
  /// Where the log holds frames the file has not taken and the file may be opened without it
  /// (moved from the log's name, or of several names), records on the file where the log is
  /// (see `KeptLog`): for a save that could not empty the log into a moved file, and a close
  /// among other connections that leaves it. Writes nothing else.
  void leaveTheLog();
  /// The file that could not grow at the last failure told as a full disk (code 13).
  const std::string& fileThatCouldNotGrow() const { return couldNotGrow_; }
  /// Says that the connection opened the store whole: the -wal and -shm it reads are its
  /// file's own, no other connection reads the file through others, and no program had another
  /// file open by its name. Its close may then empty the log into the file, wherever it is.
  void noteOpened() {
    logIsOwn_ = true;
    mayCloseAlone_ = true;
    opened_ = true;
  }
  /// Says, of a connection refused after its first read, that the -wal and -shm it read are
  /// its file's own, as far as can be told: its close may then empty the log into the file, but
  /// only as a connection among others would. Until either is said the close leaves the log to
  /// SQLite, as a connection must whose open was refused as the path named another file, or as
  /// another program reads the file by another name.
  void noteLogIsOwn() { logIsOwn_ = true; }
  /// Whether the log this connection read was kept by a close for another store file (see
  /// `KeptLog`): one that read while its path named another file may have read that file's.
  bool logIsKeptForAnotherFile() const;
  /// Says that nothing of the log is to be copied into the file from then on (no copy after a
  /// commit, into a moved file, or at the close, SQLite's own included), so that the file keeps
  /// its bytes and the -wal and -shm stay beside it, with whatever saves the -wal holds: for a
  /// file damaged, or no store of this app (said by the connection itself once any step of an
  /// opened store finds damage), and for a log another store's close kept.
  void keepTheLog() { keepsTheLog_ = true; }
  bool keepsTheLog() const { return keepsTheLog_; }
  /// Whether the log beside the path holds anything: frames it may not have copied yet.
  bool logHasFrames() const;
  /// Whether every frame of the log, as this connection's view of the -shm tells, was copied
  /// into the file: emptying it then only resets it, and writes nothing to the file.
  bool logIsCopied() const;
  /// How many times a close tries again to empty the log, a millisecond apart, while another
  /// connection is emptying it.
  static constexpr int closingTries = 10;
  /// Names the store in what this connection says as `other` does: a connection opened anew
  /// over the same file, by its full path, speaks of it as the host named it.
  void nameAs(const Database& other) { path_ = other.path_; }
  /// The full path of the file SQLite opened, links followed; empty for a database in memory.
  std::string fullPath() const;
  /// SQLite's own descriptor of the store file, where SQLite's own VFS opened it and it is the
  /// file of `device` and `inode`: for lock tests only. Never to be closed (closing any
  /// descriptor of a file drops the process's record locks on it); -1 where there is none.
  int descriptor(std::uint64_t device, std::uint64_t inode) const;
  /// Which file a connection has open: its device and inode.
  struct FileIdentity {
    std::uint32_t deviceMajor = 0;
    std::uint32_t deviceMinor = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
  };
  /// The file this connection has open, whatever its path names now: read from the system's
  /// account of a moment's memory mapping of it. None for a database in memory, or where the
  /// system does not tell (no /proc, memory mapping turned off).
  std::optional<FileIdentity> openFile() const;
  /// The -shm this connection has a view of, as its memory map names it; none where it has none.
  std::optional<FileIdentity> shmFile() const;
  /// Says which of the write-ahead log and its index beside a database file that can be written
  /// cannot be, and what to do ("<path>-shm beside the store is read-only; make it writable, as
  /// the store file is."); empty when none. SQLite makes them with the file's mode, so a file
  /// once read-only leaves them so.
  static std::string readOnlyCompanions(const std::string& path);

  /// How long a statement waits for another connection's lock before it fails.
  static constexpr int busyTimeoutMilliseconds = 5000;

  /// Runs one or more statements that return no rows.
  void execute(const std::string& sql);
  /// Runs `sql` as `execute` does, trying again while another connection's lock keeps it out,
  /// for as long as the busy timeout: for the statements SQLite does not wait for by itself
  /// (a switch of the journal mode is made at once or not at all).
  void executeWaiting(const std::string& sql);
  /// Compiles one statement for repeated use.
  Statement prepare(std::string_view sql);

  /// Rows changed by the last INSERT, UPDATE or DELETE.
  std::int64_t changes() const;
  /// Whether a transaction is open (SQLite may end one by itself after some errors).
  bool inTransaction() const;
  /// Frees the pages the connection keeps in memory but is not using: after a read of more
  /// rows than its cache holds, they are of little further use.
  void releaseCache();
  /// The file's version as this connection last saw it: it changes with every commit to the
  /// file, by this connection or another (in any process), as the connection's next statement
  /// or transaction finds it, and no two connections ever give the same one. A rollback
  /// leaves it as it was.
  std::uint64_t dataVersion() const;

  sqlite3* handle() const { return handle_; }

  /// Throws the connection's current error as a `StoreError`, naming `doing`. A file found
  /// damaged (SQLite's codes 11 and 26) throws kind `incompatibleStore`, "The store at <path> is
  /// damaged.", with code 11 (SQLite's extended one where it gave one), whatever step found it.
  /// A disk, or a quota, that is full throws "The disk holding <path> is full (<file> could not
  /// grow); make room, then try again." with code 13, whatever SQLite's code was. Damage found
  /// once the store was opened keeps the log (`keepTheLog`).
  [[noreturn]] void raise(int resultCode, std::string_view doing) const;

 private:
  friend class Transaction;
  friend class Statement;
  enum class Control { begin, beginImmediate, commit, rollback };

  // The statements that open and end a transaction, compiled once: parsing them again at every
  // save costs a small save as much as its own writes.
  Statement& control(Control which);
  // How a try at emptying the log ended: another connection emptying it at the same moment is
  // gone in a moment; a reader or writer may stay.
  enum class Emptying { emptied, contended, othersRead };
  Emptying emptyLogOnce();
  // At the close, where the file has no room for the log: SQLite's own close copies none of it.
  void keepTheLogAtClose();
  // At the close: sees to it that the log ends in the file, as `emptyLog` says.
  void leaveTheLogInTheFile();
  // Whether the connection has its log open, and with it a view of the -shm: asking SQLite's file
  // for a view of the -shm would make one where there is none, which nothing would let go.
  bool logIsOpen() const;
  // Whether the disk lacks the room the file needs to take its log whole.
  bool fileLacksRoom() const;
  // After each commit: copies the log into the file as SQLite's own checkpoint after a commit
  // does, past as many frames, where the file has room for all of it.
  static int logCommitted(void* self, sqlite3* handle, const char* name, int frames);
  static constexpr int autoCheckpointFrames = 1000;  // SQLITE_DEFAULT_WAL_AUTOCHECKPOINT
  std::string fileThatCouldNotGrow(int resultCode) const;
  // Whether the file's header says it is in WAL mode; not a new store's file, of no pages, nor one
  // still written through a rollback journal.
  bool fileIsInWALMode() const;
  // The store file as SQLite has it open; null where it does not say.
  sqlite3_file* mainFile() const;
  // The connection's log as SQLite has it, open or not; null where it does not say.
  sqlite3_file* logFile() const;
  // Whether the connection's file is opened by SQLite's own VFS for this system, not one
  // registered over it.
  bool opensBySQLitesOwnMethods() const;
  // The file's full name as SQLite has it, from which it names the -wal and -shm.
  const char* fileName() const;

  sqlite3* handle_ = nullptr;
  // What a connection's file, its VFS, its name and whether it may be written are is fixed at
  // its open: asked once.
  mutable sqlite3_file* file_ = nullptr;
  mutable const char* fileName_ = nullptr;
  mutable signed char ownMethods_ = -1;
  mutable signed char readOnly_ = -1;
  // Its statements not yet finalised, which may outlive it (SQLite defers its close until they
  // go): the last of those frees the count. Counted as the statements are used, one thread at a
  // time.
  struct LiveStatements {
    int count = 0;
    bool connectionGone = false;
  };
  std::unique_ptr<LiveStatements> statements_ = std::make_unique<LiveStatements>();
  std::uint32_t serial_;  // tells this connection's versions from those of any other
  std::string path_;
  bool inMemory_;
  bool logIsOwn_ = false;
  bool mayCloseAlone_ = false;
  bool opened_ = false;
  mutable bool keepsTheLog_ = false;
  // A transaction's commit is under way: in rollback mode, the one step that grows the file.
  bool committing_ = false;
  std::array<std::unique_ptr<Statement>, 4> controls_;
  // Committed since the log was last emptied: a log left behind would hold what it wrote.
  bool logMayHoldCommits_ = false;
  mutable std::string couldNotGrow_;
  bool watchesTheLog_ = false;
};

/// One compiled statement, finalised when the value goes. Bound texts and blobs are not copied:
/// they must stay alive until the statement is stepped or reset.
class Statement {
 public:
  enum class ColumnType { integer = 1, real = 2, text = 3, blob = 4, null = 5 };

  Statement(Database& database, std::string_view sql);
  ~Statement();
  Statement(Statement&& other) noexcept
      : database_(other.database_), handle_(other.handle_), live_(other.live_) {
    other.handle_ = nullptr;
    other.live_ = nullptr;
  }
  Statement& operator=(Statement&&) = delete;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Parameters count from 1.
  void bindNull(int index);
  void bind(int index, std::int64_t value);
  void bind(int index, double value);
  void bindText(int index, std::string_view text);
  void bindBlob(int index, std::span<const std::uint8_t> bytes);

  /// Advances to the next row: true when there is one, false when the statement is done.
  bool step();
  /// Steps a statement that returns no rows to its end, then resets it.
  void run();
  /// Rewinds the statement for another run; bindings are kept.
  void reset();

  // Columns count from 0; they are valid until the next step or reset.
  int columnCount() const;
  ColumnType columnType(int index) const;
  std::int64_t columnInt64(int index) const;
  double columnDouble(int index) const;
  std::string_view columnText(int index) const;
  std::span<const std::uint8_t> columnBlob(int index) const;

 private:
  void check(int resultCode, std::string_view doing);

  Database* database_;
  sqlite3_stmt* handle_ = nullptr;
  Database::LiveStatements* live_ = nullptr;  // its connection's count
};

/// Resets a statement when the scope ends: a read statement holds the database's read lock
/// until it is reset.
struct ResetOnExit {
  Statement& statement;
  ~ResetOnExit() { statement.reset(); }
};

/// A transaction that rolls back unless committed.
class Transaction {
 public:
  enum class Mode { deferred, immediate };

  explicit Transaction(Database& database, Mode mode = Mode::immediate);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void commit();

 private:
  Database& database_;
  bool open_ = true;
};

}  // namespace kelvo::data_internal
