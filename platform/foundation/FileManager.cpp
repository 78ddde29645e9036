#include "platform/foundation/FileManager.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace kelvo {
namespace fs = std::filesystem;
namespace {

std::error_code systemError(int code) { return {code, std::system_category()}; }

std::optional<fs::path> homeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') return home;
  std::array<char, 4096> buffer;
  passwd entry;
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir != nullptr && *found->pw_dir == '/') {
    return fs::path(found->pw_dir);
  }
  return std::nullopt;
}

// XDG base directories ignore relative values.
std::optional<fs::path> xdgDirectory(const char* variable, const char* fallbackUnderHome) {
  if (const char* value = std::getenv(variable); value != nullptr && *value == '/') return value;
  const auto home = homeDirectory();
  if (!home) return std::nullopt;
  return *home / fallbackUnderHome;
}

// Closes on every path out, so that a failed step never leaks the descriptor.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

std::string randomSuffix() {
  static constexpr char digits[] = "0123456789abcdef";
  std::random_device device;
  std::string suffix;
  for (int i = 0; i < 4; ++i) {
    const unsigned value = device();
    for (int k = 0; k < 4; ++k) suffix.push_back(digits[(value >> (4 * k)) & 0xF]);
  }
  return suffix;
}

// A temporary is named after the file it replaces, so that what a killed write leaves can be
// told from everything else in the folder.
constexpr std::size_t suffixLength = 16;

std::string temporaryPrefix(const fs::path& target) {
  // Appended piecewise: "literal" + string trips a false -Wrestrict in g++ 12 at -O3.
  std::string prefix = ".";
  prefix += target.filename().string();
  prefix += ".tmp-";
  return prefix;
}

