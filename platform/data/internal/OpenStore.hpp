// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/data/internal/StoreLocks.hpp"

namespace kelvo::data_internal {

class Database;

/// A store file this process has open, with the path SQLite opened it by, listed while the
/// value lives. SQLite keeps a store's -wal and -shm beside that path, and a process's
/// connections to one file share one view of the -shm, beside the path of the first of them,
/// for as long as any of them is open. Two connections to one file by two paths (a hard link, or
/// a store moved while open), in one process or in two, or to two files by one path (another
/// store put where a moved one was), would each keep a log the other does not read: opening
/// refuses those.
class OpenStore {
 public:
  /// Why another program keeps the store open here from being opened: a sentence naming that
  /// program and what to do, and the code to refuse with.
  struct Refusal {
    std::string why;
    int code;
  };
  /// Why the store `connection` has open at the path it was listed by may not be opened there:
  /// another process has the file open by another name, or holds the -shm beside the path for
  /// another file, or holds the file locked (closing it) for longer than a connection waits.
  /// Told by lock tests on the store file and the -shm beside the path, whatever file system
  /// or pid namespace the other process is in. What is met only for a moment, as another
  /// process opens or closes the store, is waited out: a quarter of a second at most, or, for a
  /// file locked for writing, as long as a connection waits for a lock. Makes nothing.
  /// Whether the connection has read the file yet: before, a log a close left beside another
  /// name of the file may still be brought beside this one (see `settleKeptLog`).
  enum class Stage { beforeFirstRead, afterFirstRead };
  std::optional<Refusal> otherProgram(const Database& connection) const;
  /// Throws `StoreError`, "Could not open the store at <url>: " and the sentence of
  /// `otherProgram`, when there is one.
  void refuseOtherPrograms(const Database& connection, const std::filesystem::path& url) const;
  /// Takes this process's mark of the name the store was opened by on the store file (see
  /// `StoreLocks`), through the connection's descriptor of it: before its first read, and again
  /// after each step that may have let go of it (SQLite unlocks the whole file when the process's
  /// last connection to it holds no lock, as between the transactions that make a new store).
  void mark(const Database& connection) const;
  /// Throws `StoreError` (code 14), "Could not open the store at <url>: " and why, where the
  /// file's latest saves are in a log a close left beside another name of it that cannot be
  /// brought beside this one (see `KeptLog`): before the first read it is brought where nobody
  /// has it open.
  void settleKeptLog(const Database& connection, const std::filesystem::path& url,
                     Stage stage) const;
  /// Lists the file SQLite opened at `fullPath` for the store at `url`. Throws `StoreError`, a
  /// sentence naming `url` and what to do, when another open store of the process has the file
  /// by another path, or another file by this one. A file that cannot be looked at is listed
  /// under no identity, and checked against nothing.
  static std::unique_ptr<OpenStore> enter(const std::string& fullPath,
                                          const std::filesystem::path& url);
  /// Lets the descriptors the lock tests keep beside the file go, where none may drop a lock
  /// (see `KeptFiles`), once no store of the process lists it: only after the connection is
  /// closed.
  ~OpenStore();
  OpenStore(const OpenStore&) = delete;
  OpenStore& operator=(const OpenStore&) = delete;

  /// Whether the path it was opened at names another file now, or nothing: one `stat`. None
  /// for a file listed under no identity.
  std::optional<bool> hasMoved() const;
  /// Whether no other process has the file open by another name, nor holds the -shm beside the
  /// path it was opened at for another file: the log beside that path is then the file's alone
  /// to empty. Waits for nothing.
  bool isTheOnlyView(const Database& connection) const;
  /// Whether the -wal and -shm the connection read are another store file's: another process
  /// holds that -shm, and not this file, as the system's list of locks tells. False where it
  /// cannot be told.
  bool readAnotherFilesLog(const Database& connection) const;

 private:
  OpenStore(std::uint64_t id, std::string path, std::uint64_t device, std::uint64_t inode)
      : id_(id), path_(std::move(path)), device_(device), inode_(inode) {}
  // What lock tests on the file and the -shm beside the path find of other processes.
  StoreLocks::Found look(const Database& connection) const;
  // A descriptor of the store file for lock tests: SQLite's own, or one kept; -1 where none.
  int fileDescriptor(const Database& connection) const;
  std::uint64_t id_;
  std::string path_;
  std::uint64_t device_;
  std::uint64_t inode_;
  // This name's byte on the store file; 0 where its folder could not be looked at.
  off_t mark_ = 0;
};

}  // namespace kelvo::data_internal
