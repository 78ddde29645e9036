#include "platform/data/internal/StoreLocks.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace kelvo::data_internal {

namespace {

// SQLite's unix locking offsets: the shared range of the database file, which every connection
// holds for reading while it has the file open in WAL mode and for writing while it closes it,
// and the byte of the -shm every process that has it open holds for reading.
constexpr off_t sharedFirst = 0x40000000 + 2;
constexpr off_t sharedSize = 510;
constexpr off_t shmHeld = 128;
// The bytes that stand for names: a quarter of the offsets a lock can reach, far past any a
// store reaches (SQLite's largest is 2^47 bytes).
constexpr off_t marksFirst = off_t{1} << 61;
constexpr off_t marksSize = off_t{1} << 60;

// A lock test's answer, with the range of the lock it found.
struct Tested {
  StoreLocks::Held held;
  off_t start = 0;
  off_t length = 0;
};

Tested test(int descriptor, off_t start, off_t length) {
  using Lock = StoreLocks::Held::Lock;
  if (descriptor < 0) return {{Lock::unknown}};
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = start;
  lock.l_len = length;
  // A test answers at once: it waits for nothing.
  if (::fcntl(descriptor, F_GETLK, &lock) != 0) return {{Lock::unknown}};
  if (lock.l_type == F_UNLCK) return {};
  // Another pid namespace's holder is 0, and an open file description's lock -1: no process
  // this one can name.
  return {{lock.l_type == F_WRLCK ? Lock::write : Lock::read, lock.l_pid > 0 ? lock.l_pid : 0,
           lock.l_pid < 0},
          lock.l_start,
          lock.l_len};
}

bool setLock(int descriptor, short type, off_t at) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = at;
  lock.l_len = 1;
  return descriptor >= 0 && ::fcntl(descriptor, F_SETLK, &lock) == 0;
}

// Closes a descriptor on every way out.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// The whole of a file the system makes up as it is read (/proc), read in as few reads as it
// allows, as each read of the list of locks is a moment of its own; none where it cannot be
// read, `error` then telling why.
std::optional<std::string> readWhole(const char* path, int& error) {
  const Descriptor file{::open(path, O_RDONLY | O_CLOEXEC)};
  if (file.fd < 0) {
    error = errno;
    return std::nullopt;
  }
  std::string text;
  std::size_t size = 0;
  while (true) {
    if (text.size() < size + 16384) text.resize(std::max<std::size_t>(65536, 2 * text.size()));
    const ssize_t count = ::read(file.fd, text.data() + size, text.size() - size);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      error = errno;
      return std::nullopt;
    }
    if (count == 0) break;
    size += static_cast<std::size_t>(count);
  }
  text.resize(size);
  return text;
}

std::optional<std::string> readWhole(const char* path) {
  int ignored = 0;
  return readWhole(path, ignored);
}

// The next word of a line, blanks before it skipped.
std::string_view nextWord(std::string_view& line) {
  std::size_t at = 0;
  while (at < line.size() && line[at] == ' ') ++at;
  std::size_t end = at;
  while (end < line.size() && line[end] != ' ') ++end;
  const std::string_view word = line.substr(at, end - at);
  line.remove_prefix(end);
  return word;
}

// The path a line of a memory map ends in: after five fields, blanks before it skipped.
std::string_view pathOf(std::string_view line) {
  for (int field = 0; field < 5; ++field) nextWord(line);
  while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  return line;
}

std::optional<StoreLocks::Identity> identityAt(const char* path) {
  struct stat status {};
  if (::stat(path, &status) != 0) return std::nullopt;
  return StoreLocks::Identity{static_cast<std::uint64_t>(status.st_dev),
                              static_cast<std::uint64_t>(status.st_ino)};
}

// A decimal number as the kernel writes one: digits alone, with no leading zero.
bool parse(std::string_view text, std::uint64_t& number) {
  if (text.empty() || text.size() > 19 || (text.size() > 1 && text.front() == '0')) return false;
  number = 0;
  for (const char digit : text) {
    if (digit < '0' || digit > '9') return false;
    number = number * 10 + static_cast<std::uint64_t>(digit - '0');
  }
  return true;
}

