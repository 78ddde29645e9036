#include "platform/data/internal/KeptFiles.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <vector>

namespace kelvo::data_internal {

namespace {

struct Kept {
  KeptFiles::Identity store;
  KeptFiles::Identity file;
  int descriptor;
};

struct List {
  std::mutex mutex;
  std::vector<Kept> kept;
  // How many were kept after the last look over all of them: the next waits until twice as many
  // are, so that looking costs little per descriptor kept.
  std::size_t sweptTo = 0;
};

// Never destroyed: a store may close while the process exits.
List& list() {
  static List* const files = new List;
  return *files;
}

std::optional<KeptFiles::Identity> identityAt(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return KeptFiles::Identity{status.st_dev, status.st_ino};
}

// Whether closing `descriptor` can drop no lock, now or later: its file is in no folder, so no
// connection can open it again, and nobody holds a lock on it. A lock test through an open file
// description sees every process's record locks, this one's among them.
bool mayClose(int descriptor) {
  struct stat status {};
  if (::fstat(descriptor, &status) != 0 || status.st_nlink != 0) return false;
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  return ::fcntl(descriptor, F_OFD_GETLK, &lock) == 0 && lock.l_type == F_UNLCK;
}

// Closes what may be closed of those kept beside `store`, or beside any store.
void sweep(List& files, const KeptFiles::Identity* store) {
  std::erase_if(files.kept, [&](const Kept& kept) {
    if ((store != nullptr && kept.store != *store) || !mayClose(kept.descriptor)) return false;
    ::close(kept.descriptor);
    return true;
  });
}

// Opens the file at `path` to keep, only where it is the file `expected` (any, where none is
// given): it is first opened as a name alone, whose descriptor holds no locks and drops none when
// closed, and only then for reading, through that name, so that the descriptor kept is of the
// very file looked at. -1 where it cannot be; `opened` tells what was.
int keepOpen(const std::string& path, std::optional<KeptFiles::Identity> expected,
             KeptFiles::Identity& opened) {
  struct stat status {};
  // Any file at the path will do (a -shm): kept whatever it is, as any descriptor here is.
  if (!expected) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (descriptor >= 0 && ::fstat(descriptor, &status) == 0) {
      opened = KeptFiles::Identity{status.st_dev, status.st_ino};
    }
    return descriptor;
  }
  const int name = ::open(path.c_str(), O_PATH | O_CLOEXEC);
  if (name < 0) return -1;
  int descriptor = -1;
  if (::fstat(name, &status) == 0 && S_ISREG(status.st_mode) &&
      *expected == KeptFiles::Identity{status.st_dev, status.st_ino}) {
    opened = KeptFiles::Identity{status.st_dev, status.st_ino};
    const std::string self = "/proc/self/fd/" + std::to_string(name);
    descriptor = ::open(self.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    // Without /proc, by the path again: the file there is kept whatever it is, as closing it
    // could drop another store's locks, and is told by what it is.
    if (descriptor < 0 && errno == ENOENT) {
      descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
      if (descriptor >= 0 && ::fstat(descriptor, &status) == 0) {
        opened = KeptFiles::Identity{status.st_dev, status.st_ino};
      }
    }
  }
  ::close(name);
  return descriptor;
}

}  // namespace

int KeptFiles::descriptor(Identity store, const std::string& path, std::optional<Identity> expected,
                          std::optional<Identity>& identity) {
  identity = expected ? expected : identityAt(path);
  if (!identity) return -1;
  List& files = list();
  std::lock_guard lock(files.mutex);
  const auto keptHere = [&] {
    return static_cast<std::size_t>(
        std::count_if(files.kept.begin(), files.kept.end(),
                      [&](const Kept& kept) { return kept.store == store; }));
  };
  for (const Kept& kept : files.kept) {
    if (kept.store == store && kept.file == *identity) return kept.descriptor;
  }
  // A -shm that other programs remove and make again takes one each time.
  if (keptHere() >= perStore) sweep(files, &store);
  if (files.kept.size() >= std::max(sweepPast, 2 * files.sweptTo)) {
    sweep(files, nullptr);
    files.sweptTo = files.kept.size();
  }
  Identity opened;
  const int descriptor = keepOpen(path, expected, opened);
  if (descriptor < 0) return -1;
  files.kept.push_back({store, opened, descriptor});
  // Not the file looked for (the path changed between two opens): kept, and never tested.
  if (expected && opened != *expected) return -1;
  identity = opened;
  return descriptor;
}

void KeptFiles::release(Identity store) {
  List& files = list();
  std::lock_guard lock(files.mutex);
  sweep(files, &store);
}

std::size_t KeptFiles::count() {
  List& files = list();
  std::lock_guard lock(files.mutex);
  return files.kept.size();
}

}  // namespace kelvo::data_internal
