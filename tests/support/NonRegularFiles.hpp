#pragma once

// Named pipes, device nodes and sockets made in a test's own folder, for the writes that must go
// into them rather than replace them, or refuse them without waiting. Nothing here touches the
// machine's own devices.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <exception>
#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <thread>

namespace kelvo::testing {

/// Whether `path` itself is a named pipe.
inline bool isPipe(const std::filesystem::path& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 && S_ISFIFO(status.st_mode);
}

/// A named pipe made at `path` (or found there) and read on a thread of its own until its writer
/// closes it, `leaveAfter` bytes have come (then the reader leaves), or ten seconds have passed,
/// so that a write that never comes fails the test instead of hanging it. A test asserts
/// `isReading()` before it writes: a pipe without a reader blocks its writer.
class PipeReader {
 public:
  explicit PipeReader(const std::filesystem::path& path,
                      std::size_t leaveAfter = std::numeric_limits<std::size_t>::max())
      : leaveAfter_(leaveAfter) {
    // Past the reader's own ten seconds, a writer still stuck ends the test program.
    if (readers_++ == 0) ::alarm(30);
    if (::mkfifo(path.c_str(), 0600) != 0 && !isPipe(path)) return;
    // Opened before any writer comes, so that the writer's open finds a reader at once.
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ >= 0) thread_ = std::thread([this] { read(); });
  }
  ~PipeReader() {
    join();
    if (--readers_ == 0) ::alarm(0);
  }
  PipeReader(const PipeReader&) = delete;
  PipeReader& operator=(const PipeReader&) = delete;

  bool isReading() const { return fd_ >= 0; }
  /// Everything the reader took, once it has stopped.
  const std::string& bytes() {
    join();
    return bytes_;
  }

 private:
  void read() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    char buffer[65536];
    while (bytes_.size() < leaveAfter_ && std::chrono::steady_clock::now() < deadline) {
      pollfd wanted{fd_, POLLIN, 0};
      // Until a writer has come, the pipe reports nothing; after it has gone, the end.
      if (::poll(&wanted, 1, 50) <= 0) continue;
      const ssize_t count = ::read(fd_, buffer, sizeof buffer);
      if (count == 0) break;
      if (count > 0) bytes_.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(fd_);
  }
  void join() {
    if (thread_.joinable()) thread_.join();
  }

  static inline int readers_ = 0;
  std::size_t leaveAfter_;
  int fd_ = -1;
  std::string bytes_;
  std::thread thread_;
};

/// Lets a pipe's reader that no writer has reached see the end: a writer comes and goes.
inline void endForItsReader(const std::filesystem::path& pipe) {
  const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) ::close(fd);
}

/// What `step` says, run in a child process: its text, or "still waiting after <n> s" when it
/// has not ended within `seconds`, and then the child is killed. A step that might wait on a
/// pipe runs so, to fail its test instead of hanging it.
inline std::string saidWithin(int seconds, const std::function<std::string()>& step) {
  int result[2];
  if (::pipe2(result, O_CLOEXEC) != 0) return "no pipe";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(result[0]);
    std::string said;
    try {
      said = step();
    } catch (const std::exception& error) {
      said = std::string("threw: ") + error.what();
    }
    for (std::size_t sent = 0; sent < said.size();) {
      const ssize_t count = ::write(result[1], said.data() + sent, said.size() - sent);
      if (count <= 0) ::_exit(1);
      sent += static_cast<std::size_t>(count);
    }
    ::_exit(0);
  }
  ::close(result[1]);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  std::string said;
  bool ended = false;
  while (child > 0 && !ended) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd wanted{result[0], POLLIN, 0};
    const int ready = left.count() > 0 ? ::poll(&wanted, 1, static_cast<int>(left.count())) : 0;
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    char buffer[512];
    const ssize_t count = ::read(result[0], buffer, sizeof buffer);
    if (count < 0 && errno != EINTR) break;
    if (count > 0) said.append(buffer, static_cast<std::size_t>(count));
    ended = count == 0;
  }
  ::close(result[0]);
  if (child < 0) return "no child";
  if (!ended) ::kill(child, SIGKILL);
  while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
  }
  return ended ? said : "still waiting after " + std::to_string(seconds) + " s";
}

/// Makes at `path` a character device node of the kind that swallows what is written to it
/// (major 1, minor 3). False where the system refuses to make one or to open it (no privilege,
/// or a file system mounted without devices): the caller skips its test.
inline bool makeSwallowingDevice(const std::filesystem::path& path) {
  if (::mknod(path.c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0) return false;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

/// Whether `path` itself (not a link to it) is that device node still.
inline bool isSwallowingDevice(const std::filesystem::path& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 && S_ISCHR(status.st_mode) &&
         status.st_rdev == makedev(1, 3);
}

/// A Unix socket bound at `path`, closed when the value goes; `failure()` says why it is not,
/// for the test's assertion.
class BoundSocket {
 public:
  explicit BoundSocket(const std::filesystem::path& path)
      : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    if (fd_ < 0) {
      failure_ = std::string("no socket: ") + std::strerror(errno);
    } else if (path.native().size() < limit) {
      bindAt(path.native());
    } else {
      bindThroughFolder(path);
    }
  }
  ~BoundSocket() {
    if (fd_ >= 0) ::close(fd_);
  }
  BoundSocket(const BoundSocket&) = delete;
  BoundSocket& operator=(const BoundSocket&) = delete;

  bool isBound() const { return bound_; }
  const std::string& failure() const { return failure_; }

 private:
  static constexpr std::size_t limit = sizeof(sockaddr_un::sun_path);

  // A socket's path holds at most 107 bytes, which a deep clone, build folder or TMPDIR
  // outgrows. The folder, held open, goes by a name of a few bytes that the kernel resolves to
  // the folder itself, so the socket is still made at `path`.
  void bindThroughFolder(const std::filesystem::path& path) {
    const int folder = ::open(path.parent_path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
      const int error = errno;
      failure_ = "cannot open " + path.parent_path().string() + ": " + std::strerror(error);
      return;
    }
    const std::string alias =
        "/proc/self/fd/" + std::to_string(folder) + "/" + path.filename().string();
    if (alias.size() < limit) {
      bindAt(alias);
    } else {
      // Only a file name of 90-odd bytes gets here; the one shorter way left, changing the
      // working folder, would change it for the whole process.
      failure_ = path.string() + " is too long for a socket even as " + alias + ", " +
                 std::to_string(alias.size()) + " bytes of at most " + std::to_string(limit - 1);
    }
    ::close(folder);
  }
  void bindAt(const std::string& name) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.c_str(), name.size() + 1);
    bound_ = ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    const int error = errno;
    if (!bound_) failure_ = "cannot bind " + name + ": " + std::strerror(error);
  }

  int fd_;
  bool bound_ = false;
  std::string failure_;
};

}  // namespace kelvo::testing