// A file system's device as the kernel writes it: "fe:01".
std::string deviceText(std::uint64_t major, std::uint64_t minor) {
  char device[48];
  std::snprintf(device, sizeof device, "%02llx:%02llx", static_cast<unsigned long long>(major),
                static_cast<unsigned long long>(minor));
  return device;
}

// The device of the file system `descriptor` is on, as the kernel writes it in its list of
// locks and in memory maps (its superblock's, which `stat` does not give for a btrfs subvolume):
// from the mount the descriptor is on.
std::optional<std::string> deviceOf(int descriptor) {
  const auto info = readWhole(("/proc/self/fdinfo/" + std::to_string(descriptor)).c_str());
  if (!info) return std::nullopt;
  // "mnt_id:\t<n>".
  const auto at = info->find("mnt_id:");
  if (at == std::string::npos) return std::nullopt;
  std::string_view number = std::string_view(*info).substr(at + 7);
  while (!number.empty() && (number.front() == '\t' || number.front() == ' ')) {
    number.remove_prefix(1);
  }
  std::uint64_t mount = 0;
  if (!parse(number.substr(0, number.find('\n')), mount)) return std::nullopt;
  const auto mounts = readWhole("/proc/self/mountinfo");
  if (!mounts) return std::nullopt;
  // Each line: mount id, parent id, major:minor, ...
  std::string_view text = *mounts;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    std::uint64_t id = 0;
    if (!parse(nextWord(line), id) || id != mount) continue;
    nextWord(line);
    const std::string_view numbers = nextWord(line);
    const auto colon = numbers.find(':');
    std::uint64_t major = 0;
    std::uint64_t minor = 0;
    if (colon == std::string_view::npos || !parse(numbers.substr(0, colon), major) ||
        !parse(numbers.substr(colon + 1), minor)) {
      return std::nullopt;
    }
    return deviceText(major, minor);
  }
  return std::nullopt;
}

// The files `process` has open (/proc/<pid>/fd); none where they may not be read.
std::optional<std::vector<StoreLocks::Identity>> openFiles(pid_t process) {
  std::error_code failed;
  std::filesystem::directory_iterator each("/proc/" + std::to_string(process) + "/fd", failed);
  if (failed) return std::nullopt;
  std::vector<StoreLocks::Identity> open;
  for (const std::filesystem::directory_iterator end; !failed && each != end;
       each.increment(failed)) {
    if (const auto identity = identityAt(each->path().c_str())) open.push_back(*identity);
  }
  return open;
}

// The list names the files of a btrfs subvolume or snapshot by the superblock's device, which
// they share with every other subvolume, where `stat` tells them apart: another file there may
// have this inode number. A hold or a mark of the file counts only where its holder has this
// very file open, or where that cannot be read.
void keepHoldersOfThisFile(std::vector<StoreLocks::Listed>& found, int descriptor,
                           const std::string& listedDevice) {
  struct stat status {};
  if (found.empty() || ::fstat(descriptor, &status) != 0 ||
      deviceText(major(status.st_dev), minor(status.st_dev)) == listedDevice) {
    return;
  }
  const StoreLocks::Identity file{static_cast<std::uint64_t>(status.st_dev),
                                  static_cast<std::uint64_t>(status.st_ino)};
  std::erase_if(found, [&](StoreLocks::Listed& each) {
    if (each.holdsFile || each.mark != StoreLocks::Listed::Mark::none) {
      const auto open = openFiles(each.process);
      if (!open || std::find(open->begin(), open->end(), file) != open->end()) return false;
      each.holdsFile = false;
      each.mark = StoreLocks::Listed::Mark::none;
    }
    return !each.holdsShm;
  });
}

// This process as the system's lists name it: /proc may be another pid namespace's.
pid_t selfAsProcNamesIt() {
  char self[32] = {};
  std::uint64_t pid = 0;
  const ssize_t length = ::readlink("/proc/self", self, sizeof self - 1);
  if (length <= 0 || !parse(std::string_view(self, static_cast<std::size_t>(length)), pid)) {
    return ::getpid();
  }
  return static_cast<pid_t>(pid);
}

}  // namespace

StoreLocks::Held StoreLocks::onStore(int descriptor) {
  return test(descriptor, sharedFirst, sharedSize).held;
}

StoreLocks::Held StoreLocks::onShm(int descriptor) { return test(descriptor, shmHeld, 1).held; }

