// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace kelvo::data_internal {

/// What other processes hold of a store file and of the -shm beside one of its names, as the
/// system's list of file locks (/proc/locks) tells. While a SQLite connection to a store in WAL
/// mode is open, its process holds a lock on the store file's shared range and a read lock on
/// byte 128 of the -shm beside the name the store was opened by. A process that holds the store
/// file and another -shm, but not this one, has the store open by another name; one that holds
/// this -shm but not the file now at the path has it for another file. A process holding the
/// store file alone is between its two locks (opening or closing), or reads without a -shm it
/// may write: neither is a conflict.
class StoreLocks {
 public:
  enum class Conflict {
    none,
    /// The process holds the store file, and the -shm beside another name than this one.
    fileByAnotherName,
    /// The process holds the -shm beside this name, and not the store file now at it.
    shmOfAnotherFile,
  };
  struct Found {
    Conflict conflict = Conflict::none;
    pid_t process = 0;
  };
  /// Which holders are looked for: of either file, or of the store file alone (once this process
  /// holds both, another opener of the file by another name is what may have come since).
  enum class Scope { fileAndShm, file };

  /// What a process's -shm lies beside, as the system's account of that process's memory tells:
  /// the name it maps the -shm by, without "-shm", names `store` (a file's inode), or nothing; or
  /// the file locked is no -shm it maps; or the system does not tell.
  struct ShmBeside {
    enum class Seen { unknown, notAShm, nothing, file };
    Seen seen = Seen::unknown;
    std::uint64_t store = 0;
  };
  using ShmLookup = std::function<ShmBeside(pid_t process, std::uint64_t shm)>;

  /// Looks for a process other than this one that holds the store file of inode `file` (none:
  /// the path names nothing) and the -shm of inode `shm` (none: there is none) in a way that
  /// does not go together. Finds none where the system keeps no list. Only locks of SQLite's
  /// own shape count, and the -shm another process holds besides is looked up in its memory
  /// map: the list names a file system by its superblock, which `stat` does not always give (a
  /// btrfs subvolume, an overlay), so files are told by inode alone.
  static Found find(std::optional<ino_t> file, std::optional<ino_t> shm,
                    Scope scope = Scope::fileAndShm);
  /// The same, over the text of such a list, for the process `self`, with `lookup` telling what
  /// another process's -shm lies beside.
  static Found find(std::string_view list, std::optional<ino_t> file, std::optional<ino_t> shm,
                    pid_t self, Scope scope, const ShmLookup& lookup);
};

}  // namespace kelvo::data_internal
