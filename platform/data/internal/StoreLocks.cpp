#include "platform/data/internal/StoreLocks.hpp"

#include <fcntl.h>
#include <sys/stat.h>
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

StoreLocks::Held test(int descriptor, off_t start, off_t length) {
  using Lock = StoreLocks::Held::Lock;
  if (descriptor < 0) return {Lock::unknown};
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = start;
  lock.l_len = length;
  // A test answers at once: it waits for nothing.
  if (::fcntl(descriptor, F_GETLK, &lock) != 0) return {Lock::unknown};
  if (lock.l_type == F_UNLCK) return {};
  // Another pid namespace's holder is 0, and an open file description's lock -1: no process
  // this one can name.
  return {lock.l_type == F_WRLCK ? Lock::write : Lock::read, lock.l_pid > 0 ? lock.l_pid : 0};
}

// Closes a descriptor on every way out.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// The whole of a file the system makes up as it is read (/proc); none where it cannot be read.
std::optional<std::string> readWhole(const char* path) {
  const Descriptor file{::open(path, O_RDONLY | O_CLOEXEC)};
  if (file.fd < 0) return std::nullopt;
  std::string text;
  std::size_t size = 0;
  while (true) {
    if (text.size() < size + 16384) text.resize(size + 16384);
    const ssize_t count = ::read(file.fd, text.data() + size, text.size() - size);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return std::nullopt;
    if (count == 0) break;
    size += static_cast<std::size_t>(count);
  }
  text.resize(size);
  return text;
}

// The path a line of a memory map ends in: after five fields, blanks before it skipped.
std::string_view pathOf(std::string_view line) {
  std::size_t at = 0;
  for (int field = 0; field < 5; ++field) {
    while (at < line.size() && line[at] == ' ') ++at;
    while (at < line.size() && line[at] != ' ') ++at;
  }
  while (at < line.size() && line[at] == ' ') ++at;
  return line.substr(at);
}

std::optional<StoreLocks::Identity> identityAt(const char* path) {
  struct stat status {};
  if (::stat(path, &status) != 0) return std::nullopt;
  return StoreLocks::Identity{static_cast<std::uint64_t>(status.st_dev),
                              static_cast<std::uint64_t>(status.st_ino)};
}

// A decimal number: digits alone.
bool parse(std::string_view text, std::uint64_t& number) {
  if (text.empty() || text.size() > 19) return false;
  number = 0;
  for (const char digit : text) {
    if (digit < '0' || digit > '9') return false;
    number = number * 10 + static_cast<std::uint64_t>(digit - '0');
  }
  return true;
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

// The device of the file system `descriptor` is on, as the kernel writes it in its list of
// locks ("fe:01", its superblock's, which `stat` does not give for a btrfs subvolume): from the
// mount the descriptor is on.
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
    char device[40];
    std::snprintf(device, sizeof device, "%02llx:%02llx", static_cast<unsigned long long>(major),
                  static_cast<unsigned long long>(minor));
    return std::string(device);
  }
  return std::nullopt;
}

}  // namespace

std::vector<pid_t> StoreLocks::holders(std::string_view list, std::uint64_t inode,
                                       std::string_view device, pid_t self) {
  std::vector<pid_t> found;
  // Each line: "1: POSIX  ADVISORY  READ 6666 fe:00:10953099 1073741826 1073742335"; a lock only
  // waited for ("1: -> POSIX ...") is none held.
  while (!list.empty()) {
    const auto end = list.find('\n');
    std::string_view line = list.substr(0, end);
    list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
    nextWord(line);
    if (nextWord(line) != "POSIX") continue;
    nextWord(line);
    nextWord(line);
    std::uint64_t process = 0;
    std::uint64_t lockedInode = 0;
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    if (!parse(nextWord(line), process) || process == 0 || process > INT32_MAX ||
        static_cast<pid_t>(process) == self) {
      continue;
    }
    const std::string_view where = nextWord(line);
    const auto colon = where.rfind(':');
    if (colon == std::string_view::npos || where.substr(0, colon) != device ||
        !parse(where.substr(colon + 1), lockedInode) || lockedInode != inode ||
        !parse(nextWord(line), first) || !parse(nextWord(line), last)) {
      continue;
    }
    // SQLite's shared or exclusive lock on the file: the shared range, the pending byte with it.
    if (first > static_cast<std::uint64_t>(sharedFirst) ||
        last < static_cast<std::uint64_t>(sharedFirst) ||
        last > static_cast<std::uint64_t>(sharedFirst + sharedSize - 1)) {
      continue;
    }
    if (std::find(found.begin(), found.end(), static_cast<pid_t>(process)) == found.end()) {
      found.push_back(static_cast<pid_t>(process));
    }
  }
  return found;
}

