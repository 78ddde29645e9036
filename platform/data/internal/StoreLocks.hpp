// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace kelvo::data_internal {

/// What other processes hold of a store file and of the -shm beside one of its names, told from
/// the files themselves. While a SQLite connection to a store in WAL mode is open, its process
/// holds a read lock on the store file's shared range and on byte 128 of the -shm beside the
/// name the store was opened by; a process closing it holds the range locked for writing. A lock
/// test on a descriptor of the file (`F_GETLK`) answers for that very file, whatever file system
/// or pid namespace the holder is in, and never for this process's own locks: a holder of the
/// file with nobody holding this -shm has it open by another name, or is between its two locks,
/// or reads beside a -shm it may not write; its memory map tells which, where it can be read.
class StoreLocks {
 public:
  /// What a lock test tells of other processes' locks on a range of a file.
  struct Held {
    enum class Lock { none, read, write, unknown };
    Lock lock = Lock::none;
    /// The holder; 0 where it runs in a pid namespace this process cannot see into.
    pid_t process = 0;
    bool held() const { return lock == Lock::read || lock == Lock::write; }
  };
  /// Other processes' locks on the store file's shared range, through `descriptor`, a descriptor
  /// of the store file (unknown for none, or where the file system keeps no record locks).
  static Held onStore(int descriptor);
  /// Other processes' locks on byte 128 of a -shm, through `descriptor`.
  static Held onShm(int descriptor);

  /// A file as `stat` tells it.
  struct Identity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const Identity&, const Identity&) = default;
  };
  /// What a process maps beside the store file: the -shm beside this name (or none beside the
  /// file at all), a -shm beside another name of the file, or nothing known.
  enum class Mapped { noOtherName, anotherName, unknown };
  /// What another process's memory map says it maps beside the store file `file`, this name's
  /// -shm being `shm` (none: there is none).
  using MapsLookup = std::function<Mapped(pid_t process)>;

  enum class Conflict {
    none,
    /// The process holds the store file, and a -shm beside another name of it.
    fileByAnotherName,
    /// The process holds the -shm beside this name, and not the store file now at it.
    shmOfAnotherFile,
    /// A process this one cannot see, or whose memory map it may not read, holds the store file
    /// and nobody holds the -shm beside this name: which name it opened the file by is unknown.
    unseenHolder,
    /// The process holds the store file locked for writing: closing it, most often.
    locked,
  };
  struct Found {
    Conflict conflict = Conflict::none;
    pid_t process = 0;
  };
  /// Judges what the two lock tests found, and `listed`, the other holders of the store file the
  /// system's list of locks names (a lock test names one); `maps` is asked of each holder of the
  /// store file but the -shm's.
  static Found judge(Held file, Held shm, std::span<const pid_t> listed, const MapsLookup& maps);

  /// The processes other than `self` that hold the store file's shared range, from the text of
  /// the system's list of locks (/proc/locks), which names a file by its inode and its file
  /// system's device as the kernel writes it (`device`, "fe:01").
  static std::vector<pid_t> holders(std::string_view list, std::uint64_t inode,
                                    std::string_view device, pid_t self);
  /// The same, from the list itself, for the store file SQLite has open as `descriptor`; none
  /// where the list, or the file's device, cannot be read. Read only once a lock test found the
  /// file held: its length grows with what the machine's programs hold.
  static std::optional<std::vector<pid_t>> holders(int descriptor, std::uint64_t inode);

  /// What `process` maps beside the store file `file`, from its memory map
  /// (/proc/<pid>/maps), this name's -shm being `shm`: a -shm it maps beside another name of
  /// the file, or beside a name that names nothing now or a file it does not have open (which
  /// its open files, /proc/<pid>/fd, tell), is taken for one beside another name of the file.
  static Mapped mapped(pid_t process, Identity file, std::optional<Identity> shm);
  /// The same, over the text of such a map, with `identify` telling what a path names now, and
  /// `hasOpen` whether the process has a file open.
  static Mapped mapped(std::string_view maps, Identity file, std::optional<Identity> shm,
                       const std::function<std::optional<Identity>(const char* path)>& identify,
                       const std::function<bool(Identity)>& hasOpen);
};

}  // namespace kelvo::data_internal
