// Another program's hold on a store, told from the store's own file: a stranger's file on another
// file system with the same inode numbers is none, a holder in another pid namespace or behind a
// list of locks that reads empty is one, a program inside its close is waited for and never taken
// for another name, and a file kept locked past the wait is told in our words.
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

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/data/StorePeer.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo::data {
namespace {

namespace fs = std::filesystem;
using kelvo::testing::TemporaryDirectory;

std::string cannotOpen(const fs::path& url, const std::string& why) {
  return "Could not open the store at " + url.string() + ": " + why;
}

std::string program(pid_t process) {
  return process > 0 ? "another program (process " + std::to_string(process) + ")"
                     : "another program";
}

std::string byAnotherName(pid_t process) {
  return program(process) +
         " has this file open by another name, and SQLite keeps a store's -wal and -shm beside the "
         "name it was opened by; close the store in that program, then open it here.";
}

const std::string unseen =
    "another program, which this program cannot see into (it runs in another container, or as "
    "another user), has this file open, and nobody holds the -shm beside this name, so its saves "
    "and this program's could go to two logs; close the store in that program, then open it here.";

// A mount table of the calling child's own: nothing of it reaches the machine's.
bool ownMounts() {
  return unshare(CLONE_NEWNS) == 0 &&
         mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// Runs a shell command with its output in `log`: never the machine's null device.
bool run(const std::string& command, const fs::path& log) {
  return std::system(("{ " + command + "; } >>'" + log.string() + "' 2>&1").c_str()) == 0;
}

std::uint64_t inodeOf(const fs::path& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

// Two stores on two file systems whose inode numbers repeat: two tmpfs mounts, two btrfs
// subvolumes, and a store and its copy in a btrfs snapshot. Another program holds the first; this
// one opens the second and saves, and the first keeps what that program saved.
TEST(StoreHoldersTest, AStoreOfTheSameInodeOnAnotherFileSystemIsNoOtherName) {
  TemporaryDirectory directory;
  const fs::path root = fs::canonical(directory.path());
  const fs::path log = root / "log";
  const bool btrfs = run("command -v mkfs.btrfs && command -v losetup && losetup -f", log);
  // Each makes the two places, with a store at the first; skipped where it cannot be made.
  const struct {
    const char* name;
    std::function<std::string(fs::path& held, fs::path& opened)> make;
  } cases[] = {
      {"two tmpfs mounts",
       [&](fs::path& held, fs::path& opened) -> std::string {
         fs::create_directories(root / "m1");
         fs::create_directories(root / "m2");
         if (mount("none", (root / "m1").c_str(), "tmpfs", 0, "size=4m") != 0 ||
             mount("none", (root / "m2").c_str(), "tmpfs", 0, "size=4m") != 0) {
           return "no tmpfs";
         }
         held = root / "m1" / "A.store";
         opened = root / "m2" / "B.store";
         return {};
       }},
      {"two btrfs subvolumes",
       [&](fs::path& held, fs::path& opened) -> std::string {
         const fs::path image = root / "btrfs.img";
         const fs::path at = root / "b";
         fs::create_directories(at);
         if (!btrfs ||
             !run("truncate -s 160M '" + image.string() + "' && mkfs.btrfs -q -f '" +
                      image.string() + "' && mount -o loop '" + image.string() + "' '" +
                      at.string() + "' && btrfs subvolume create '" + (at / "s1").string() +
                      "' && btrfs subvolume create '" + (at / "s2").string() + "'",
                  log)) {
           return "no btrfs";
         }
         held = at / "s1" / "A.store";
         opened = at / "s2" / "B.store";
         return {};
       }},
      {"a store and its copy in a btrfs snapshot",
       [&](fs::path& held, fs::path& opened) -> std::string {
         const fs::path at = root / "b";
         if (!btrfs || !fs::exists(at / "s1" / "A.store")) return "no btrfs";
         if (!run("btrfs subvolume snapshot '" + (at / "s1").string() + "' '" +
                      (at / "snap").string() + "'",
                  log)) {
           return "no snapshot";
         }
         held = at / "snap" / "A.store";
         opened = at / "s1" / "A.store";
         return {};
       }},
  };
  const std::string said = saidInChild(
      [&] {
        if (!ownMounts()) throw StoreError({}, "no mount namespace");
        std::string results;
        for (const auto& each : cases) {
          fs::path held;
          fs::path opened;
          const std::string skipped = each.make(held, opened);
          results += std::string(each.name) + ": ";
          if (!skipped.empty()) {
            results += skipped + "\n";
            continue;
          }
          if (!fs::exists(held)) testing::keepNote(held, "held");
          Peer peer;
          std::string steps = peer("open " + held.string()) + ", ";
          steps += peer("note peer") + ", ";
          try {
            auto container = testing::openContainer(opened);
            testing::makeNote(container->viewContext(), "here");
            steps += saying(container->viewContext());
          } catch (const StoreError& error) {
            steps += error.what();
          }
          steps += ", " + peer("count");
          // A kernel that numbers no two files alike tells nothing new here, and fails nothing.
          if (inodeOf(held) != inodeOf(opened))
            std::printf("%s: inode numbers differ\n", each.name);
          results += steps + "\n";
        }
        throw StoreError({}, results);
      },
      false);
  // Unmounted with the child's mount table; the loop device goes with its last mount.
  if (said == "no mount namespace") GTEST_SKIP() << "no mount namespace of its own for the test";
  EXPECT_EQ(said.substr(0, said.find('\n')), "two tmpfs mounts: opened, saved, saved, 2");
  if (said.find("no btrfs") != std::string::npos) {
    std::cout << "btrfs cases skipped: mkfs.btrfs or a loop device is not at hand\n";
  } else {
    EXPECT_EQ(said,
              "two tmpfs mounts: opened, saved, saved, 2\n"
              "two btrfs subvolumes: opened, saved, saved, 2\n"
              "a store and its copy in a btrfs snapshot: opened, saved, saved, 3\n");
  }
}

// A program that cannot see the store's holder (it runs in a pid namespace of its own), or whose
// list of the system's locks reads empty, is refused the store by a hard link rather than keep a
// second log of it; by the same name it opens and saves. Nothing saved is lost.
TEST(StoreHoldersTest, AProgramThatCannotSeeTheHolderIsRefusedAnotherNameAndLosesNothing) {
  TemporaryDirectory directory;
  const fs::path folder = fs::canonical(directory.path());
  const fs::path url = folder / "Kelvo.store";
  const fs::path link = folder / "Link.store";
  // The holder is another program: a child of this one would take this one's open stores for
  // its own.
  Peer holder;
  ASSERT_EQ(holder("open " + url.string()), "opened");
  ASSERT_EQ(holder("note held"), "saved");
  fs::create_hard_link(url, link);

  Peer contained(Peer::Space::ownPids);
  if (!contained.inOwnPidSpace()) GTEST_SKIP() << "no pid namespace of its own for the test";
  EXPECT_EQ(contained("open " + link.string()), cannotOpen(link, unseen));
  EXPECT_EQ(contained("open " + url.string()), "opened");
  EXPECT_EQ(contained("note contained"), "saved");

  // A list of locks that reads empty: an empty file bound over it, in a mount table of its own.
  const std::string emptyList = saidInChild(
      [&] {
        const fs::path empty = folder / "locks";
        std::ofstream(empty).flush();
        if (!ownMounts() || mount(empty.c_str(), "/proc/locks", nullptr, MS_BIND, nullptr) != 0) {
          throw StoreError({}, "no mount");
        }
        auto other = testing::openContainer(link);
        testing::makeNote(other->viewContext(), "by the link");
        throw StoreError({}, saying(other->viewContext()));
      },
      false);
  if (emptyList != "no mount") {
    EXPECT_EQ(emptyList, cannotOpen(link, byAnotherName(holder.process())));
  }

  EXPECT_EQ(holder("note after"), "saved");
  EXPECT_EQ(contained("close"), "closed");
  EXPECT_EQ(holder("close"), "closed");
  fs::remove(link);
  auto reopened = testing::openContainer(url);
  EXPECT_EQ(reopened->viewContext().count("Note"), 3u);
}

// A program stopped at each step of its close (each of SQLite's calls of fcntl, unlink and close
// on the way) while another opens the store by the same name: the opener waits for it and opens
// once it goes on, or is refused in our words; never is it taken for another name. A file kept
// locked past the wait is told in our words, at an open and at a save.
TEST(StoreHoldersTest, AProgramInsideItsCloseIsWaitedForAndAFileLockedPastTheWaitIsToldSo) {
  TemporaryDirectory directory;
  const fs::path url = fs::canonical(directory.path()) / "Kelvo.store";
  testing::keepNote(url, "first");
  int steps = 0;
  {
    Peer closer;
    closer("open " + url.string());
    closer("note counted");
    const std::string closed = closer("close stopping at 100000");
    ASSERT_TRUE(closed.starts_with("closed after ")) << closed;
    steps = std::stoi(closed.substr(13));
  }
  ASSERT_GT(steps, 3);
  int opened = 0;
  for (int step = 0; step < steps; ++step) {
    Peer closer;
    Peer opener;
    ASSERT_EQ(closer("open " + url.string()), "opened");
    ASSERT_EQ(closer("note at step " + std::to_string(step)), "saved");
    // The close answers once it has gone on; until then the closer stays stopped.
    std::string closed;
    std::thread closing([&] { closed = closer("close stopping at " + std::to_string(step)); });
    int status = 0;
    ASSERT_EQ(waitpid(closer.process(), &status, WUNTRACED), closer.process());
    ASSERT_TRUE(WIFSTOPPED(status));
    std::thread goOn([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(400));
      kill(closer.process(), SIGCONT);
    });
    const std::string said = opener("open " + url.string());
    goOn.join();
    closing.join();
    EXPECT_EQ(said.find("by another name"), std::string::npos) << "step " << step << ": " << said;
    EXPECT_TRUE(said == "opened" || said.starts_with("Could not open the store at "))
        << "step " << step << ": " << said;
    opened += said == "opened";
    EXPECT_TRUE(closed.starts_with("closed after ")) << closed;
  }
  EXPECT_EQ(opened, steps);
  auto container = testing::openContainer(url);
  EXPECT_EQ(container->viewContext().count("Note"), static_cast<std::size_t>(steps) + 2);

  // Locked as a closing program locks it, for longer than a connection waits.
  const auto holdLocked = [&](const char* how) {
    int ready[2];
    if (pipe(ready) != 0) return pid_t{-1};
    const pid_t child = fork();
    if (child == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      sqlite3* raw = nullptr;
      sqlite3_open_v2(url.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
      bool held = false;
      if (std::string(how) == "write") {
        held = sqlite3_exec(raw, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
      } else {
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_start = 0x40000000;
        lock.l_len = 512;
        const int file = ::open(url.c_str(), O_RDWR | O_CLOEXEC);
        held = fcntl(file, F_SETLK, &lock) == 0;
      }
      const char byte = held ? 'y' : 'n';
      (void)!write(ready[1], &byte, 1);
      pause();
      _exit(0);
    }
    char byte = 0;
    close(ready[1]);
    const bool held = read(ready[0], &byte, 1) == 1 && byte == 'y';
    close(ready[0]);
    return held ? child : pid_t{-1};
  };
  const pid_t writer = holdLocked("write");
  ASSERT_GT(writer, 0);
  testing::makeNote(container->viewContext(), "waits");
  EXPECT_EQ(saying(container->viewContext()),
            "Could not save: another program has kept the store at " + url.string() +
                " locked for the 5 seconds a save waits; the store is as it was before this save, "
                "and its changes are still pending; save again once that program has finished. "
                "(5)");
  kill(writer, SIGKILL);
  waitpid(writer, nullptr, 0);
  EXPECT_EQ(saying(container->viewContext()), "saved");
  container.reset();

  const pid_t closing = holdLocked("exclusive");
  ASSERT_GT(closing, 0);
  const auto error = [&]() -> std::optional<StoreError> {
    try {
      testing::openContainer(url);
    } catch (const StoreError& refused) {
      return refused;
    }
    return std::nullopt;
  }();
  kill(closing, SIGKILL);
  waitpid(closing, nullptr, 0);
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(std::string(error->what()),
            cannotOpen(url, program(closing) +
                                " has kept this file locked for the 5 seconds an open waits; open "
                                "it again once that program has closed it."));
  EXPECT_EQ(error->extendedCode(), 5);
  EXPECT_EQ(testing::openContainer(url)->viewContext().count("Note"),
            static_cast<std::size_t>(steps) + 3);
}

}  // namespace
}  // namespace kelvo::data

namespace kelvo::data {
namespace {

// What the lock tests open stays open: eight programs opening one name at one instant, round
// after round; a store opened through a link beside a program holding its real path; a program
// using SQLite alone reading at the same name; and two hundred stores open in one program.
TEST(StoreHoldersTest, ProgramsSharingOneNameAndManyStoresInOneProgramAreNeverRefused) {
  TemporaryDirectory directory;
  const fs::path folder = fs::canonical(directory.path());
  const fs::path url = folder / "Kelvo.store";
  testing::keepNote(url, "kept");
  constexpr int programs = 8;
  constexpr int rounds = 20;
  int refused = 0;
  for (int round = 0; round < rounds; ++round) {
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    std::vector<pid_t> children;
    for (int each = 0; each < programs; ++each) {
      const pid_t child = fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        alarm(60);
        close(start[1]);
        char go = 0;
        (void)!read(start[0], &go, 1);
        int status = 0;
        try {
          auto container = testing::openContainer(url);
          testing::makeNote(container->viewContext(), std::to_string(round));
          container->viewContext().save();
        } catch (const StoreError& error) {
          std::fprintf(stderr, "%s\n", error.what());
          status = 1;
        }
        _exit(status);
      }
      children.push_back(child);
    }
    close(start[0]);
    close(start[1]);  // all at once
    for (const pid_t child : children) {
      int status = 0;
      ASSERT_EQ(waitpid(child, &status, 0), child);
      ASSERT_TRUE(WIFEXITED(status)) << status;
      refused += WEXITSTATUS(status);
    }
  }
  EXPECT_EQ(refused, 0);

  // Through a link, beside a program that holds the real path, and one reading with SQLite alone.
  const fs::path link = folder / "Link.store";
  fs::create_symlink(url, link);
  Peer holder;
  EXPECT_EQ(holder("open " + url.string()), "opened");
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t reader = fork();
  if (reader == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    sqlite3* raw = nullptr;
    const bool reading =
        sqlite3_open_v2(url.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
        sqlite3_exec(raw, "BEGIN; SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr) ==
            SQLITE_OK;
    const char byte = reading ? 'y' : 'n';
    (void)!write(ready[1], &byte, 1);
    pause();
    _exit(0);
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  EXPECT_EQ(byte, 'y');
  close(ready[0]);
  close(ready[1]);
  {
    auto container = testing::openContainer(link);
    testing::makeNote(container->viewContext(), "by the link");
    EXPECT_EQ(saying(container->viewContext()), "saved");
  }
  kill(reader, SIGKILL);
  waitpid(reader, nullptr, 0);
  EXPECT_EQ(holder("count"), std::to_string(2 + programs * rounds));
  holder.kill();

  // Two hundred stores open in one program, and the first opened again beside them.
  std::vector<std::unique_ptr<Container>> open;
  for (int each = 0; each < 200; ++each) {
    open.push_back(testing::openContainer(folder / ("Store" + std::to_string(each) + ".store")));
  }
  auto again = testing::openContainer(folder / "Store0.store");
  testing::makeNote(again->viewContext(), "beside many");
  EXPECT_EQ(saying(again->viewContext()), "saved");
}

}  // namespace
}  // namespace kelvo::data
