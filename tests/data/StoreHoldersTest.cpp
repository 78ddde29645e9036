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
// one opens the second and saves, and the first keeps what that program saved. Where a third
// program holds the second too, the list of locks names both stores' holders alike on btrfs.
TEST(StoreHoldersTest, AStoreOfTheSameInodeOnAnotherFileSystemIsNoOtherName) {
  TemporaryDirectory directory;
  const fs::path root = fs::canonical(directory.path());
  const fs::path log = root / "log";
  const std::string at = "cd '" + root.string() + "' && ";
  // Each makes the two places, the stores being A.store and B.store below them (the snapshot's
  // copy of A where there is no B), and is left out where it cannot be made.
  const struct {
    const char* name;
    std::string make;
    fs::path held;
    fs::path opened;
    bool bothHeld = false;
  } cases[] = {
      {"two tmpfs mounts",
       at + "mkdir m1 m2 && mount -t tmpfs -o size=4m none m1 && mount -t tmpfs -o size=4m none m2",
       root / "m1/A.store", root / "m2/B.store"},
      {"two btrfs subvolumes",
       at + "command -v mkfs.btrfs && truncate -s 160M btrfs.img && mkfs.btrfs -q -f btrfs.img && "
            "mkdir b && mount -o loop btrfs.img b && btrfs subvolume create b/s1 && "
            "btrfs subvolume create b/s2",
       root / "b/s1/A.store", root / "b/s2/B.store"},
      {"a store and its copy in a btrfs snapshot",
       at + "test -f b/s1/A.store && btrfs subvolume snapshot b/s1 b/snap", root / "b/snap/A.store",
       root / "b/s1/A.store"},
      {"two btrfs subvolumes, each held", at + "test -f b/s2/B.store", root / "b/s1/A.store",
       root / "b/s2/B.store", true},
      {"a store and its copy in a btrfs snapshot, each held", at + "test -f b/snap/A.store",
       root / "b/snap/A.store", root / "b/s1/A.store", true},
  };
  const std::string said =
      inOwnMountTable([] { return true; },
                      [&] {
                        std::string results;
                        for (const auto& each : cases) {
                          results += std::string(each.name) + ": ";
                          if (!run(each.make, log)) {
                            results += "left out\n";
                            continue;
                          }
                          if (!fs::exists(each.held)) testing::keepNote(each.held, "held");
                          Peer peer;
                          std::string steps = peer("open " + each.held.string()) + ", ";
                          steps += peer("note peer") + ", ";
                          std::optional<Peer> second;
                          if (each.bothHeld) {
                            second.emplace();
                            steps += (*second)("open " + each.opened.string()) + ", ";
                          }
                          try {
                            auto container = testing::openContainer(each.opened);
                            testing::makeNote(container->viewContext(), "here");
                            steps += saying(container->viewContext());
                          } catch (const StoreError& error) {
                            steps += error.what();
                          }
                          results += steps + ", " + peer("count") + "\n";
                          // A kernel that numbers no two files alike tells nothing new here, and
                          // fails nothing.
                          if (inodeOf(each.held) != inodeOf(each.opened)) {
                            std::printf("%s: inode numbers differ\n", each.name);
                          }
                        }
                        return results;
                      });
  // Unmounted with the child's mount table; the loop device goes with its last mount.
  if (said == "no mount") GTEST_SKIP() << "no mount namespace of its own for the test";
  if (said.find("left out") != std::string::npos) {
    std::cout << "left out where mkfs.btrfs or a loop device is not at hand:\n" << said;
  }
  // The tmpfs mounts are always at hand, as the mount table is.
  EXPECT_EQ(said.substr(0, said.find('\n')), "two tmpfs mounts: opened, saved, saved, 2");
  for (const std::string line :
       {"two btrfs subvolumes: opened, saved, saved, 2",
        "a store and its copy in a btrfs snapshot: opened, saved, saved, 3",
        "two btrfs subvolumes, each held: opened, saved, opened, saved, 4",
        "a store and its copy in a btrfs snapshot, each held: opened, saved, opened, saved, 4"}) {
    const std::string name = line.substr(0, line.find(':'));
    if (said.find(name + ": left out") == std::string::npos) {
      EXPECT_NE(said.find(line + "\n"), std::string::npos) << said;
    }
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
  // The holder marks the name it holds the file by: told by another name, unseen as it is.
  EXPECT_EQ(contained("open " + link.string()), cannotOpen(link, byAnotherName(0)));
  EXPECT_EQ(contained("open " + url.string()), "opened");
  EXPECT_EQ(contained("note contained"), "saved");

  // A list of locks that reads empty: an empty file bound over it, in a mount table of its own.
  const fs::path empty = folder / "locks";
  std::ofstream(empty).flush();
  const std::string emptyList = inOwnMountTable(
      [&] { return mount(empty.c_str(), "/proc/locks", nullptr, MS_BIND, nullptr) == 0; },
      [&] {
        auto other = testing::openContainer(link);
        testing::makeNote(other->viewContext(), "by the link");
        return saying(other->viewContext());
      });
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
