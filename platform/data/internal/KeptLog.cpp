#include "platform/data/internal/KeptLog.hpp"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "platform/data/internal/StoreOpening.hpp"

namespace kelvo::data_internal {

namespace {

namespace fs = std::filesystem;

}  // namespace

std::string KeptLog::text(const Record& record) {
  std::string value = "1 ";
  char hex[3];
  for (const unsigned char byte : record.salts) {
    std::snprintf(hex, sizeof hex, "%02x", byte);
    value += hex;
  }
  return value + " " + record.path;
}

std::optional<KeptLog::Record> KeptLog::parse(std::string_view value) {
  constexpr std::size_t pathAt = 2 + 16 + 1;
  if (value.size() <= pathAt || !value.starts_with("1 ") || value[pathAt - 1] != ' ') {
    return std::nullopt;
  }
  KeptLog::Record record;
  for (std::size_t i = 0; i < record.salts.size(); ++i) {
    unsigned byte = 0;
    for (const char digit : value.substr(2 + 2 * i, 2)) {
      const bool decimal = digit >= '0' && digit <= '9';
      if (!decimal && !(digit >= 'a' && digit <= 'f')) return std::nullopt;
      byte = byte * 16 + static_cast<unsigned>(decimal ? digit - '0' : digit - 'a' + 10);
    }
    record.salts[i] = static_cast<unsigned char>(byte);
  }
  record.path.assign(value.substr(pathAt));
  if (record.path.find('\0') != std::string::npos) return std::nullopt;
  return record;
}

namespace {

// Where the descriptor's file is now, as the system names it; empty where it does not say.
std::string pathOf(int descriptor) {
  char link[32];
  std::snprintf(link, sizeof link, "/proc/self/fd/%d", descriptor);
  char path[4096];
  const ssize_t length = ::readlink(link, path, sizeof path);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path || path[0] != '/') return {};
  return std::string(path, static_cast<std::size_t>(length));
}

bool sameFile(const struct stat& one, const struct stat& other) {
  return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// Whether the path names the file open as `descriptor`.
bool names(const std::string& path, int descriptor) {
  struct stat at {};
  struct stat open {};
  return ::stat(path.c_str(), &at) == 0 && ::fstat(descriptor, &open) == 0 && sameFile(at, open);
}

bool moveTo(const std::string& from, const std::string& to) {
  return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

// Moves a log to `to`, beside the store file `descriptor`, where nothing is: by a second name
// first, which is kept only once the file is seen still at the name beside it. SQLite's first
// read of a store made at that name meanwhile deletes a log beside it: never the only one.
// A file system without hard links has it renamed.
bool moveLogBeside(const std::string& from, const std::string& to, int descriptor) {
  if (::link(from.c_str(), to.c_str()) != 0) {
    if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK) return false;
    return moveTo(from, to) && names(to.substr(0, to.size() - 4), descriptor);
  }
  if (!names(to.substr(0, to.size() - 4), descriptor)) {
    ::unlink(to.c_str());
    errno = ESTALE;
    return false;
  }
  ::unlink(from.c_str());
  return true;
}

// The log the record names, with its salts: where it was left, or set aside there as
// "<name>-kept-<n>" by an open that made a new store at its name.
std::optional<std::string> located(const KeptLog::Record& record, const fs::path& folder) {
  const fs::path path = record.path.starts_with('/') ? fs::path(record.path) : folder / record.path;
  if (KeptLog::saltsAt(path.string()) == record.salts) return path.string();
  const std::string setAside = path.filename().string() + "-kept-";
  std::error_code failed;
  for (fs::directory_iterator each(path.parent_path(), failed), end; !failed && each != end;
       each.increment(failed)) {
    if (each->path().filename().string().starts_with(setAside) &&
        KeptLog::saltsAt(each->path().string()) == record.salts) {
      return each->path().string();
    }
  }
  return std::nullopt;
}

// A store file as a kept log names it: its device and inode, and when it was made, as an inode
// number is given again once a file is removed.
std::string ownerOf(int descriptor) {
  struct statx file {};
  if (::statx(descriptor, "", AT_EMPTY_PATH, STATX_INO | STATX_BTIME, &file) != 0) return {};
  const bool born = (file.stx_mask & STATX_BTIME) != 0;
  return "1 " + std::to_string(file.stx_dev_major) + ":" + std::to_string(file.stx_dev_minor) +
         " " + std::to_string(file.stx_ino) + " " +
         std::to_string(born ? file.stx_btime.tv_sec : 0) + "." +
         std::to_string(born ? file.stx_btime.tv_nsec : 0);
}

// The store file the log at `path` was kept for; empty where it names none.
std::string ownerAt(const std::string& path) {
  char value[128];
  const ssize_t length = ::getxattr(path.c_str(), KeptLog::ownerAttribute, value, sizeof value);
  return length > 0 ? std::string(value, static_cast<std::size_t>(length)) : std::string();
}

// A name nothing has yet: never over another log set aside before.
std::optional<std::string> setAside(const std::string& log) {
  for (int n = 1; n <= 1000; ++n) {
    std::string kept = log + "-kept-" + std::to_string(n);
    if (moveTo(log, kept)) return kept;
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace

std::optional<KeptLog::Record> KeptLog::read(int descriptor) {
  char value[4200];
  const ssize_t length = ::fgetxattr(descriptor, attribute, value, sizeof value);
  if (length <= 0) return std::nullopt;
  return parse(std::string_view(value, static_cast<std::size_t>(length)));
}

bool KeptLog::write(int descriptor, const Record& record, const std::string& folder) {
  std::string value = text(record);
  if (::fsetxattr(descriptor, attribute, value.data(), value.size(), 0) == 0) return true;
  // A small inode keeps a short value without a block of its own: the path from the file's folder.
  if (errno != ENOSPC && errno != EDQUOT && errno != E2BIG && errno != ERANGE) return false;
  const std::string relative = fs::path(record.path).lexically_relative(folder).string();
  if (relative.empty() || relative.size() >= record.path.size()) return false;
  value = text({record.salts, relative});
  return ::fsetxattr(descriptor, attribute, value.data(), value.size(), 0) == 0;
}

void KeptLog::erase(int descriptor) { ::fremovexattr(descriptor, attribute); }

bool KeptLog::keptForAnother(int logDescriptor, int descriptor) {
  if (logDescriptor < 0 || descriptor < 0) return false;
  char value[128];
  const ssize_t length = ::fgetxattr(logDescriptor, ownerAttribute, value, sizeof value);
  return length > 0 &&
         std::string_view(value, static_cast<std::size_t>(length)) != ownerOf(descriptor);
}

std::optional<KeptLog::Salts> KeptLog::saltsAt(const std::string& path) {
  // A log's descriptor holds no lock SQLite took (its locks are on the -shm): closing it drops
  // none.
  const int log = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (log < 0) return std::nullopt;
  struct stat status {};
  unsigned char header[24];
  const bool read = ::fstat(log, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 32 &&
                    ::pread(log, header, sizeof header, 0) == static_cast<ssize_t>(sizeof header);
  ::close(log);
  // The magic number, big-endian, of either byte order of its checksums.
  if (!read || header[0] != 0x37 || header[1] != 0x7f || header[2] != 0x06 ||
      (header[3] & 0xfe) != 0x82) {
    return std::nullopt;
  }
  Salts salts;
  std::memcpy(salts.data(), header + 16, salts.size());
  return salts;
}

namespace {

// Taken by a program of this library while it decides where a store's log is, or brings it beside
// its name, on a byte of the store file no other lock takes.
constexpr off_t bringing = (off_t{1} << 61) - 1;

bool lockToBring(int descriptor, short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = bringing;
  lock.l_len = 1;
  return ::fcntl(descriptor, F_SETLK, &lock) == 0;
}

// Waits for the lock a second at most: the others hold it for a few system calls.
bool waitToBring(int descriptor) {
  for (int tries = 0; tries < 1000; ++tries) {
    if (lockToBring(descriptor, F_WRLCK)) return true;
    ::usleep(1000);
  }
  return false;
}

struct Unlock {
  int descriptor;
  ~Unlock() { lockToBring(descriptor, F_UNLCK); }
};

}  // namespace

void KeptLog::leave(int descriptor, const std::string& log, int logDescriptor, const Salts& salts,
                    bool mayFollow) {
  struct stat file {};
  if (descriptor < 0 || ::fstat(descriptor, &file) != 0 || file.st_nlink == 0 ||
      !log.ends_with("-wal")) {
    return;
  }
  // Recorded while no open decides where the log is.
  const bool locked = waitToBring(descriptor);
  std::string now = pathOf(descriptor);
  const bool moved = !names(log.substr(0, log.size() - 4), descriptor);
  std::string where = log;
  // A rename needs no room. Moved again meanwhile, the log goes after it, a few times at most.
  for (int tries = 0; moved && mayFollow && !now.empty() && tries < 3; ++tries) {
    if (logDescriptor >= 0 && !names(where, logDescriptor)) break;
    if (moveLogBeside(where, now + "-wal", descriptor)) {
      where = now + "-wal";
      break;
    }
    // Moved again meanwhile: after it.
    const std::string after = pathOf(descriptor);
    if (errno != ESTALE || after.empty() || after == now) break;
    now = after;
  }
  // Recorded wherever it is, at its name too: the others that have it open may be opening the
  // store and go without copying it, and a move of the file after they have would part them.
  // The log names its file, so that another store that comes to its name leaves it alone.
  const std::string owner = ownerOf(descriptor);
  if (!owner.empty()) {
    if (logDescriptor >= 0 && names(where, logDescriptor)) {
      ::fsetxattr(logDescriptor, ownerAttribute, owner.data(), owner.size(), 0);
    } else {
      ::setxattr(where.c_str(), ownerAttribute, owner.data(), owner.size(), 0);
    }
  }
  const std::string folder = fs::path(now.empty() ? log : now).parent_path().string();
  write(descriptor, {salts, where}, folder);
  if (locked) lockToBring(descriptor, F_UNLCK);
}

std::string KeptLog::settle(int descriptor, const std::string& fullPath, bool mayBring,
                            const std::function<pid_t(const std::string& shm)>& shmHolder,
                            const Holder& fileHolder) {
  if (descriptor < 0) return {};
  const std::string ours = fullPath + "-wal";
  // Nothing recorded either way, as for nearly every open: no lock is taken.
  if (!read(descriptor) && (!mayBring || ownerAt(ours).empty())) return {};
  // One program of this library at a time decides, on the store file's own lock: of two opening
  // it at once, the second finds the log brought, never half of it, nor its record gone.
  if (!waitToBring(descriptor)) {
    return "another program is bringing the log of its latest saves beside it; open it again.";
  }
  const Unlock unlock{descriptor};
  // A log kept for another store file, beside a name this one has come to: never this one's.
  if (mayBring) {
    const std::string owner = ownerAt(ours);
    if (!owner.empty() && owner != ownerOf(descriptor)) {
      if (!saltsAt(ours)) {
        ::removexattr(ours.c_str(), ownerAttribute);
      } else if (const pid_t holder = shmHolder(fullPath + "-shm")) {
        return "the log " + ours + " beside this name holds the saves of another store, which " +
               StoreOpening::otherProgram(holder) +
               " still has open by this name; open the store here again once that program has "
               "closed it.";
      } else {
        const auto kept = setAside(ours);
        if (!kept) {
          return "the log " + ours +
                 " beside this name holds the saves of another store, and could not be set "
                 "aside; move it away while no program has the store open, then open it again.";
        }
      }
    }
  }
  const auto record = read(descriptor);
  if (!record) return {};
  const std::string folder = fs::path(fullPath).parent_path().string();
  // Beside this name: read by this open; once read, the file's own again.
  if (saltsAt(ours) == record->salts) {
    if (!mayBring) erase(descriptor);
    return {};
  }
  const auto log = located(*record, folder);
  // Copied into the file since, or removed.
  if (!log) {
    erase(descriptor);
    return {};
  }
  const std::string latest = "its latest saves are in the log " + *log;
  const std::string besideAnother = latest + ", left beside another name of it";
  if (!mayBring) {
    return besideAnother +
           ", which it was read without; open it again, and the log is brought "
           "beside it.";
  }
  struct stat status {};
  const bool oursThere = ::lstat(ours.c_str(), &status) == 0;
  if (oursThere && (!S_ISREG(status.st_mode) || status.st_size > 32)) {
    return besideAnother + ", and " + ours +
           " beside this name holds saves made since without them; the store cannot take both: "
           "keep the store and both logs as they are, and open a copy of the store with the log "
           "whose saves it should keep beside it.";
  }
  if (const pid_t holder = shmHolder(log->substr(0, log->size() - 4) + "-shm")) {
    return besideAnother +
           " (a full disk, or another program's read, kept them from the file), "
           "which " +
           StoreOpening::otherProgram(holder) +
           " still has open by that name; open the store here again once that program has "
           "closed it.";
  }
  // One that has the file open read it without the log, and would not read it now.
  if (const pid_t holder = fileHolder()) {
    return besideAnother + ", and " + StoreOpening::otherProgram(holder) +
           " has the store open without them; close the store in that program, then open it "
           "here again.";
  }
  // Recorded where it goes first: an open refused before it reads finds it there.
  if (!write(descriptor, {record->salts, ours}, folder)) {
    return besideAnother +
           ", and where it goes could not be recorded on the store; while no "
           "program has the store open, move that log beside it as " +
           ours + ", then open it again.";
  }
  // An empty log left here by a program that had the store open by this name, which nobody has
  // now, is taken the place of.
  if (oursThere) ::unlink(ours.c_str());
  const bool moved = moveLogBeside(*log, ours, descriptor);
  if (!moved) {
    const int error = errno;
    write(descriptor, *record, folder);
    if (error == EXDEV) {
      return latest +
             ", on another file system than the store; while no program has the store "
             "open, move that log beside it as " +
             ours + ", then open it again.";
    }
    return latest + ", which could not be moved beside it as " + ours + " (" +
           std::strerror(error) +
           "); while no program has the store open, move it there, then "
           "open it again.";
  }
  return {};
}

}  // namespace kelvo::data_internal
