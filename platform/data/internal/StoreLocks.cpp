#include "platform/data/internal/StoreLocks.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kelvo::data_internal {

namespace {

// SQLite's unix locking offsets: its pending byte and the shared range of the database file,
// and the bytes of the -shm, the last of which every process that maps it holds a read lock on
// (the kernel lists a process's adjacent read locks on the bytes before it as one).
constexpr std::uint64_t pendingByte = 0x40000000;
constexpr std::uint64_t sharedFirst = pendingByte + 2;
constexpr std::uint64_t sharedLast = sharedFirst + 510 - 1;
constexpr std::uint64_t shmFirst = 120;
constexpr std::uint64_t shmHeld = 128;

// Closes a descriptor on every way out.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// The whole of a file the system makes up as it is read (/proc): into `onStack` as long as it
// fits, else into `onHeap`. None where it cannot be opened.
template <std::size_t Step>
std::optional<std::string_view> readWhole(const char* path, char (&onStack)[Step],
                                          std::string& onHeap) {
  const Descriptor file{::open(path, O_RDONLY | O_CLOEXEC)};
  if (file.fd < 0) return std::nullopt;
  std::size_t size = 0;
  while (true) {
    if (onHeap.empty() && size == Step) onHeap.assign(onStack, size);
    if (!onHeap.empty() && onHeap.size() < size + Step) onHeap.resize(size + Step);
    char* into = onHeap.empty() ? onStack + size : onHeap.data() + size;
    const std::size_t room = onHeap.empty() ? Step - size : onHeap.size() - size;
    const ssize_t count = ::read(file.fd, into, room);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    size += static_cast<std::size_t>(count);
  }
  return std::string_view(onHeap.empty() ? onStack : onHeap.data(), size);
}

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
  // What is left of the line, blanks before it skipped: a path may hold blanks.
  std::string_view rest() {
    while (at_ < end_ && *at_ == ' ') ++at_;
    return {at_, static_cast<std::size_t>(end_ - at_)};
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

bool isStoreLock(const Lock& lock) {
  return lock.first >= pendingByte && lock.last <= sharedLast && lock.last >= sharedFirst;
}
bool isShmLock(const Lock& lock) {
  return lock.first >= shmFirst && lock.first <= shmHeld && lock.last == shmHeld;
}

struct Holder {
  pid_t process = 0;
  bool file = false;
  bool shm = false;
};

// What the list says of the two files, and which other stores and -shm each process holds.
struct Holders {
  std::vector<Holder> ofTheFiles;
  std::vector<std::pair<pid_t, std::uint64_t>> otherShms;
  std::vector<std::pair<pid_t, std::uint64_t>> otherStores;
};

// Gathers into `holders` what the lock on one line says.
void take(std::string_view line, std::optional<ino_t> file, std::optional<ino_t> shm, pid_t self,
          Holders& holders) {
  Lock lock;
  if (!parseLock(line, lock) || lock.process == self) return;
  const bool store = isStoreLock(lock);
  const bool shmByte = isShmLock(lock);
  const bool onFile = store && file && lock.inode == *file;
  const bool onShm = shmByte && shm && lock.inode == *shm;
  if (!onFile && !onShm) {
    if (shmByte) holders.otherShms.emplace_back(lock.process, lock.inode);
    if (store) holders.otherStores.emplace_back(lock.process, lock.inode);
    return;
  }
  Holder* holder = nullptr;
  for (Holder& each : holders.ofTheFiles) {
    if (each.process == lock.process) holder = &each;
  }
  if (holder == nullptr) holder = &holders.ofTheFiles.emplace_back(Holder{lock.process});
  (onFile ? holder->file : holder->shm) = true;
}

// Whether the -shm `shm` that `process` holds is one of another store it has open: the -shm of
// a store by another name is anything else.
bool isAnotherStoresShm(pid_t process, std::uint64_t shm, std::optional<ino_t> file,
                        const Holders& holders, const StoreLocks::ShmLookup& lookup) {
  const StoreLocks::ShmBeside beside = lookup(process, shm);
  if (beside.seen == StoreLocks::ShmBeside::Seen::notAShm) return true;
  if (beside.seen != StoreLocks::ShmBeside::Seen::file || (file && beside.store == *file)) {
    return false;
  }
  return std::find(holders.otherStores.begin(), holders.otherStores.end(),
                   std::pair{process, beside.store}) != holders.otherStores.end();
}

// The first holder that does not go together with the name, over the locks `take` gathered.
StoreLocks::Found conflictAmong(const Holders& holders, std::optional<ino_t> file,
                                const StoreLocks::ShmLookup& lookup) {
  for (const Holder& holder : holders.ofTheFiles) {
    if (holder.shm && !holder.file) return {StoreLocks::Conflict::shmOfAnotherFile, holder.process};
    if (!holder.file || holder.shm) continue;
    for (const auto& [process, shm] : holders.otherShms) {
      if (process == holder.process && !isAnotherStoresShm(process, shm, file, holders, lookup)) {
        return {StoreLocks::Conflict::fileByAnotherName, holder.process};
      }
    }
  }
  return {};
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

// What the system's account of `process`'s memory (/proc/<pid>/maps) says the file of inode
// `shm` it maps lies beside. Read only when a process holds the store with another -shm.
StoreLocks::ShmBeside shmBeside(pid_t process, std::uint64_t shm) {
  using Seen = StoreLocks::ShmBeside::Seen;
  char onStack[16384];
  std::string onHeap;
  const std::string maps = "/proc/" + std::to_string(process) + "/maps";
  const auto read = readWhole(maps.c_str(), onStack, onHeap);
  if (!read) return {};
  std::string_view text = *read;
  // Each line: start-end perms offset major:minor inode [path].
  while (!text.empty()) {
    const auto end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    Words words(line);
    for (int field = 0; field < 4; ++field) words.next();
    std::uint64_t inode = 0;
    if (!parse(words.next(), inode) || inode != shm) continue;
    std::string_view path = words.rest();
    if (path.ends_with(" (deleted)")) return {Seen::nothing};
    if (!path.ends_with("-shm")) return {Seen::notAShm};
    path.remove_suffix(4);
    struct stat status {};
    if (::stat(std::string(path).c_str(), &status) != 0) return {Seen::nothing};
    return {Seen::file, status.st_ino};
  }
  return {};
}

}  // namespace

StoreLocks::Found StoreLocks::find(std::string_view list, std::optional<ino_t> file,
                                   std::optional<ino_t> shm, pid_t self, Scope scope,
                                   const ShmLookup& lookup) {
  if (!othersHold(list, file, scope == Scope::fileAndShm ? shm : std::nullopt, self)) return {};
  Holders holders;
  while (!list.empty()) {
    const auto end = list.find('\n');
    take(list.substr(0, end), file, shm, self, holders);
    list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
  }
  return conflictAmong(holders, file, lookup);
}

StoreLocks::Found StoreLocks::find(std::optional<ino_t> file, std::optional<ino_t> shm,
                                   Scope scope) {
  char onStack[16384];
  std::string onHeap;
  const auto list = readWhole("/proc/locks", onStack, onHeap);
  if (!list) return {};
  return find(*list, file, shm, ::getpid(), scope, shmBeside);
}

}  // namespace kelvo::data_internal
