// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo::data_internal {

/// What other processes hold of a store file and of the -shm beside one of its names, told from
/// the files themselves. While a SQLite connection to a store in WAL mode is open, its process
/// holds a read lock on the store file's shared range and on byte 128 of the -shm beside the
/// name the store was opened by; a process closing it holds the range locked for writing. A
/// process of this library also holds, while it has the store open, a read lock on one byte of
/// the store file that stands for the name it opened it by (its folder and file name): its mark.
/// A lock test on a descriptor of the file (`F_GETLK`) answers for that very file, whatever file
/// system, pid namespace or user the holder is in, and never for this process's own locks. So a
/// mark of another name is told by one test; of a holder that marks nothing (a program using
/// SQLite alone), which name it opened the file by is told by the system's list of locks and
/// its memory map, where they can be read.
class StoreLocks {
 public:
  /// What a lock test tells of other processes' locks on a range of a file.
  struct Held {
    enum class Lock { none, read, write, unknown };
    Lock lock = Lock::none;
    /// The holder; 0 where it runs in a pid namespace this process cannot see into, or where the
    /// lock is an open file description's, which no SQLite connection takes (`byOpenFile`).
    pid_t process = 0;
    bool byOpenFile = false;
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

  /// The byte of the store file that stands for the name `name` in the folder `folder`: two
  /// paths to one name (two mounts of the folder, a folder bound elsewhere in a container) have
  /// one byte, and two names have two, but for a chance of one in 2^60. Far past any byte SQLite
  /// locks or a store reaches.
  static off_t markOf(Identity folder, std::string_view name);
  /// Takes this process's mark `at` on the store file, through `descriptor`: false where the file
  /// system keeps no record locks. SQLite lets go of every lock the process holds on the file
  /// once its last connection to it holds none (it unlocks the whole file), the mark with them.
  static bool mark(int descriptor, off_t at);
  /// Lets go of this process's mark `at`.
  static void unmark(int descriptor, off_t at);
  /// Other processes' marks: of the name `own`, and of any other (unknown where a lock that is no
  /// mark, a whole-file lock, covers the other names' bytes, hiding what is behind it).
  struct Marks {
    Held thisName;
    Held otherName;
  };
  static Marks onMarks(int descriptor, off_t own);

  /// What the system's list of locks (/proc/locks) says of one other process: whether it holds
  /// the store file's shared range, which name it marks, and whether it holds byte 128 of this
  /// name's -shm.
  struct Listed {
    enum class Mark { none, thisName, anotherName };
    pid_t process = 0;
    bool holdsFile = false;
    Mark mark = Mark::none;
    bool holdsShm = false;
  };
  /// A file as the list names it: by the device of its file system as the kernel writes it
  /// ("fe:01": the superblock's, which `stat` does not give for a btrfs subvolume) and its inode.
  struct ListedFile {
    std::string device;
    std::uint64_t inode = 0;
  };
  /// The processes other than `self` the text of the list names as holding the store file
  /// `file` or this name's -shm `shm`, each once; `ownMark` is this name's byte.
  static std::vector<Listed> holders(std::string_view list, const ListedFile& file,
                                     const std::optional<ListedFile>& shm, off_t ownMark,
                                     pid_t self);
  /// The same, from the list itself, for the store file SQLite has open as `descriptor` (inode
  /// `inode`) and the -shm open as `shmDescriptor` (-1: none); none where the list, or the
  /// file's device, cannot be read. Where the list's device is not the one `stat` gives (a btrfs
  /// subvolume), a holder of the file counts only where it has this very file open or that
  /// cannot be read. Read only once a lock test found the file held: its length
  /// grows with what the machine's programs hold.
  static std::optional<std::vector<Listed>> holders(int descriptor, std::uint64_t inode,
                                                    int shmDescriptor, off_t ownMark);
  /// The same, for a -shm named by the device and inode a memory map gives.
  static std::optional<std::vector<Listed>> holders(int descriptor, std::uint64_t inode,
                                                    std::uint32_t shmMajor, std::uint32_t shmMinor,
                                                    std::uint64_t shmInode);

  /// What a process maps beside the store file: this name's -shm, a -shm beside another name of
  /// the file, none beside the file at all (it is between its lock on the file and its map of the
  /// -shm, or holds the file without SQLite), or nothing known: its map may not be read, or it has
  /// exited (`gone`).
  enum class Mapped { thisName, anotherName, noneOfTheFile, gone, unknown };
  /// What another process's memory map says it maps beside the store file.
  using MapsLookup = std::function<Mapped(pid_t process)>;

  enum class Conflict {
    none,
    /// The process holds the store file, and marks or maps another name of it.
    fileByAnotherName,
    /// The process holds the -shm beside this name, and not the store file now at it.
    shmOfAnotherFile,
    /// A process in a pid namespace this one cannot see into holds the store file, and marks no
    /// name that it can be told by.
    unseenHolder,
    /// A process whose memory map this one may not read (another user's, or one that keeps it
    /// closed) holds the store file, and nothing tells that it holds it by this name.
    unreadableHolder,
    /// The process holds the store file without the -shm beside any name of it open: between its
    /// locks (opening or closing the store), or it is no SQLite program.
    withoutShm,
    /// The process holds the store file locked for writing: closing it, most often.
    locked,
  };
  struct Found {
    Conflict conflict = Conflict::none;
    pid_t process = 0;
  };
  /// What the lock tests found: of the store file, this name's -shm, and the marks (left
  /// none where they do not count: they count once another process holds the file, and
  /// before this process first reads it, when a program between its mark and its first read
  /// is one too).
  struct Tests {
    Held file;
    Held shm;
    Marks marks;
  };
  /// Judges the tests, `listed` (the other holders the system's list of locks names: a lock test
  /// names one; none where the list cannot be read) and, of each holder of the store file that
  /// neither marks nor holds this name's -shm, its memory map.
  static Found judge(const Tests& tests, const std::optional<std::vector<Listed>>& listed,
                     const MapsLookup& maps);

  /// What `process` maps beside the store file `file`, this name's -shm being `shm`, from its
  /// memory map (/proc/<pid>/maps): its paths are read in its own mount namespace (through
  /// /proc/<pid>/root where that is not this process's), and a -shm beside another name of the
  /// file, or beside a name that names nothing now or a file it does not have open (which its
  /// open files, /proc/<pid>/fd, tell), is taken for one beside another name of the file.
  static Mapped mapped(pid_t process, Identity file, std::optional<Identity> shm);
  /// The same, over the text of such a map, with `identify` telling what a path names now (in
  /// the process's mount namespace), and `hasOpen` whether the process has a file open.
  static Mapped mapped(std::string_view maps, Identity file, std::optional<Identity> shm,
                       const std::function<std::optional<Identity>(const char* path)>& identify,
                       const std::function<bool(Identity)>& hasOpen);

 private:
  static std::optional<std::vector<Listed>> listedHolders(int descriptor, const ListedFile& file,
                                                          const std::optional<ListedFile>& shm,
                                                          off_t ownMark);
};

}  // namespace kelvo::data_internal
