#include "platform/data/internal/StoreLocks.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace kelvo::data_internal {

namespace {

// SQLite's unix locking offsets: the shared range of the database file, and the -shm byte every
// process that maps it holds a read lock on.
constexpr std::uint64_t sharedFirst = 0x40000000 + 2;
constexpr std::uint64_t sharedLast = sharedFirst + 510 - 1;
constexpr std::uint64_t shmHeld = 128;

struct Holder {
  pid_t process = 0;
  bool file = false;
  bool shm = false;
  bool otherShm = false;
};

// The next field of a line, blanks before it skipped.
std::string_view field(std::string_view& line) {
  const auto start = line.find_first_not_of(' ');
  if (start == std::string_view::npos) {
    line = {};
    return {};
  }
  line.remove_prefix(start);
  const auto end = line.find(' ');
  const std::string_view word = line.substr(0, end);
  line.remove_prefix(end == std::string_view::npos ? line.size() : end);
  return word;
}

template <class Number>
bool parse(std::string_view text, Number& number) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() && end == text.data() + text.size();
}

// One line, "1: POSIX  ADVISORY  READ 6666 fe:00:10953099 128 128", into `holders`; a lock that
// is only waited for ("1: -> POSIX ...") or is not a process's record lock is passed over.
void take(std::string_view line, std::optional<ino_t> file, std::optional<ino_t> shm, pid_t self,
          std::vector<Holder>& holders) {
  field(line);  // the lock's number
  if (field(line) != "POSIX") return;
  field(line);  // ADVISORY
  field(line);  // READ or WRITE
  pid_t process = 0;
  if (!parse(field(line), process) || process <= 0 || process == self) return;
  const std::string_view where = field(line);
  const auto colon = where.rfind(':');
  std::uint64_t inode = 0;
  std::uint64_t first = 0;
  std::uint64_t last = UINT64_MAX;
  if (colon == std::string_view::npos || !parse(where.substr(colon + 1), inode) ||
      !parse(field(line), first)) {
    return;
  }
  if (const std::string_view end = field(line); end != "EOF" && !parse(end, last)) return;
  const bool onFile = file && inode == *file && first <= sharedLast && last >= sharedFirst;
  const bool onShmByte = first <= shmHeld && last >= shmHeld;
  if (!onFile && !onShmByte) return;
  Holder* holder = nullptr;
  for (Holder& each : holders) {
    if (each.process == process) holder = &each;
  }
  if (holder == nullptr) holder = &holders.emplace_back(Holder{process});
  if (onFile) {
    holder->file = true;
  } else if (shm && inode == *shm) {
    holder->shm = true;
  } else if (!file || inode != *file) {
    holder->otherShm = true;
  }
}

// Calls `each` with every line of the system's list of locks, read through a buffer on the
// stack: the list is read at every open. False where there is no list.
template <class Each>
bool eachListedLock(const Each& each) {
  const int fd = ::open("/proc/locks", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[4096];
  std::size_t kept = 0;
  while (true) {
    const ssize_t count = ::read(fd, buffer + kept, sizeof buffer - kept);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    const std::string_view read(buffer, kept + static_cast<std::size_t>(count));
    std::size_t start = 0;
    for (std::size_t end; (end = read.find('\n', start)) != std::string_view::npos;
         start = end + 1) {
      each(read.substr(start, end - start));
    }
    kept = read.size() - start;
    // No lock's line is as long as the buffer: such a line is no lock.
    if (kept == sizeof buffer) kept = 0;
    std::memmove(buffer, buffer + start, kept);
  }
  ::close(fd);
  if (kept > 0) each(std::string_view(buffer, kept));
  return true;
}

// The first holder that does not go together with the name, over the locks `take` gathered.
StoreLocks::Found conflictAmong(const std::vector<Holder>& holders) {
  for (const Holder& holder : holders) {
    // Without a -shm of its own elsewhere, a process holding the file alone is between its lock
    // on the file and its -shm (opening, or closing), or reads without one.
    if (holder.file && !holder.shm && holder.otherShm) {
      return {StoreLocks::Conflict::fileByAnotherName, holder.process};
    }
    if (holder.shm && !holder.file) return {StoreLocks::Conflict::shmOfAnotherFile, holder.process};
  }
  return {};
}

}  // namespace

StoreLocks::Found StoreLocks::find(std::string_view list, std::optional<ino_t> file,
                                   std::optional<ino_t> shm, pid_t self) {
  std::vector<Holder> holders;
  while (!list.empty()) {
    const auto end = list.find('\n');
    take(list.substr(0, end), file, shm, self, holders);
    list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
  }
  return conflictAmong(holders);
}

StoreLocks::Found StoreLocks::find(std::optional<ino_t> file, std::optional<ino_t> shm) {
  std::vector<Holder> holders;
  const pid_t self = ::getpid();
  eachListedLock([&](std::string_view line) { take(line, file, shm, self, holders); });
  return conflictAmong(holders);
}

}  // namespace kelvo::data_internal