std::optional<std::vector<pid_t>> StoreLocks::holders(int descriptor, std::uint64_t inode) {
  if (descriptor < 0) return std::nullopt;
  const auto device = deviceOf(descriptor);
  if (!device) return std::nullopt;
  const auto list = readWhole("/proc/locks");
  if (!list) return std::nullopt;
  // This process as the list names it: /proc may be another pid namespace's.
  char self[32] = {};
  std::uint64_t pid = 0;
  const ssize_t length = ::readlink("/proc/self", self, sizeof self - 1);
  if (length <= 0 || !parse(std::string_view(self, static_cast<std::size_t>(length)), pid)) {
    pid = static_cast<std::uint64_t>(::getpid());
  }
  return holders(*list, inode, *device, static_cast<pid_t>(pid));
}

StoreLocks::Held StoreLocks::onStore(int descriptor) {
  return test(descriptor, sharedFirst, sharedSize);
}

StoreLocks::Held StoreLocks::onShm(int descriptor) { return test(descriptor, shmHeld, 1); }

StoreLocks::Found StoreLocks::judge(Held file, Held shm, std::span<const pid_t> listed,
                                    const MapsLookup& maps) {
  // A file system that keeps no record locks tells nothing of either file.
  if (file.lock == Held::Lock::unknown) return {};
  if (file.lock == Held::Lock::write) return {Conflict::locked, file.process};
  if (file.lock == Held::Lock::read) {
    // Each holder of the file is asked whether it opened it by another name: a holder of this
    // name's -shm besides would hide one that did, and a lock test names only one holder.
    std::optional<Found> unseen;
    const auto ask = [&](pid_t process) -> std::optional<Found> {
      if (process <= 0 || (shm.held() && process == shm.process)) return std::nullopt;
      switch (maps(process)) {
        case Mapped::anotherName:
          return Found{Conflict::fileByAnotherName, process};
        case Mapped::unknown:
          if (!unseen) unseen = Found{Conflict::unseenHolder, process};
          return std::nullopt;
        case Mapped::noOtherName:
          return std::nullopt;
      }
      return std::nullopt;
    };
    if (const auto found = ask(file.process)) return *found;
    for (const pid_t process : listed) {
      if (process == file.process) continue;
      if (const auto found = ask(process)) return *found;
    }
    // Nobody holds this name's -shm: a holder that cannot be told is not taken to share it.
    if (shm.held()) return {};
    if (file.process == 0) return {Conflict::unseenHolder, 0};
    return unseen.value_or(Found{});
  }
  // A -shm held beside a name whose file nobody holds: a process opening the file takes the
  // file's lock first, and one closing it lets the -shm go first.
  if (shm.held()) return {Conflict::shmOfAnotherFile, shm.process};
  return {};
}

StoreLocks::Mapped StoreLocks::mapped(
    std::string_view maps, Identity file, std::optional<Identity> shm,
    const std::function<std::optional<Identity>(const char* path)>& identify,
    const std::function<bool(Identity)>& hasOpen) {
  Mapped found = Mapped::noOtherName;
  std::string path;
  while (!maps.empty()) {
    const auto end = maps.find('\n');
    const std::string_view line = maps.substr(0, end);
    maps.remove_prefix(end == std::string_view::npos ? maps.size() : end + 1);
    // A -shm removed since it was mapped lies beside nothing.
    const std::string_view mappedPath = pathOf(line);
    // A path the system writes holds no NUL byte; one that does would be looked up cut short.
    if (!mappedPath.ends_with("-shm") || mappedPath.front() != '/' ||
        mappedPath.find('\0') != std::string_view::npos) {
      continue;
    }
    path.assign(mappedPath);
    const auto mappedShm = identify(path.c_str());
    if (!mappedShm) continue;
    // This name's -shm, through whatever path (two mounts of one folder): no other name.
    if (shm && *mappedShm == *shm) return Mapped::noOtherName;
    // Beside the file, or beside a name that no longer leads to a store the process has open
    // (the file moved away from it, most often).
    path.resize(path.size() - 4);
    const auto beside = identify(path.c_str());
    if (beside == file || !beside || !hasOpen(*beside)) found = Mapped::anotherName;
  }
  return found;
}

StoreLocks::Mapped StoreLocks::mapped(pid_t process, Identity file, std::optional<Identity> shm) {
  const auto maps = readWhole(("/proc/" + std::to_string(process) + "/maps").c_str());
  if (!maps) return Mapped::unknown;
  const std::string descriptors = "/proc/" + std::to_string(process) + "/fd/";
  std::optional<std::vector<Identity>> open;
  const auto hasOpen = [&](Identity wanted) {
    if (!open) {
      open.emplace();
      std::error_code error;
      for (std::filesystem::directory_iterator each(descriptors, error), end; !error && each != end;
           each.increment(error)) {
        if (const auto identity = identityAt(each->path().c_str())) open->push_back(*identity);
      }
    }
    return std::find(open->begin(), open->end(), wanted) != open->end();
  };
  return mapped(*maps, file, shm, identityAt, hasOpen);
}

}  // namespace kelvo::data_internal