bool isTemporaryOf(std::string_view name, std::string_view prefix) {
  if (name.size() != prefix.size() + suffixLength || !name.starts_with(prefix)) return false;
  return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

fs::path folderOf(const fs::path& file) {
  return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

bool isWrittenInPlace(mode_t mode) { return S_ISCHR(mode) || S_ISBLK(mode) || S_ISFIFO(mode); }

bool isRefused(mode_t mode, FileManager::Pipes pipes) {
  return S_ISFIFO(mode) ? pipes == FileManager::Pipes::refuse : !isWrittenInPlace(mode);
}

[[noreturn]] void refuseToWrite(const fs::path& path, int code, const std::string& reason) {
  throw FileError("Could not write", path, systemError(code), reason);
}

// A folder, a socket or a refused pipe takes no bytes; the refusal names what stands there.
[[noreturn]] void refuseKind(const fs::path& path, mode_t mode, bool throughLinks) {
  const bool folder = S_ISDIR(mode);
  std::string reason = throughLinks ? "its links lead to " : "it is ";
  reason += folder           ? "a folder"
            : S_ISSOCK(mode) ? "a socket"
            : S_ISFIFO(mode) ? "a named pipe"
                             : "neither a file nor a device";
  reason += ", not a file";
  refuseToWrite(path, folder ? EISDIR : ENXIO, reason);
}

// The end of the chain of links that starts at `link`: the name a new file would take there.
// Each link is told by its inode, so that a loop is seen however its names are spelt.
fs::path endOfLinks(const fs::path& link) {
  std::vector<std::pair<dev_t, ino_t>> seen;
  fs::path current = link;
  while (true) {
    struct stat status {};
    if (::lstat(current.c_str(), &status) != 0) {
      if (errno == ENOENT) return current;
      throw FileError("Could not write", link, systemError(errno));
    }
    if (!S_ISLNK(status.st_mode)) return current;
    const std::pair<dev_t, ino_t> identity{status.st_dev, status.st_ino};
    if (std::find(seen.begin(), seen.end(), identity) != seen.end()) {
      refuseToWrite(link, ELOOP, "its links lead round in a loop");
    }
    if (seen.size() == static_cast<std::size_t>(FileManager::linkLimit)) {
      refuseToWrite(
          link, ELOOP,
          "its links lead through more than " + std::to_string(FileManager::linkLimit) + " links");
    }
    seen.push_back(identity);
    std::error_code error;
    const fs::path next = fs::read_symlink(current, error);
    if (error) throw FileError("Could not write", link, error);
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
}

// Holds back the SIGPIPE that writing into a pipe its reader left raises, so that the write
// fails with EPIPE instead of ending the process; a signal this write raised is taken, one
// that was pending before is left.
class PipeSignalHeld {
 public:
  PipeSignalHeld() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    sigset_t pending;
    pendingBefore_ = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
    held_ = pthread_sigmask(SIG_BLOCK, &pipe_, &before_) == 0;
  }
  ~PipeSignalHeld() {
    if (!held_) return;
    const int saved = errno;
    sigset_t pending;
    if (!pendingBefore_ && sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) {
      const timespec none{};
      while (sigtimedwait(&pipe_, nullptr, &none) < 0 && errno == EINTR) {
      }
    }
    pthread_sigmask(SIG_SETMASK, &before_, nullptr);
    errno = saved;
  }
  PipeSignalHeld(const PipeSignalHeld&) = delete;
  PipeSignalHeld& operator=(const PipeSignalHeld&) = delete;

 private:
  sigset_t pipe_;
  sigset_t before_;
  bool pendingBefore_ = false;
  bool held_ = false;
};

// Writes all of `bytes`; 0 or the errno of the write that failed.
int writeAll(int fd, std::string_view bytes) {
  for (size_t written = 0; written < bytes.size();) {
    const ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (count < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    written += static_cast<size_t>(count);
  }
  return 0;
}

// A pipe that has come in place of what was looked at, refused as `writeTarget` refuses one.
[[noreturn]] void refusePipe(const fs::path& path) {
  struct stat status {};
  const bool throughLinks = ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
  refuseKind(path, S_IFIFO, throughLinks);
}

// Opens a device or a pipe to write into it. A signal whose handler asked for no restart ends
// the wait for a pipe's reader: it is the caller's way to bound that wait, so the open is not
// tried again. Refusing pipes, the open never waits: a pipe without a reader says ENXIO.
int openInPlace(const fs::path& path, FileManager::Pipes pipes) {
  const bool refusing = pipes == FileManager::Pipes::refuse;
  const int fd =
      ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | (refusing ? O_NONBLOCK : 0));
  if (fd >= 0) return fd;
  const int code = errno;
  struct stat status {};
  if (refusing && code == ENXIO && ::stat(path.c_str(), &status) == 0 && S_ISFIFO(status.st_mode)) {
    refusePipe(path);
  }
  throw FileError("Could not write", path, systemError(code));
}

}  // namespace

FileError::FileError(std::string_view action, fs::path path, std::error_code code,
                     std::string_view reason)
    : Error(std::string(action) + " \"" + path.string() + "\": " + std::string(reason)),
      path_(std::move(path)),
      code_(code) {}

FileError::FileError(std::string_view action, fs::path path, std::error_code code)
    : Error(std::string(action) + " \"" + path.string() + "\": " + code.message()),
      path_(std::move(path)),
      code_(code) {}

FileManager::FileManager()
    : dataHome_(xdgDirectory("XDG_DATA_HOME", ".local/share")),
      configHome_(xdgDirectory("XDG_CONFIG_HOME", ".config")) {}

FileManager::FileManager(fs::path dataHome, fs::path configHome)
    : dataHome_(std::move(dataHome)), configHome_(std::move(configHome)) {}

fs::path FileManager::userDirectory(const std::optional<fs::path>& folder, bool create) const {
  if (!folder) throw FileError("Could not find the home folder for", "~", systemError(ENOENT));
  if (create) createDirectory(*folder);
  return *folder;
}

fs::path FileManager::applicationSupportDirectory(bool create) const {
  return userDirectory(dataHome_, create);
}

fs::path FileManager::configurationDirectory(bool create) const {
  return userDirectory(configHome_, create);
}

std::optional<fs::path> FileManager::containerDirectory(
    std::optional<std::string_view> groupIdentifier) const {
  if (!groupIdentifier || !dataHome_) return std::nullopt;
  // The identifier becomes one folder name: nothing may lead out of "app-groups".
  const std::string_view id = *groupIdentifier;
  if (id.empty() || id == "." || id == ".." ||
      id.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos) {
    return std::nullopt;
  }
  return *dataHome_ / "app-groups" / id;
}

void FileManager::createDirectory(const fs::path& path) const {
  std::error_code error;
  fs::create_directories(path, error);
  if (error) throw FileError("Could not create the folder", path, error);
  if (!fs::is_directory(path, error)) {
    throw FileError("Could not create the folder", path, systemError(ENOTDIR));
  }
}

std::string FileManager::contents(const fs::path& path, std::uintmax_t sizeLimit) const {
  // Without O_NONBLOCK, opening a FIFO would wait for a writer that may never come.
  Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) throw FileError("Could not read", path, systemError(errno));
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) {
    throw FileError("Could not read", path, systemError(errno));
  }
  if (S_ISDIR(status.st_mode)) throw FileError("Could not read", path, systemError(EISDIR));
  if (!S_ISREG(status.st_mode)) {
    throw FileError("Could not read", path, systemError(EINVAL), "not a regular file");
  }
  const auto tooLarge = [&] {
    throw FileError("Could not read", path, systemError(EFBIG),
                    "larger than " + std::to_string(sizeLimit) + " bytes");
  };
  if (static_cast<std::uintmax_t>(status.st_size) > sizeLimit) tooLarge();
  try {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(status.st_size));
    std::array<char, 65536> buffer;
    while (true) {
      const ssize_t count = ::read(file.get(), buffer.data(), buffer.size());
      if (count == 0) break;
      if (count < 0) {
        if (errno == EINTR) continue;
        throw FileError("Could not read", path, systemError(errno));
      }
      // The file may have grown since it was measured.
      if (bytes.size() + static_cast<std::size_t>(count) > sizeLimit) tooLarge();
      bytes.append(buffer.data(), static_cast<std::size_t>(count));
    }
    return bytes;
  } catch (const std::bad_alloc&) {
    throw FileError("Could not read", path, systemError(ENOMEM));
  }
}

