// Programs other than the test's own, for tests of a store that several programs share: a child
// that answers for one step, and a peer that keeps a store open and takes steps one at a time.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdarg>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "platform/data/Container.hpp"
#include "platform/data/Context.hpp"
#include "platform/data/StoreError.hpp"
#include "tests/data/StoreFileCheck.hpp"
#include "tests/data/TestModel.hpp"
#include "tests/support/AnotherUser.hpp"

namespace kelvo::data {

// What `what` says, run in a child: the open's error, the save's, or "saved". As another user,
// the child owns neither the folder nor the file (root writes wherever it likes), and is in
// none of root's groups.
inline std::string saidInChild(const std::function<void()>& what, bool asAnotherUser) {
  int result[2];
  if (pipe(result) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    close(result[0]);
    std::string said = "saved";
    if (asAnotherUser && geteuid() == 0 && !kelvo::testing::becomeAnotherUser()) {
      said = "no other user";
    }
    try {
      if (said == "saved") what();
    } catch (const StoreError& error) {
      said = error.what();
    } catch (const std::exception& error) {
      said = std::string("not a store error: ") + error.what();
    }
    if (write(result[1], said.data(), said.size()) < 0) _exit(1);
    _exit(0);
  }
  close(result[1]);
  std::string said;
  char buffer[512];
  for (ssize_t got; (got = read(result[0], buffer, sizeof buffer)) > 0;) said.append(buffer, got);
  close(result[0]);
  waitpid(child, nullptr, 0);
  return said;
}

/// The titles of the notes another process finds in the store at `url`, sorted and joined by
/// commas, or the error it met.
inline std::string notesSeenElsewhere(const std::filesystem::path& url) {
  return saidInChild(
      [&] {
        std::set<std::string> titles;
        for (const auto& note : testing::reopenChecked(url)->viewContext().fetch("Note")) {
          titles.insert(*note->value("title")->string());
        }
        std::string list;
        for (const auto& title : titles) list += (list.empty() ? "" : ",") + title;
        throw StoreError({}, list);
      },
      false);
}

/// The size of the file at `path`; 0 where there is none.
inline std::uintmax_t sizeOf(const std::string& path) {
  std::error_code absent;
  const auto size = std::filesystem::file_size(path, absent);
  return absent ? 0 : size;
}

/// What `what` says, run in a child with a mount table of its own, after `mounts` (nothing of
/// them reaches the machine's, and they go with the child); "no mount" where the child can have
/// no such table, or `mounts` fails. A child that hangs is stopped after two minutes.
inline std::string inOwnMountTable(const std::function<bool()>& mounts,
                                   const std::function<std::string()>& what) {
  return saidInChild(
      [&] {
        alarm(120);
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 || !mounts()) {
          throw StoreError({}, "no mount");
        }
        throw StoreError({}, what());
      },
      false);
}

// What a save says, with its code when refused.
inline std::string saying(Context& context) {
  const auto error = testing::saveError(context);
  return error ? std::string(error->what()) + " (" + std::to_string(error->extendedCode()) + ")"
               : "saved";
}

// Stops the program at the k-th call that SQLite's own VFS makes of fcntl, unlink or close while
// armed, as one descheduled at that step would be, until it is sent SIGCONT.
struct StopAtCall {
  static inline sqlite3_syscall_ptr realFcntl = nullptr;
  static inline sqlite3_syscall_ptr realUnlink = nullptr;
  static inline sqlite3_syscall_ptr realClose = nullptr;
  static inline int countdown = -1;
  static inline int made = 0;

  static void step() {
    ++made;
    if (countdown >= 0 && countdown-- == 0) raise(SIGSTOP);
  }
  static int fcntlAt(int descriptor, int operation, ...) {
    va_list arguments;
    va_start(arguments, operation);
    void* argument = va_arg(arguments, void*);
    va_end(arguments);
    step();
    return reinterpret_cast<int (*)(int, int, ...)>(realFcntl)(descriptor, operation, argument);
  }
  static int unlinkAt(const char* path) {
    step();
    return reinterpret_cast<int (*)(const char*)>(realUnlink)(path);
  }
  static int closeAt(int descriptor) {
    step();
    return reinterpret_cast<int (*)(int)>(realClose)(descriptor);
  }
  static void install() {
    if (realFcntl != nullptr) return;
    sqlite3_vfs* own = sqlite3_vfs_find("unix");
    realFcntl = own->xGetSystemCall(own, "fcntl");
    realUnlink = own->xGetSystemCall(own, "unlink");
    realClose = own->xGetSystemCall(own, "close");
    own->xSetSystemCall(own, "fcntl", reinterpret_cast<sqlite3_syscall_ptr>(&fcntlAt));
    own->xSetSystemCall(own, "unlink", reinterpret_cast<sqlite3_syscall_ptr>(&unlinkAt));
    own->xSetSystemCall(own, "close", reinterpret_cast<sqlite3_syscall_ptr>(&closeAt));
  }
};

