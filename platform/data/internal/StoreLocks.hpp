// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string_view>

namespace kelvo::data_internal {

/// What other processes hold of a store file and of the -shm beside one of its names, as the
/// system's list of file locks (/proc/locks) tells. While a SQLite connection to a store in WAL
/// mode is open, its process holds a read lock on the store file's shared range and one on byte
/// 128 of the -shm beside the name the store was opened by: a process that holds the one without
/// the other has the store open by another name, or the -shm for another file.
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
  /// holds both, only another opener of the file by another name is new).
  enum class Scope { fileAndShm, file };

  /// Looks for a process other than this one that holds the store file of inode `file` (none:
  /// the path names nothing) and the -shm of inode `shm` (none: there is none) in a way that
  /// does not go together. Finds none where the system keeps no list. The list names a file
  /// system by its superblock, which `stat` does not always give (a btrfs subvolume, an overlay),
  /// so files are told by inode alone: a same-numbered file elsewhere locked at SQLite's own
  /// offsets is as good as never met.
  static Found find(std::optional<ino_t> file, std::optional<ino_t> shm,
                    Scope scope = Scope::fileAndShm);
  /// The same, over the text of such a list and for the process `self`.
  static Found find(std::string_view list, std::optional<ino_t> file, std::optional<ino_t> shm,
                    pid_t self, Scope scope = Scope::fileAndShm);
};

}  // namespace kelvo::data_internal
