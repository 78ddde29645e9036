// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <sqlite3.h>

#include <string_view>

namespace kelvo::data_internal {

/// What a container's close stands on in SQLite's own close, in one place. Each was checked
/// against SQLite 3.40.1 (Debian 12's libsqlite3-0), and SQLiteCloseOrderTest fails should the
/// installed SQLite stop behaving so:
///
/// (a) `sqlite3_close_v2` of a connection to a store in WAL mode that holds the file alone asks
///     the file `SQLITE_FCNTL_HAS_MOVED` before it copies the log into it (its checkpoint), and,
///     told the file moved, copies nothing and leaves the -wal and -shm where they are;
/// (b) once the log is copied and the file synced, it asks `SQLITE_FCNTL_PERSIST_WAL` with the
///     argument -1 (asking, not setting), then removes the -wal and -shm by the name unless told
///     1;
/// (c) a process's connections to one file share one view (one mapping) of its -shm;
/// (d) the VFS for this system is named "unix", it gives every store file it opens one method
///     table, and that table's version is at most the one this header declares members for.
/// (e) that VFS begins every file it opens with its methods, its VFS, its record of the file's
///     inode (which begins with the file's device and inode) and its descriptor: the lock tests
///     an open makes of other programs, and the room a moved store's log is given, go through
///     that descriptor (`StoreLog::descriptorOf`), as one of their own, once closed, would drop
///     the process's locks on the file.
///
/// So the close answers (a) "not moved" where it holds the file alone, so that SQLite copies the
/// log through the descriptor it has wherever the file now is; does its own last steps at (b),
/// the one moment between the copy and the removal; knows that a connection left open in this
/// process would read a log it empties (c); and lends SQLite's close a copy of the methods (d).
struct SQLiteCloseOrder {
  /// The name of SQLite's own VFS for this system; one registered over it has another.
  static constexpr std::string_view ownVFSName = "unix";
  /// The highest method table version whose members the header we build against declares.
  static constexpr int headerMethodsVersion = 3;
  /// What SQLite's close passes with `SQLITE_FCNTL_PERSIST_WAL` to ask rather than set.
  static constexpr int askingWhetherToKeepTheLog = -1;

  /// Whether `vfs` is SQLite's own for this system, by its name.
  static bool isOwnVFS(const sqlite3_vfs* vfs);
  /// Whether a file control is SQLite's close asking, just before it removes the -wal and -shm,
  /// whether to keep them.
  static bool asksWhetherToKeepTheLog(int operation, const void* argument);
  /// A copy of `original` whose file controls go to `fileControl`. Its version is no higher than
  /// the header's: a newer SQLite's longer table would have it read past the copy.
  static sqlite3_io_methods closingCopy(const sqlite3_io_methods& original,
                                        int (*fileControl)(sqlite3_file*, int, void*));
};

}  // namespace kelvo::data_internal
