#include "platform/data/internal/StoreLocks.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
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
};

// What the list says of the two files, and which processes hold the byte of some other -shm.
struct Holders {
  std::vector<Holder> ofTheFiles;
  std::vector<pid_t> ofAnotherShm;
};

// The words of one line, read by hand: the list is read at every open, and may be long on a
// machine whose programs hold many files.
class Words {
 public:
  explicit Words(std::string_view line) : at_(line.data()), end_(line.data() + line.size()) {}
  std::string_view next() {
    while (at_ < end_ && *at_ == ' ') ++at_;
    const char* start = at_;
    while (at_ < end_ && *at_ != ' ') ++at_;
    return {start, static_cast<std::size_t>(at_ - start)};
  }

 private:
  const char* at_;
  const char* end_;
};

// A decimal number of the list: digits alone (a pid of -1 is none).
bool parse(std::string_view text, std::uint64_t& number) {
  if (text.empty() || text.size() > 19) return false;
  number = 0;
  for (const char digit : text) {
    if (digit < '0' || digit > '9') return false;
    number = number * 10 + static_cast<std::uint64_t>(digit - '0');
  }
  return true;
}

// A process's record lock, as one line of the list gives it.
struct Lock {
  pid_t process = 0;
  std::uint64_t inode = 0;
  std::uint64_t first = 0;
  std::uint64_t last = UINT64_MAX;
};

// Reads one line, "1: POSIX  ADVISORY  READ 6666 fe:00:10953099 128 128"; false for a lock that
// is only waited for ("1: -> POSIX ..."), one that is not a process's record lock, and anything
// else.
bool parseLock(std::string_view line, Lock& lock) {
  Words words(line);
  words.next();  // the lock's number
  if (words.next() != "POSIX") return false;
  words.next();  // ADVISORY
  words.next();  // READ or WRITE
  std::uint64_t process = 0;
  if (!parse(words.next(), process) || process == 0 || process > INT32_MAX) return false;
  lock.process = static_cast<pid_t>(process);
  const std::string_view where = words.next();
  const auto colon = where.rfind(':');
  if (colon == std::string_view::npos || !parse(where.substr(colon + 1), lock.inode) ||
      !parse(words.next(), lock.first)) {
    return false;
  }
  lock.last = UINT64_MAX;
  const std::string_view end = words.next();
  return end == "EOF" || parse(end, lock.last);
}

// Gathers into `holders` what the lock on one line says of the two files, and of other -shm.
void take(std::string_view line, std::optional<ino_t> file, std::optional<ino_t> shm, pid_t self,
          Holders& holders) {
  Lock lock;
  if (!parseLock(line, lock) || lock.process == self) return;
  const bool onFile = file && lock.inode == *file;
  const bool onShm = shm && lock.inode == *shm;
  const bool onShmByte = lock.first <= shmHeld && lock.last >= shmHeld;
  if (!onFile && !onShm) {
    if (onShmByte) holders.ofAnotherShm.push_back(lock.process);
    return;
  }
  if (onFile ? (lock.first > sharedLast || lock.last < sharedFirst) : !onShmByte) return;
  Holder* holder = nullptr;
  for (Holder& each : holders.ofTheFiles) {
    if (each.process == lock.process) holder = &each;
  }
  if (holder == nullptr) holder = &holders.ofTheFiles.emplace_back(Holder{lock.process});
  (onFile ? holder->file : holder->shm) = true;
}

// Whether a process other than `self` holds a lock on either file. The list is searched for the
// inodes first, as text: on a machine whose programs hold many files it is long, and the lines
// of the two files are few.
bool othersHold(std::string_view list, std::optional<ino_t> file, std::optional<ino_t> shm,
                pid_t self) {
  for (const auto inode : {file, shm}) {
    if (!inode) continue;
    // The inode ends the word "major:minor:inode".
    char needle[24] = {':'};
    char* const digitsEnd = std::to_chars(needle + 1, needle + sizeof needle - 1, *inode).ptr;
    *digitsEnd = ' ';
    const auto length = static_cast<std::size_t>(digitsEnd + 1 - needle);
    for (std::size_t from = 0; from < list.size();) {
      const void* found = ::memmem(list.data() + from, list.size() - from, needle, length);
      if (found == nullptr) break;
      const auto offset = static_cast<std::size_t>(static_cast<const char*>(found) - list.data());
      const auto start = list.rfind('\n', offset);
      const auto begin = start == std::string_view::npos ? 0 : start + 1;
      const auto end = list.find('\n', offset);
      Lock lock;
      if (parseLock(list.substr(begin, end == std::string_view::npos ? end : end - begin), lock) &&
          lock.process != self && lock.inode == *inode) {
        return true;
      }
      from = offset + length;
    }
  }
  return false;
}

// Calls `use` with the whole of the system's list of locks, read into a buffer on the stack as
// long as it fits: it is read at every open. False where there is no list.
template <class Use>
bool withList(const Use& use) {
  const int fd = ::open("/proc/locks", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  constexpr std::size_t step = 16384;
  char onStack[step];
  std::string onHeap;
  std::size_t size = 0;
  while (true) {
    if (onHeap.empty() && size == step) onHeap.assign(onStack, size);
    if (!onHeap.empty() && onHeap.size() < size + step) onHeap.resize(size + step);
    char* into = onHeap.empty() ? onStack + size : onHeap.data() + size;
    const std::size_t room = onHeap.empty() ? step - size : onHeap.size() - size;
    const ssize_t count = ::read(fd, into, room);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    size += static_cast<std::size_t>(count);
  }
  ::close(fd);
  use(std::string_view(onHeap.empty() ? onStack : onHeap.data(), size));
  return true;
}

// The first holder that does not go together with the name, over the locks `take` gathered.
StoreLocks::Found conflictAmong(const Holders& holders) {
  for (const Holder& holder : holders.ofTheFiles) {
    // Without a -shm of its own elsewhere, a process holding the file alone is between its lock
    // on the file and its -shm (opening, or closing), or reads without one.
    if (holder.file && !holder.shm &&
        std::find(holders.ofAnotherShm.begin(), holders.ofAnotherShm.end(), holder.process) !=
            holders.ofAnotherShm.end()) {
      return {StoreLocks::Conflict::fileByAnotherName, holder.process};
    }
    if (holder.shm && !holder.file) return {StoreLocks::Conflict::shmOfAnotherFile, holder.process};
  }
  return {};
}

}  // namespace

StoreLocks::Found StoreLocks::find(std::string_view list, std::optional<ino_t> file,
                                   std::optional<ino_t> shm, pid_t self, Scope scope) {
  if (!othersHold(list, file, scope == Scope::fileAndShm ? shm : std::nullopt, self)) return {};
  Holders holders;
  while (!list.empty()) {
    const auto end = list.find('\n');
    take(list.substr(0, end), file, shm, self, holders);
    list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
  }
  return conflictAmong(holders);
}

StoreLocks::Found StoreLocks::find(std::optional<ino_t> file, std::optional<ino_t> shm,
                                   Scope scope) {
  Found found;
  const pid_t self = ::getpid();
  withList([&](std::string_view list) { found = find(list, file, shm, self, scope); });
  return found;
}

}  // namespace kelvo::data_internal