off_t StoreLocks::markOf(Identity folder, std::string_view name) {
  // FNV-1a over the folder's device and inode and the name: the same in every program.
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  const auto add = [&](unsigned char byte) {
    hash ^= byte;
    hash *= 0x100000001b3ULL;
  };
  for (const std::uint64_t number : {folder.device, folder.inode}) {
    for (int shift = 0; shift < 64; shift += 8) add(static_cast<unsigned char>(number >> shift));
  }
  for (const char byte : name) add(static_cast<unsigned char>(byte));
  return marksFirst + static_cast<off_t>(hash % static_cast<std::uint64_t>(marksSize));
}

bool StoreLocks::mark(int descriptor, off_t at) { return setLock(descriptor, F_RDLCK, at); }

void StoreLocks::unmark(int descriptor, off_t at) { setLock(descriptor, F_UNLCK, at); }

StoreLocks::Marks StoreLocks::onMarks(int descriptor, off_t own) {
  Marks marks;
  marks.thisName = test(descriptor, own, 1).held;
  // The other names' bytes, below this name's and above it: a lock of one byte among them is a
  // mark; any other (a whole-file lock) hides what is behind it.
  const std::pair<off_t, off_t> others[] = {{marksFirst, own - marksFirst},
                                            {own + 1, marksFirst + marksSize - own - 1}};
  for (const auto& [start, length] : others) {
    if (length <= 0) continue;
    const Tested found = test(descriptor, start, length);
    if (!found.held.held()) continue;
    if (found.length == 1 && found.start >= marksFirst && found.start < marksFirst + marksSize) {
      marks.otherName = found.held;
      return marks;
    }
    marks.otherName.lock = Held::Lock::unknown;
  }
  return marks;
}

std::vector<StoreLocks::Listed> StoreLocks::holders(std::string_view list, const ListedFile& file,
                                                    const std::optional<ListedFile>& shm,
                                                    off_t ownMark, pid_t self) {
  std::vector<Listed> found;
  const auto entry = [&](pid_t process) -> Listed& {
    for (Listed& each : found) {
      if (each.process == process) return each;
    }
    found.push_back({process});
    return found.back();
  };
  const auto is = [](std::string_view where, const ListedFile& listed) {
    const auto colon = where.rfind(':');
    std::uint64_t inode = 0;
    return colon != std::string_view::npos && where.substr(0, colon) == listed.device &&
           parse(where.substr(colon + 1), inode) && inode == listed.inode;
  };
  // Each line: "1: POSIX  ADVISORY  READ 6666 fe:00:10953099 1073741826 1073742335"; a lock only
  // waited for ("1: -> POSIX ...") is none held, and one to the end of the file ("0 EOF") none
  // SQLite takes.
  while (!list.empty()) {
    const auto end = list.find('\n');
    std::string_view line = list.substr(0, end);
    list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
    nextWord(line);
    if (nextWord(line) != "POSIX") continue;
    nextWord(line);
    nextWord(line);
    std::uint64_t process = 0;
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    if (!parse(nextWord(line), process) || process == 0 || process > INT32_MAX ||
        static_cast<pid_t>(process) == self) {
      continue;
    }
    const std::string_view where = nextWord(line);
    if (!parse(nextWord(line), first) || !parse(nextWord(line), last) || last < first) continue;
    const auto pid = static_cast<pid_t>(process);
    if (is(where, file)) {
      // SQLite's shared or exclusive lock on the file: the shared range, the pending byte with it.
      if (first <= static_cast<std::uint64_t>(sharedFirst) &&
          last >= static_cast<std::uint64_t>(sharedFirst) &&
          last <= static_cast<std::uint64_t>(sharedFirst + sharedSize - 1)) {
        entry(pid).holdsFile = true;
      } else if (first == last && first >= static_cast<std::uint64_t>(marksFirst) &&
                 first < static_cast<std::uint64_t>(marksFirst + marksSize)) {
        Listed& holder = entry(pid);
        if (first != static_cast<std::uint64_t>(ownMark)) {
          holder.mark = Listed::Mark::anotherName;
        } else if (holder.mark == Listed::Mark::none) {
          holder.mark = Listed::Mark::thisName;
        }
      }
    } else if (shm && is(where, *shm) && first <= static_cast<std::uint64_t>(shmHeld) &&
               last >= static_cast<std::uint64_t>(shmHeld)) {
      entry(pid).holdsShm = true;
    }
  }
  return found;
}

