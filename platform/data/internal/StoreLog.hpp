// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

struct sqlite3_file;

namespace kelvo::data_internal {

/// The log beside a store where the disk runs out of room: the room a moved store file needs
/// to take its log whole, a log found beside no store, and what a full disk is told as (see
/// docs/store.md, "A full disk").
struct StoreLog {
  /// What reserving room for the log in a store file found.
  enum class Room {
    /// The file can take every frame of the log, or needs no more room for it.
    reserved,
    /// The disk, or the user's quota, has no room for it: nothing was kept of what was taken.
    none,
    /// The file system reserves no room ahead, or the file's state could not be read.
    unknown,
  };
  /// Reserves, without changing its size, the room the store file SQLite has open as `file` needs
  /// to take every frame of its log: the size the log's last commit gives it, as the wal-index in
  /// the connection's view of the -shm tells. Room this thread reserved in the file before is not
  /// asked for again while the file still has it (it keeps the size and the count of blocks it had
  /// just after); past it, only the rest is. `file` is SQLite's own file for this system (any
  /// other is told `unknown`), whose connection has its log open: asked of one that has not,
  /// SQLite would make a view of the -shm that nothing lets go.
  static Room reserveForLog(sqlite3_file* file);
  /// The descriptor SQLite's own VFS holds for `file`, checked against the inode SQLite records
  /// for it; -1 where `file` is not SQLite's own, or the check fails. Never to be closed.
  static int descriptorOf(sqlite3_file* file);
  /// The same, with the device and inode of the file it names.
  static int descriptorOf(sqlite3_file* file, std::uint64_t* device, std::uint64_t* inode);
  /// Where the store file SQLite has open as `file` is now, as the system names it; empty where
  /// it does not say.
  static std::string pathNow(sqlite3_file* file);
  /// The descriptor SQLite's own VFS holds for the log it has open as `log`; -1 where `log` is
  /// not SQLite's own. Never to be closed.
  static int logDescriptorOf(sqlite3_file* log);
  /// What the wal-index in the connection's view of the -shm says of the log: whether every frame
  /// of it is in the file, and its salts. None where the view tells nothing steady. `file` is
  /// SQLite's own file for this system, whose connection has its log open.
  struct LogState {
    bool copied = false;
    std::array<unsigned char, 8> salts{};
  };
  static std::optional<LogState> logState(sqlite3_file* file);

  /// Sets aside a log that holds frames beside a store file that is empty, as SQLite's first
  /// read would delete it: renamed "<path>-wal-kept-<n>", n the first number free. Only where no
  /// program has the -shm beside `path` open, as none then reads the log: told through a
  /// descriptor kept as the lock tests keep theirs (see `KeptFiles`), never closed while a lock
  /// may be held. Returns the new name.
  static std::optional<std::string> setAsideStray(const std::string& path);

  /// SQLite's code for a full disk: every failure for want of room has it.
  static constexpr int diskFull = 13;  // SQLITE_FULL
  /// Whether SQLite's `resultCode`, with the system's error number `systemError` where SQLite
  /// took it, says the disk, or the user's quota, is full.
  static bool isFull(int resultCode, int systemError);
  /// "the disk holding <store> is full (<file> could not grow)".
  static std::string diskIsFull(const std::string& store, const std::string& file);
  /// What a save on a full disk says: its changes are pending, and it may be made again.
  static std::string atSave(const std::string& store, const std::string& file);
  /// What an open on a full disk says.
  static std::string atOpen(const std::string& store, const std::string& file);
};

}  // namespace kelvo::data_internal