class Peer {
 public:
  /// A peer in a pid namespace of its own, with a /proc of its own (as a program in a container
  /// is), where this process may make them; `process()` is then the process that waits for it, and
  /// `inOwnPidSpace` tells whether it is so.
  enum class Space { shared, ownPids };
  explicit Peer(Space space = Space::shared) {
    // A socket pair: a peer that died is told by an error, never by SIGPIPE.
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return;
    process_ = fork();
    if (process_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      // As a program its user started is, though forked by one that changed its user: other
      // programs of the user may read its account of its memory.
      prctl(PR_SET_DUMPABLE, 1);
      alarm(30);
      close(ends[0]);
      if (space == Space::ownPids) {
        if (unshare(CLONE_NEWPID) != 0) {
          const char own = 'n';
          (void)!write(ends[1], &own, 1);
          _exit(1);
        }
        // The first child is the namespace's first process; this one waits for it.
        const pid_t inside = fork();
        if (inside == 0) {
          prctl(PR_SET_PDEATHSIG, SIGKILL);
          // Its own /proc, as a container's: the system's lists show only its namespace.
          const char own =
              unshare(CLONE_NEWNS) == 0 &&
                      mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                      mount("proc", "/proc", "proc", MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) == 0
                  ? 'y'
                  : 'n';
          if (write(ends[1], &own, 1) != 1 || own != 'y') _exit(1);
          serve(ends[1]);
          _exit(0);
        }
        close(ends[1]);
        waitpid(inside, nullptr, 0);
        _exit(0);
      }
      serve(ends[1]);
      _exit(0);
    }
    if (space == Space::ownPids) {
      char own = 'n';
      pollfd ready{ends[0], POLLIN, 0};
      inOwnPidSpace_ = poll(&ready, 1, 10'000) == 1 && read(ends[0], &own, 1) == 1 && own == 'y';
    }
    close(ends[1]);
    socket_ = ends[0];
  }
  ~Peer() {
    close(socket_);
    kill();
  }
  Peer(const Peer&) = delete;
  Peer& operator=(const Peer&) = delete;

  pid_t process() const { return process_; }
  bool inOwnPidSpace() const { return inOwnPidSpace_; }
  std::string operator()(const std::string& step) {
    const std::string line = step + "\n";
    if (process_ <= 0 || send(socket_, line.data(), line.size(), MSG_NOSIGNAL) !=
                             static_cast<ssize_t>(line.size())) {
      return "no peer";
    }
    std::string said;
    for (char byte = 0; byte != '\n';) {
      pollfd ready{socket_, POLLIN, 0};
      if (poll(&ready, 1, 10'000) != 1 || read(socket_, &byte, 1) != 1) return "no answer";
      if (byte != '\n') said += byte;
    }
    return said;
  }
  /// Kills the peer with whatever it has open, as a crash would.
  void kill() {
    if (process_ <= 0) return;
    ::kill(process_, SIGKILL);
    waitpid(process_, nullptr, 0);
    process_ = 0;
  }

 private:
  static std::string step(const std::string& line, std::unique_ptr<Container>& container,
                          std::vector<std::unique_ptr<Container>>& kept) {
    if (line.starts_with("open ")) {
      container = testing::openContainer(line.substr(5));
      return "opened";
    }
    if (line.starts_with("keep ")) {
      kept.push_back(testing::openContainer(line.substr(5)));
      return "opened";
    }
    if (line == "close") {
      container.reset();
      return "closed";
    }
    // Closes, stopping at the k-th of SQLite's calls on the way; says how many it made.
    if (line.starts_with("close stopping at ")) {
      StopAtCall::install();
      StopAtCall::made = 0;
      StopAtCall::countdown = std::stoi(line.substr(18));
      container.reset();
      StopAtCall::countdown = -1;
      return "closed after " + std::to_string(StopAtCall::made);
    }
    if (container == nullptr) return "no store open";
    if (line.starts_with("note ")) {
      testing::makeNote(container->viewContext(), line.substr(5));
      return saying(container->viewContext());
    }
    return std::to_string(container->viewContext().count("Note"));
  }
  static void serve(int socket) {
    std::unique_ptr<Container> container;
    std::vector<std::unique_ptr<Container>> kept;
    std::string line;
    for (char byte = 0; read(socket, &byte, 1) == 1;) {
      if (byte != '\n') {
        line += byte;
        continue;
      }
      std::string said;
      try {
        said = step(line, container, kept);
      } catch (const StoreError& error) {
        said = error.what();
      }
      said += "\n";
      if (send(socket, said.data(), said.size(), MSG_NOSIGNAL) !=
          static_cast<ssize_t>(said.size())) {
        return;
      }
      line.clear();
    }
  }

  pid_t process_ = -1;
  int socket_ = -1;
  bool inOwnPidSpace_ = false;
};

// A program that, once told, reads a store through SQLite alone and stays in its read
// transaction: no checkpoint copies into the file a frame of the log past what it reads. Started
// before the test opens anything, as SQLite in a child forked while the parent has the file open
// would take the parent's locks for its own.
class Reader {
 public:
  Reader() {
    if (pipe(ask_) != 0 || pipe(answer_) != 0) return;
    process_ = fork();
    if (process_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      alarm(120);
      char path[4096] = {};
      if (::read(ask_[0], path, sizeof path - 1) <= 0) _exit(1);
      sqlite3* connection = nullptr;
      const char began =
          sqlite3_open_v2(path, &connection, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
                  sqlite3_exec(connection, "BEGIN; SELECT count(*) FROM sqlite_schema;", nullptr,
                               nullptr, nullptr) == SQLITE_OK
              ? 'y'
              : 'n';
      if (write(answer_[1], &began, 1) != 1) _exit(1);
      pause();
      _exit(0);
    }
    // A reader gone is told by the end of its answers.
    close(ask_[0]);
    close(answer_[1]);
    ask_[0] = answer_[1] = -1;
  }
  ~Reader() {
    stop();
    for (const int end : {ask_[0], ask_[1], answer_[0], answer_[1]}) {
      if (end >= 0) close(end);
    }
  }
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  bool read(const std::filesystem::path& url) {
    const std::string path = url.string();
    char began = 'n';
    pollfd answered{answer_[0], POLLIN, 0};
    return process_ > 0 &&
           write(ask_[1], path.data(), path.size()) == static_cast<ssize_t>(path.size()) &&
           poll(&answered, 1, 10'000) == 1 && ::read(answer_[0], &began, 1) == 1 && began == 'y';
  }
  pid_t process() const { return process_; }
  void stop() {
    if (process_ <= 0) return;
    kill(process_, SIGKILL);
    waitpid(process_, nullptr, 0);
    process_ = 0;
  }

 private:
  pid_t process_ = -1;
  int ask_[2] = {-1, -1};
  int answer_[2] = {-1, -1};
};

/// What programs saving beside a renamer were told: the notes answered "saved", and how many
/// answers called the store damaged.
struct SavedBesideARenamer {
  std::set<std::string> saved;
  int damaged = 0;
};

/// Three programs open the store by the name it has at that moment (`one`, else `other`), keep a
/// note and close, for `seconds`, while a fourth moves it between the two names every few
/// milliseconds (never over another file: a store made at a name the store had just left is
/// moved aside, as "aside<n>.store").
inline SavedBesideARenamer saveBesideARenamer(const std::filesystem::path& one,
                                              const std::filesystem::path& other, int seconds) {
  namespace fs = std::filesystem;
  const pid_t mover = fork();
  if (mover == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    alarm(static_cast<unsigned>(seconds) + 30);
    std::mt19937 random(7);
    const auto move = [](const fs::path& from, const fs::path& to) {
      renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    };
    for (int aside = 0;; ++aside) {
      if (fs::exists(one) && fs::exists(other)) {
        move(other, one.parent_path() / ("aside" + std::to_string(aside) + ".store"));
      }
      move(one, other);
      usleep(5'000 + random() % 45'000);
      move(other, one);
      usleep(5'000 + random() % 45'000);
    }
  }
  std::vector<std::pair<pid_t, int>> programs;
  for (int program = 0; program < 3; ++program) {
    int said[2];
    if (pipe(said) != 0) break;
    const pid_t child = fork();
    if (child == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      alarm(static_cast<unsigned>(seconds) + 30);
      close(said[0]);
      std::string lines;
      int damaged = 0;
      const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
      for (int round = 0; std::chrono::steady_clock::now() < until; ++round) {
        const std::string title = std::to_string(program) + "-" + std::to_string(round);
        try {
          auto container = testing::openContainer(fs::exists(one) ? one : other);
          testing::makeNote(container->viewContext(), title);
          container->viewContext().save();
          lines += title + "\n";
        } catch (const StoreError& error) {
          // Refused, or moved while it was opened or saved: told, and nothing answered "saved".
          damaged += error.primaryCode() == 11;
        }
      }
      lines += "damaged " + std::to_string(damaged) + "\n";
      if (write(said[1], lines.data(), lines.size()) < 0) _exit(1);
      _exit(0);
    }
    close(said[1]);
    programs.emplace_back(child, said[0]);
  }
  SavedBesideARenamer told;
  for (const auto& [child, said] : programs) {
    std::string lines;
    char buffer[4096];
    for (ssize_t got; (got = read(said, buffer, sizeof buffer)) > 0;) lines.append(buffer, got);
    close(said);
    waitpid(child, nullptr, 0);
    for (std::size_t start = 0, end; (end = lines.find('\n', start)) != std::string::npos;
         start = end + 1) {
      const std::string line = lines.substr(start, end - start);
      if (line.starts_with("damaged ")) {
        told.damaged += std::stoi(line.substr(8));
      } else {
        told.saved.insert(line);
      }
    }
  }
  kill(mover, SIGKILL);
  waitpid(mover, nullptr, 0);
  return told;
}

}  // namespace kelvo::data