// The list read now, for the store file SQLite has open as `descriptor`, as the list names it.
std::optional<std::vector<StoreLocks::Listed>> StoreLocks::listedHolders(
    int descriptor, const ListedFile& file, const std::optional<ListedFile>& shm, off_t ownMark) {
  const auto list = readWhole("/proc/locks");
  if (!list) return std::nullopt;
  auto found = holders(*list, file, shm, ownMark, selfAsProcNamesIt());
  keepHoldersOfThisFile(found, descriptor, file.device);
  return found;
}

std::optional<std::vector<StoreLocks::Listed>> StoreLocks::holders(int descriptor,
                                                                   std::uint64_t inode,
                                                                   int shmDescriptor,
                                                                   off_t ownMark) {
  if (descriptor < 0) return std::nullopt;
  const auto device = deviceOf(descriptor);
  if (!device) return std::nullopt;
  std::optional<ListedFile> shm;
  struct stat status {};
  if (shmDescriptor >= 0 && ::fstat(shmDescriptor, &status) == 0) {
    // Beside the store, on its file system, but for a -shm bound there alone.
    if (const auto shmDevice = deviceOf(shmDescriptor)) {
      shm = ListedFile{*shmDevice, static_cast<std::uint64_t>(status.st_ino)};
    }
  }
  return listedHolders(descriptor, {*device, inode}, shm, ownMark);
}

std::optional<std::vector<StoreLocks::Listed>> StoreLocks::holders(int descriptor,
                                                                   std::uint64_t inode,
                                                                   std::uint32_t shmMajor,
                                                                   std::uint32_t shmMinor,
                                                                   std::uint64_t shmInode) {
  if (descriptor < 0) return std::nullopt;
  const auto device = deviceOf(descriptor);
  if (!device) return std::nullopt;
  return listedHolders(descriptor, {*device, inode},
                       ListedFile{deviceText(shmMajor, shmMinor), shmInode}, 0);
}

StoreLocks::Found StoreLocks::judge(const Tests& tests,
                                    const std::optional<std::vector<Listed>>& listed,
                                    const MapsLookup& maps) {
  const Held& file = tests.file;
  const Held& shm = tests.shm;
  // A file system that keeps no record locks tells nothing of either file.
  if (file.lock == Held::Lock::unknown) return {};
  if (file.lock == Held::Lock::write) return {Conflict::locked, file.process};
  // A program of this library that opened the file by another name, whatever its namespaces.
  if (tests.marks.otherName.held())
    return {Conflict::fileByAnotherName, tests.marks.otherName.process};
  if (listed) {
    for (const Listed& each : *listed) {
      if (each.mark == Listed::Mark::anotherName)
        return {Conflict::fileByAnotherName, each.process};
    }
  }
  if (file.lock == Held::Lock::none) {
    // A -shm held beside a name whose file nobody holds: a process opening the file takes the
    // file's lock first, and one closing it lets the -shm go first.
    if (shm.held()) return {Conflict::shmOfAnotherFile, shm.process};
    return {};
  }
  // Every holder the test or the list names: which name it holds the file by.
  std::vector<pid_t> holders;
  if (file.process > 0) holders.push_back(file.process);
  if (listed) {
    for (const Listed& each : *listed) {
      if (each.holdsFile &&
          std::find(holders.begin(), holders.end(), each.process) == holders.end()) {
        holders.push_back(each.process);
      }
    }
  }
  std::optional<Found> pending;
  for (const pid_t process : holders) {
    const Listed* entry = nullptr;
    if (listed) {
      const auto at = std::find_if(listed->begin(), listed->end(),
                                   [&](const Listed& each) { return each.process == process; });
      if (at != listed->end()) entry = &*at;
    }
    // Its mark, or its hold on this name's -shm, tells it shares this name.
    if (entry != nullptr && (entry->mark == Listed::Mark::thisName || entry->holdsShm)) continue;
    if (shm.held() && process == shm.process) continue;
    switch (maps(process)) {
      case Mapped::anotherName:
        return {Conflict::fileByAnotherName, process};
      case Mapped::noneOfTheFile:
        if (!pending) pending = Found{Conflict::withoutShm, process};
        break;
      case Mapped::unknown:
        if (!pending) pending = Found{Conflict::unreadableHolder, process};
        break;
      case Mapped::thisName:
      case Mapped::gone:
        break;
    }
  }
  if (pending) return *pending;
  // A holder the test cannot name, in a pid namespace this one cannot see into: one that marks
  // this name, unseen too, is taken for it. One that holds this name's -shm is not: a program
  // using SQLite alone that reads at this name would hide another that holds the file by
  // another name.
  if (file.process == 0 && !file.byOpenFile) {
    if (tests.marks.thisName.held() && tests.marks.thisName.process == 0) return {};
    return {Conflict::unseenHolder, 0};
  }
  return {};
}