FileManager::WriteTarget FileManager::writeTarget(const fs::path& path, Pipes pipes) const {
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) {
    if (errno == ENOENT) return {};
    throw FileError("Could not write", path, systemError(errno));
  }
  if (S_ISREG(status.st_mode)) return {};
  if (!S_ISLNK(status.st_mode)) {
    if (isRefused(status.st_mode, pipes)) refuseKind(path, status.st_mode, false);
    return {std::nullopt, true};
  }
  // What the system reaches through the links decides; the chain only names the file to replace.
  struct stat reached {};
  const bool exists = ::stat(path.c_str(), &reached) == 0;
  if (!exists && errno != ENOENT && errno != ELOOP) {
    throw FileError("Could not write", path, systemError(errno));
  }
  if (exists && !S_ISREG(reached.st_mode)) {
    if (isRefused(reached.st_mode, pipes)) refuseKind(path, reached.st_mode, true);
    return {std::nullopt, true};
  }
  fs::path end = endOfLinks(path);
  // A link the system resolves by itself (a process's open files) names no file to replace.
  if (exists && (::lstat(end.c_str(), &status) != 0 || status.st_dev != reached.st_dev ||
                 status.st_ino != reached.st_ino)) {
    refuseToWrite(path, EXDEV, "its links lead to a file that no path names");
  }
  return {std::move(end), false};
}

void FileManager::write(const fs::path& path, std::string_view bytes, Pipes pipes) const {
  write(path, bytes, writeTarget(path, pipes), pipes);
}

void FileManager::write(const fs::path& path, std::string_view bytes, const WriteTarget& target,
                        Pipes pipes) const {
  if (target.inPlace) {
    writeInPlace(path, bytes, pipes);
  } else {
    replace(path, target.linkedFile ? *target.linkedFile : path, bytes);
  }
}

// A device or a pipe is opened where it stands, never made: a name that was taken by
// something else since it was looked at is refused rather than written into.
void FileManager::writeInPlace(const fs::path& path, std::string_view bytes, Pipes pipes) const {
  const auto fail = [&](int code) { throw FileError("Could not write", path, systemError(code)); };
  Descriptor file(openInPlace(path, pipes));
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) fail(errno);
  if (S_ISFIFO(status.st_mode) && pipes == Pipes::refuse) refusePipe(path);
  if (!isWrittenInPlace(status.st_mode)) {
    refuseToWrite(path, EAGAIN, "it was replaced while it was being opened");
  }
  // Opened so only to see a pipe at once: a device's writes wait as they always have.
  if (pipes == Pipes::refuse) {
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) fail(errno);
  }
  if (probe_) {
    if (const int code = probe_(WriteStep::writeBytes)) fail(code);
  }
  int code = 0;
  if (S_ISFIFO(status.st_mode)) {
    const PipeSignalHeld held;
    code = writeAll(file.get(), bytes);
  } else {
    code = writeAll(file.get(), bytes);
  }
  if (code != 0) fail(code);
  if (S_ISBLK(status.st_mode)) {
    if (probe_) code = probe_(WriteStep::syncFile);
    if (code == 0)
      code =
          sync_ ? sync_(file.get(), WriteStep::syncFile) : (::fsync(file.get()) == 0 ? 0 : errno);
    if (code != 0 && code != EINVAL) fail(code);
  }
  if (file.close() != 0) fail(errno);
}

