// Holders of a store that another program sees only in part: one in a mount namespace of its own
// that reaches the store's folder by another path, one in a pid namespace of its own, one of
// another user whose memory map may not be read, one using SQLite alone stopped between its lock
// on the file and its map of the -shm, a lock taken without SQLite. Each holding the store by
// another name is seen, or the open refused in words that say what is so; each holding it by this
// name never is.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "tests/data/StorePeer.hpp"
#include "tests/support/AnotherUser.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo::data {
namespace {

namespace fs = std::filesystem;
using kelvo::testing::TemporaryDirectory;

// How a holder holds the store: through this library, or through SQLite alone (in a read), or
// through SQLite alone stopped as it opens the -shm, its lock on the file taken, or with a read
// lock on the file's shared range and no SQLite at all, through an open file description or not.
enum class Kind { library, sqlite, sqliteStopped, lockAlone, openFileLock };

// Where it runs.
struct Place {
  bool ownPids = false;
  // The store's folder bound at this path in a mount namespace of its own; empty for none.
  fs::path boundAt = {};
  bool anotherUser = false;
  bool undumpable = false;
};

// A lock of `type` on the store file's shared range, where SQLite's readers take theirs.
struct flock sharedRange(short type) {
  return {.l_type = type, .l_whence = SEEK_SET, .l_start = 0x40000002, .l_len = 510, .l_pid = 0};
}

// Opens the store at `url` as `kind` and reports 'y' on `ready`; stays until killed.
void holdAs(Kind kind, const fs::path& url, int ready) {
  const auto told = [&](bool held) {
    const char byte = held ? 'y' : 'n';
    if (write(ready, &byte, 1) != 1) _exit(1);
  };
  static sqlite3_syscall_ptr realOpen = nullptr;
  if (kind == Kind::sqliteStopped) {
    sqlite3_vfs* own = sqlite3_vfs_find("unix");
    realOpen = own->xGetSystemCall(own, "open");
    own->xSetSystemCall(
        own, "open",
        reinterpret_cast<sqlite3_syscall_ptr>(+[](const char* path, int flags, int mode) {
          if (std::string_view(path).ends_with("-shm")) raise(SIGSTOP);
          return reinterpret_cast<int (*)(const char*, int, int)>(realOpen)(path, flags, mode);
        }));
  }
  if (kind == Kind::library) {
    static auto container = testing::openContainer(url);
    told(true);
  } else if (kind == Kind::lockAlone || kind == Kind::openFileLock) {
    const int file = ::open(url.c_str(), O_RDONLY | O_CLOEXEC);
    struct flock lock = sharedRange(F_RDLCK);
    told(::fcntl(file, kind == Kind::lockAlone ? F_SETLK : F_OFD_SETLK, &lock) == 0);
  } else {
    sqlite3* raw = nullptr;
    sqlite3_open_v2(url.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    // Stopped, it says it holds the file when it goes on: the test looks at its locks meanwhile.
    told(sqlite3_exec(raw, "BEGIN; SELECT count(*) FROM sqlite_schema", nullptr, nullptr,
                      nullptr) == SQLITE_OK);
  }
  pause();
}

// A program of its own holding the store as `kind`, at `place`.
class Holder {
 public:
  Holder(Kind kind, const fs::path& url, const Place& place) {
    int ready[2];
    if (pipe(ready) != 0) return;
    process_ = fork();
    if (process_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      alarm(60);
      close(ready[0]);
      if (!place.boundAt.empty() &&
          (unshare(CLONE_NEWNS) != 0 ||
           mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
           mount(url.parent_path().c_str(), place.boundAt.c_str(), nullptr, MS_BIND, nullptr) !=
               0)) {
        _exit(3);
      }
      const fs::path path = place.boundAt.empty() ? url : place.boundAt / url.filename();
      if (place.anotherUser && !kelvo::testing::becomeAnotherUser()) _exit(3);
      if (place.undumpable) prctl(PR_SET_DUMPABLE, 0);
      if (place.ownPids) {
        if (unshare(CLONE_NEWPID) != 0) _exit(3);
        const pid_t inside = fork();
        if (inside == 0) {
          prctl(PR_SET_PDEATHSIG, SIGKILL);
          holdAs(kind, path, ready[1]);
        }
        waitpid(inside, nullptr, 0);
        _exit(0);
      }
      holdAs(kind, path, ready[1]);
    }
    close(ready[1]);
    pollfd readable{ready[0], POLLIN, 0};
    char byte = 0;
    // One stopped on its way says nothing until it goes on: it holds the file by then.
    if (kind == Kind::sqliteStopped) {
      int status = 0;
      stopped_ = waitpid(process_, &status, WUNTRACED) == process_ && WIFSTOPPED(status);
      held_ = stopped_;
    } else {
      held_ = poll(&readable, 1, 10'000) == 1 && read(ready[0], &byte, 1) == 1 && byte == 'y';
    }
    close(ready[0]);
  }
  ~Holder() {
    if (process_ <= 0) return;
    kill(process_, SIGKILL);
    if (stopped_) kill(process_, SIGCONT);
    waitpid(process_, nullptr, 0);
  }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;
  bool held() const { return held_; }
  pid_t process() const { return process_; }

 private:
  pid_t process_ = -1;
  bool held_ = false;
  bool stopped_ = false;
};

// Who opens the store: a program as this one is, as another user, or in a pid namespace of its
// own, with a /proc of its own, as a program in a container is.
enum class Opener { likeThis, anotherUser, ownPids };

// What an open of the store at `url` says, and whether it then saves.
std::string opening(const fs::path& url, Opener opener) {
  if (opener == Opener::ownPids) {
    Peer contained(Peer::Space::ownPids);
    if (!contained.inOwnPidSpace()) return "no pid namespace";
    const std::string opened = contained("open " + url.string());
    return opened == "opened" ? contained("note opened") : opened;
  }
  return saidInChild(
      [&] {
        auto container = testing::openContainer(url);
        testing::makeNote(container->viewContext(), "opened");
        container->viewContext().save();
      },
      opener == Opener::anotherUser);
}

std::string refused(const fs::path& url, const std::string& why) {
  return "Could not open the store at " + url.string() + ": " + why;
}

std::string program(pid_t process) {
  return process > 0 ? "another program (process " + std::to_string(process) + ")"
                     : "another program";
}

const std::string twoLogs =
    ", has this file open, and which name it opened it by cannot be told, so its saves and this "
    "program's could go to two logs; close the store in that program, then open it here.";

std::string byAnotherName(pid_t process) {
  return program(process) +
         " has this file open by another name, and SQLite keeps a store's -wal and -shm beside the "
         "name it was opened by; close the store in that program, then open it here.";
}

// Every holder of the store by another name (the store's own name, "A.store"; the open is made
// by a hard link, "B.store") is seen, or the open refused in words that say what is so; a reader
// using SQLite alone at the name opened, where there is one, hides none of them. A holder by the
// same name is never refused, whatever this program can see of it.
TEST(StoreUnseenHoldersTest, AHolderByAnotherNameIsSeenOrRefusedInTrueWordsAndByTheSameNameNever) {
  if (geteuid() != 0) GTEST_SKIP() << "namespaces and another user need the superuser";
  TemporaryDirectory directory;
  TemporaryDirectory elsewhere;
  const fs::path folder = fs::canonical(directory.path());
  fs::permissions(folder, fs::perms::all);
  const fs::path url = folder / "A.store";
  const fs::path link = folder / "B.store";
  const auto withoutShm = [](pid_t process) {
    return program(process) +
           " holds this file locked without the -shm beside any name of it open (it is opening or "
           "closing the store, or it is no program of SQLite), so which name it uses cannot be "
           "told; open the store again once that program has let go of the file.";
  };
  const struct {
    const char* name;
    Kind kind;
    Place place;
    bool readerAtTheLink;
    Opener opener;
    // The sentence refusing the open by the link, given the holder's process as this program
    // names it; none where the open is by the store's own name, and saves.
    std::function<std::string(pid_t)> said;
  } rows[] = {
      {"this library, its folder bound elsewhere", Kind::library,
       Place{.boundAt = elsewhere.path()}, false, Opener::likeThis, byAnotherName},
      {"SQLite alone, its folder bound elsewhere", Kind::sqlite, Place{.boundAt = elsewhere.path()},
       false, Opener::likeThis, byAnotherName},
      {"this library, unseen, beside a reader at the link", Kind::library, Place(), true,
       Opener::ownPids, [](pid_t) { return byAnotherName(0); }},
      {"SQLite alone, unseen, beside a reader at the link", Kind::sqlite, Place(), true,
       Opener::ownPids,
       [](pid_t) {
         return program(0) +
                ", which runs where this program cannot see it (in another pid namespace: another "
                "container, or a sandboxed app)" +
                twoLogs;
       }},
      {"this library, undumpable, beside a reader at the link", Kind::library,
       Place{.undumpable = true}, true, Opener::anotherUser, byAnotherName},
      {"SQLite alone, whose map this program may not read, beside a reader at the link",
       Kind::sqlite, Place{.undumpable = true}, true, Opener::anotherUser,
       [](pid_t process) {
         return program(process) +
                ", whose memory map this program may not read (it runs as another user, or keeps "
                "its memory closed to other programs)" +
                twoLogs;
       }},
      {"SQLite alone, stopped as it opens the -shm", Kind::sqliteStopped, Place(), false,
       Opener::likeThis, withoutShm},
      {"a lock alone, without SQLite", Kind::lockAlone, Place(), false, Opener::likeThis,
       withoutShm},
      {"by the same name, this library in a pid namespace of its own", Kind::library,
       Place{.ownPids = true}, false, Opener::likeThis, nullptr},
      {"by the same name, SQLite alone in a pid namespace of its own", Kind::sqlite,
       Place{.ownPids = true}, false, Opener::likeThis, nullptr},
      {"by the same name, this library, unseen", Kind::library, Place(), false, Opener::ownPids,
       nullptr},
      {"by the same name, this library, as another user", Kind::library, Place{.anotherUser = true},
       false, Opener::likeThis, nullptr},
      {"by the same name, SQLite alone, whose map this program may not read", Kind::sqlite,
       Place{.undumpable = true}, false, Opener::anotherUser, nullptr},
      {"by the same name, this library, undumpable", Kind::library, Place{.undumpable = true},
       false, Opener::anotherUser, nullptr},
      {"by the same name, SQLite alone, its folder bound elsewhere", Kind::sqlite,
       Place{.boundAt = elsewhere.path()}, false, Opener::likeThis, nullptr},
      {"by the same name, an open file description's lock, without SQLite", Kind::openFileLock,
       Place(), false, Opener::likeThis, nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    for (const auto& file : fs::directory_iterator(folder)) fs::remove(file.path());
    testing::keepNote(url, "kept");
    fs::permissions(url, fs::perms::all & ~fs::perms::others_exec & ~fs::perms::group_exec &
                             ~fs::perms::owner_exec);
    if (row.said) fs::create_hard_link(url, link);
    Holder holder(row.kind, url, row.place);
    ASSERT_TRUE(holder.held());
    std::optional<Holder> reader;
    if (row.readerAtTheLink) {
      reader.emplace(Kind::sqlite, link, Place{});
      ASSERT_TRUE(reader->held());
    }
    const std::string said = opening(row.said ? link : url, row.opener);
    if (said == "no pid namespace") continue;
    EXPECT_EQ(said, row.said ? refused(link, row.said(holder.process())) : "saved");
  }
}

// Whether another program holds a read lock on the store file's shared range, as SQLite does.
bool heldByAnotherProgram(const fs::path& url) {
  const int file = ::open(url.c_str(), O_RDONLY | O_CLOEXEC);
  struct flock lock = sharedRange(F_WRLCK);
  const bool held = file >= 0 && ::fcntl(file, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
  // This program holds no lock on the file to lose by the close.
  if (file >= 0) ::close(file);
  return held;
}

// A program of this library holds the store by its name; another opens it by the same name,
// through whatever path, as whatever user, or beside the sqlite3 shell reading it: never refused.
TEST(StoreUnseenHoldersTest, AStoreOpenedByItsOneNameThroughAnyPathIsNeverRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "a /proc of its own needs the superuser";
  TemporaryDirectory directory;
  const fs::path folder = fs::canonical(directory.path());
  fs::permissions(folder, fs::perms::all);
  const fs::path url = folder / "A.store";
  const fs::path linked = folder.parent_path() / (folder.filename().string() + "-linked");
  fs::create_directory_symlink(folder, linked);
  testing::keepNote(url, "kept");
  fs::permissions(url, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                           fs::perms::group_write | fs::perms::others_read |
                           fs::perms::others_write);
  Peer holder;
  ASSERT_EQ(holder("open " + url.string()), "opened");
  const auto saves = [](const fs::path& path) {
    auto container = testing::openContainer(path);
    testing::makeNote(container->viewContext(), "opened");
    container->viewContext().save();
  };
  const struct {
    const char* name;
    std::function<std::string()> open;
  } rows[] = {
      {"through a link to its folder",
       [&] { return saidInChild([&] { saves(linked / "A.store"); }, false); }},
      {"through /proc/self/fd",
       [&] {
         return saidInChild(
             [&] {
               const int opened = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
               saves("/proc/self/fd/" + std::to_string(opened) + "/A.store");
             },
             false);
       }},
      {"as another user, under a /proc that hides other users' programs",
       [&] {
         return saidInChild(
             [&] {
               if (unshare(CLONE_NEWNS) != 0 ||
                   mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                   mount("proc", "/proc", "proc", MS_NOSUID | MS_NODEV | MS_NOEXEC,
                         "hidepid=invisible") != 0 ||
                   !kelvo::testing::becomeAnotherUser()) {
                 throw StoreError({}, "no /proc of its own");
               }
               saves(url);
             },
             false);
       }},
      {"beside the sqlite3 shell reading it",
       [&] {
         if (access("/usr/bin/sqlite3", X_OK) != 0) return std::string("no sqlite3 shell");
         int commands[2];
         if (pipe(commands) != 0) return std::string("no pipe");
         const pid_t shell = fork();
         if (shell == 0) {
           prctl(PR_SET_PDEATHSIG, SIGKILL);
           dup2(commands[0], 0);
           close(commands[1]);
           execl("/usr/bin/sqlite3", "sqlite3", url.c_str(), nullptr);
           _exit(127);
         }
         close(commands[0]);
         const std::string read = "BEGIN; SELECT count(*) FROM Note;\n";
         std::string said = "no shell";
         if (write(commands[1], read.data(), read.size()) == static_cast<ssize_t>(read.size())) {
           // Until the shell holds the file.
           for (int tries = 0; tries < 500 && !heldByAnotherProgram(url); ++tries) usleep(2000);
           said = saidInChild([&] { saves(url); }, false);
         }
         close(commands[1]);
         waitpid(shell, nullptr, 0);
         return said;
       }},
      {"two hundred stores, beside another program that has the same two hundred open",
       [&] {
         const fs::path many = folder / "many";
         fs::create_directory(many);
         for (int each = 0; each < 200; ++each) {
           holder("keep " + (many / (std::to_string(each) + ".store")).string());
         }
         return saidInChild(
             [&] {
               std::vector<std::unique_ptr<Container>> open;
               for (int each = 0; each < 200; ++each) {
                 open.push_back(testing::openContainer(many / (std::to_string(each) + ".store")));
               }
               testing::makeNote(open.back()->viewContext(), "beside many");
               open.back()->viewContext().save();
             },
             false);
       }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string said = row.open();
    if (said == "no /proc of its own" || said == "no sqlite3 shell") {
      std::printf("%s: left out (%s)\n", row.name, said.c_str());
      continue;
    }
    EXPECT_EQ(said, "saved");
  }
  fs::remove(linked);
}

}  // namespace
}  // namespace kelvo::data