StoreLocks::Mapped StoreLocks::mapped(
    std::string_view maps, Identity file, std::optional<Identity> shm,
    const std::function<std::optional<Identity>(const char* path)>& identify,
    const std::function<bool(Identity)>& hasOpen) {
  Mapped found = Mapped::noneOfTheFile;
  std::string path;
  while (!maps.empty()) {
    const auto end = maps.find('\n');
    std::string_view line = maps.substr(0, end);
    maps.remove_prefix(end == std::string_view::npos ? maps.size() : end + 1);
    // A -shm removed since it was mapped ("… (deleted)") lies beside nothing.
    const std::string_view mappedPath = pathOf(line);
    // A path the system writes holds no NUL byte; one that does would be looked up cut short.
    if (!mappedPath.ends_with("-shm") || mappedPath.front() != '/' ||
        mappedPath.find('\0') != std::string_view::npos) {
      continue;
    }
    for (int field = 0; field < 4; ++field) nextWord(line);
    std::uint64_t inode = 0;
    if (!parse(nextWord(line), inode)) continue;
    path.assign(mappedPath);
    const auto mappedShm = identify(path.c_str());
    // The path names another file now (the -shm was made anew), or nothing.
    if (!mappedShm || mappedShm->inode != inode) continue;
    // This name's -shm, through whatever path (two mounts of one folder): this name.
    if (shm && *mappedShm == *shm) return Mapped::thisName;
    // Beside the file, or beside a name that no longer leads to a store the process has open
    // (the file moved away from it, most often); another store's is none of this file.
    path.resize(path.size() - 4);
    const auto beside = identify(path.c_str());
    if (beside == file || !beside || !hasOpen(*beside)) found = Mapped::anotherName;
  }
  return found;
}

StoreLocks::Mapped StoreLocks::mapped(pid_t process, Identity file, std::optional<Identity> shm) {
  const std::string proc = "/proc/" + std::to_string(process);
  int error = 0;
  const auto maps = readWhole((proc + "/maps").c_str(), error);
  // A process that exited meanwhile holds nothing; one whose map this one may not read, or that
  // /proc hides from it, is unknown.
  const auto exited = [&] { return ::kill(process, 0) != 0 && errno == ESRCH; };
  if (!maps)
    return (error == ENOENT || error == ESRCH) && exited() ? Mapped::gone : Mapped::unknown;
  if (maps->empty()) return exited() ? Mapped::gone : Mapped::noneOfTheFile;
  // Its paths are its mount namespace's: read through its root where that is not this one's.
  struct stat own {};
  struct stat its {};
  const bool elsewhere = ::stat("/proc/self/ns/mnt", &own) == 0 &&
                         ::stat((proc + "/ns/mnt").c_str(), &its) == 0 && own.st_ino != its.st_ino;
  const std::string root = elsewhere ? proc + "/root" : std::string();
  std::string rooted;
  const auto identify = [&](const char* path) {
    if (root.empty()) return identityAt(path);
    rooted = root + path;
    return identityAt(rooted.c_str());
  };
  std::optional<std::vector<Identity>> open;
  const auto hasOpen = [&](Identity wanted) {
    if (!open) open = openFiles(process).value_or(std::vector<Identity>{});
    return std::find(open->begin(), open->end(), wanted) != open->end();
  };
  return mapped(*maps, file, shm, identify, hasOpen);
}

}  // namespace kelvo::data_internal