void FileManager::replace(const fs::path& path, const fs::path& target,
                          std::string_view bytes) const {
  const fs::path folder = folderOf(target);
  const auto fail = [&](int code) { throw FileError("Could not write", path, systemError(code)); };
  const auto probe = [&](WriteStep step) { return probe_ ? probe_(step) : 0; };
  const auto sync = [&](int fd, WriteStep step) {
    if (sync_) return sync_(fd, step);
    return ::fsync(fd) == 0 ? 0 : errno;
  };

  if (const int code = probe(WriteStep::createTemporary)) fail(code);
  fs::path temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    std::string name = temporaryPrefix(target);
    name += randomSuffix();
    temporary = folder / name;
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) fail(errno);
  Descriptor file(fd);

  // Until the rename, the old file is untouched; the temporary goes with any failure.
  const auto abandon = [&](int code) {
    file.close();
    ::unlink(temporary.c_str());
    fail(code);
  };
  if (const int code = probe(WriteStep::writeBytes)) abandon(code);
  if (const int code = writeAll(file.get(), bytes)) abandon(code);
  if (const int code = probe(WriteStep::syncFile)) abandon(code);
  if (const int code = sync(file.get(), WriteStep::syncFile)) abandon(code);
  if (file.close() != 0) {
    const int code = errno;
    ::unlink(temporary.c_str());
    fail(code);
  }
  if (const int code = probe(WriteStep::rename)) {
    ::unlink(temporary.c_str());
    fail(code);
  }
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    const int code = errno;
    ::unlink(temporary.c_str());
    fail(code);
  }

  // The new file is in place; syncing the folder makes the rename itself durable.
  if (const int code = probe(WriteStep::syncFolder)) fail(code);
  Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() < 0) fail(errno);
  // A file system that cannot sync folders says EINVAL; the rename is as durable as it gets.
  if (const int code = sync(directory.get(), WriteStep::syncFolder); code != 0 && code != EINVAL) {
    fail(code);
  }
}

std::size_t FileManager::removeTemporaries(const fs::path& path) const noexcept {
  std::size_t removed = 0;
  try {
    const WriteTarget target = writeTarget(path);
    if (target.inPlace) return 0;
    const fs::path& file = target.linkedFile ? *target.linkedFile : path;
    const std::string prefix = temporaryPrefix(file);
    DIR* folder = ::opendir(folderOf(file).c_str());
    if (folder == nullptr) return 0;
    // Names are read and removed against the one folder opened, whatever its path comes to name.
    const int at = ::dirfd(folder);
    while (const dirent* entry = ::readdir(folder)) {
      if (!isTemporaryOf(entry->d_name, prefix)) continue;
      struct stat status {};
      if (::fstatat(at, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 &&
          S_ISREG(status.st_mode) && ::unlinkat(at, entry->d_name, 0) == 0) {
        ++removed;
      }
    }
    ::closedir(folder);
  } catch (...) {
  }
  return removed;
}

void FileManager::linkItem(const fs::path& path, const fs::path& alias) const {
  if (::link(path.c_str(), alias.c_str()) != 0) {
    throw FileError("Could not keep a copy of", path, systemError(errno));
  }
}

void FileManager::removeItem(const fs::path& path) const {
  std::error_code error;
  const auto status = fs::symlink_status(path, error);
  if (!fs::exists(status)) {
    throw FileError("Could not remove", path, error ? error : systemError(ENOENT));
  }
  fs::remove_all(path, error);
  if (error) throw FileError("Could not remove", path, error);
}

void FileManager::removeFile(const fs::path& path) const {
  if (::unlink(path.c_str()) == 0) return;
  // Linux says EISDIR for a folder, where POSIX allows EPERM.
  if (errno == EISDIR) {
    throw FileError("Could not remove", path, systemError(EISDIR), "it is a folder, not a file");
  }
  throw FileError("Could not remove", path, systemError(errno));
}

bool FileManager::fileExists(const fs::path& path) const {
  std::error_code error;
  return fs::exists(path, error);
}

std::uintmax_t FileManager::fileSize(const fs::path& path) const {
  std::error_code error;
  const auto size = fs::file_size(path, error);
  if (error) throw FileError("Could not read the size of", path, error);
  return size;
}

}  // namespace kelvo
