#include "platform/data/internal/StoreLocks.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdint>
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

}  // namespace

StoreLocks::Held StoreLocks::onStore(int descriptor) {
  return test(descriptor, sharedFirst, sharedSize);
}

StoreLocks::Held StoreLocks::onShm(int descriptor) { return test(descriptor, shmHeld, 1); }

StoreLocks::Found StoreLocks::judge(Held file, Held shm, const MapsLookup& maps) {
  // A file system that keeps no record locks tells nothing of either file.
  if (file.lock == Held::Lock::unknown) return {};
  if (file.lock == Held::Lock::write) return {Conflict::locked, file.process};
  if (file.lock == Held::Lock::read) {
    // Someone holds this name's -shm. A lock test names the oldest holder of a range first:
    // where that is another process than the -shm's, it is asked whether it opened the file by
    // another name, which newer holders of this name's -shm would hide.
    if (shm.held()) {
      if (file.process == 0 || file.process == shm.process ||
          maps(file.process) != Mapped::anotherName) {
        return {};
      }
      return {Conflict::fileByAnotherName, file.process};
    }
    if (file.process == 0) return {Conflict::unseenHolder, 0};
    switch (maps(file.process)) {
      case Mapped::noOtherName:
        return {};
      case Mapped::anotherName:
        return {Conflict::fileByAnotherName, file.process};
      case Mapped::unknown:
        return {Conflict::unseenHolder, file.process};
    }
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
