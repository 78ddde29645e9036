// Programs meeting one store file under two names, and a close that finds its store moved while
// another program reads it.
#include <gtest/gtest.h>
#include <poll.h>
#include <sqlite3.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/data/Context.hpp"
#include "tests/data/StoreFileCheck.hpp"
#include "tests/data/StorePeer.hpp"
#include "tests/data/TestModel.hpp"

namespace kelvo::data {
namespace {

using kelvo::testing::TemporaryDirectory;
namespace fs = std::filesystem;

// All a child wrote to `from` until it closed it, read within 20 seconds.
std::string readAll(int from) {
  std::string text;
  char buffer[1024];
  for (;;) {
    pollfd ready{from, POLLIN, 0};
    if (poll(&ready, 1, 20'000) != 1) break;
    const ssize_t got = read(from, buffer, sizeof buffer);
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  close(from);
  return text;
}

// Ends a forked child with `said` written to `out`.
[[noreturn]] void tell(int out, const std::string& said) {
  if (write(out, said.data(), said.size()) < 0) _exit(1);
  _exit(0);
}

// A program using SQLite alone: reads every note of the store at `url` through a read-only URI,
// as a backup or an indexer would, and closes.
std::string readOnlyReader(const fs::path& url) {
  return saidInChild(
      [&] {
        alarm(20);
        sqlite3* connection = nullptr;
        const std::string uri = "file:" + url.string() + "?mode=ro";
        std::string said = "read";
        if (sqlite3_open_v2(uri.c_str(), &connection, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
                            nullptr) != SQLITE_OK ||
            sqlite3_exec(connection, "SELECT title FROM Note", nullptr, nullptr, nullptr) !=
                SQLITE_OK) {
          said = sqlite3_errmsg(connection);
        }
        sqlite3_close(connection);
        throw StoreError({}, said);
      },
      false);
}

// One program of a trial: waits for the start, opens the store at `url`, saves three notes one
// at a time, waits 10 ms and closes. Tells "opened" or the open's error, then a line per save:
// "saved <title>" or the error with its code.
[[noreturn]] void openSaveAndClose(const fs::path& url, const std::string& name, int start,
                                   int out) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  alarm(20);
  char go = 0;
  if (read(start, &go, 1) < 0) _exit(3);
  std::string said;
  try {
    auto container = testing::openContainer(url);
    said = "opened\n";
    for (int card = 0; card < 3; ++card) {
      const std::string title = name + std::to_string(card);
      testing::makeNote(container->viewContext(), title);
      try {
        container->viewContext().save();
        said += "saved " + title + "\n";
      } catch (const StoreError& error) {
        container->viewContext().rollback();
        said += std::to_string(error.primaryCode()) + " " + error.what() + "\n";
      }
    }
    usleep(10'000);
  } catch (const StoreError& error) {
    said += std::to_string(error.primaryCode()) + " " + error.what() + "\n";
  }
  tell(out, said);
}

// Two programs open one store at the same instant by two hard-linked names, trial after trial,
// with a program using SQLite alone reading the store read-only between trials. Each is opened or
// refused in the library's words; one that opens saves, and never calls the store damaged, whose
// file holds every note a save answered "saved" for.
TEST(StoreNamesTest, TwoProgramsOpeningOneStoreByTwoNamesAtOnceNeverCallItDamaged) {
  TemporaryDirectory directory;
  const auto folder = fs::canonical(directory.path());
  const std::array<fs::path, 2> names{folder / "a.store", folder / "b.store"};
  testing::keepNote(names[0], "seed");
  fs::create_hard_link(names[0], names[1]);
  constexpr int trials = 20;
  std::set<std::string> saved;
  std::vector<std::string> damaged;
  int opened[3] = {0, 0, 0};  // trials in which none, one or both opened
  for (int trial = 0; trial < trials; ++trial) {
    EXPECT_EQ(readOnlyReader(names[0]), "read");
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    std::array<std::pair<pid_t, int>, 2> programs;
    for (int which = 0; which < 2; ++which) {
      int out[2];
      ASSERT_EQ(pipe(out), 0);
      const pid_t child = fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        close(start[1]);
        close(out[0]);
        openSaveAndClose(names[which], std::string(1, "ab"[which]) + std::to_string(trial) + "-",
                         start[0], out[1]);
      }
      close(out[1]);
      programs[which] = {child, out[0]};
    }
    close(start[0]);
    close(start[1]);
    int openedNow = 0;
    for (const auto& [child, out] : programs) {
      const std::string said = readAll(out);
      waitpid(child, nullptr, 0);
      if (said.starts_with("opened\n")) ++openedNow;
      for (std::size_t at = 0, end; (end = said.find('\n', at)) != std::string::npos;
           at = end + 1) {
        const std::string line = said.substr(at, end - at);
        if (line.starts_with("saved ")) saved.insert(line.substr(6));
        if (line.find("damaged") != std::string::npos) damaged.push_back(line);
      }
    }
    ++opened[openedNow];
  }
  std::printf("both opened %d, one refused %d, both refused %d\n", opened[2], opened[1], opened[0]);
  EXPECT_EQ(damaged, std::vector<std::string>{});
  ASSERT_NO_FATAL_FAILURE(testing::expectIntact(names[0]));
  std::set<std::string> found;
  for (const auto& note : testing::openContainer(names[0])->viewContext().fetch("Note")) {
    found.insert(*note->value("title")->string());
  }
  std::vector<std::string> lost;
  for (const auto& title : saved) {
    if (!found.contains(title)) lost.push_back(title);
  }
  EXPECT_EQ(lost, std::vector<std::string>{});
}

// SQLite's own VFS, changed in a forked child only, so that the connection's first lock on a
// store file waits until a byte arrives on `go` (10 seconds at most): the instant between the
// open's first look at other programs and its first read, stretched.
struct HeldFirstRead {
  static inline int go = -1;
  static inline sqlite3_io_methods methods{};
  static inline const sqlite3_io_methods* real = nullptr;
  static inline int (*realOpen)(sqlite3_vfs*, sqlite3_filename, sqlite3_file*, int, int*) = nullptr;

  static void install(int from) {
    go = from;
    sqlite3_vfs* own = sqlite3_vfs_find(nullptr);
    realOpen = own->xOpen;
    own->xOpen = [](sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags,
                    int* outFlags) {
      const int result = realOpen(vfs, name, file, flags, outFlags);
      if (result == SQLITE_OK && (flags & SQLITE_OPEN_MAIN_DB) != 0 && file->pMethods != nullptr) {
        real = file->pMethods;
        methods = *real;
        methods.xLock = [](sqlite3_file* held, int lock) {
          if (go >= 0) {
            pollfd ready{go, POLLIN, 0};
            char byte = 0;
            if (poll(&ready, 1, 10'000) != 1 || read(go, &byte, 1) != 1) _exit(4);
            go = -1;
          }
          return real->xLock(held, lock);
        };
        file->pMethods = &methods;
      }
      return result;
    };
  }
};

// The same two programs, one of them stopped between its first look at other programs and its
// first read until the other has opened the store by its other name: it reads while the other
// saves notes that grow the file, and opens once the other has closed.
TEST(StoreNamesTest, AProgramThatReadTheStoreBeforeAnotherSavedUnderAnotherNameSavesAfterIt) {
  TemporaryDirectory directory;
  const auto folder = fs::canonical(directory.path());
  const auto url = folder / "a.store";
  const auto link = folder / "b.store";
  testing::keepNote(url, "seed");
  fs::create_hard_link(url, link);
  int go[2];
  int saidFirst[2];
  int saidLater[2];
  ASSERT_EQ(pipe(go), 0);
  ASSERT_EQ(pipe(saidFirst), 0);
  ASSERT_EQ(pipe(saidLater), 0);
  const pid_t first = fork();
  ASSERT_GE(first, 0);
  if (first == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    alarm(20);
    std::string said;
    try {
      auto container = testing::openContainer(url);
      if (write(go[1], "g", 1) != 1) _exit(2);
      // Notes that take new pages: the file grows.
      for (int card = 0; card < 3; ++card) {
        auto note = testing::makeNote(container->viewContext(), "a" + std::to_string(card));
        note->setValue("body", std::string(3000, 'x'));
      }
      said = testing::saveError(container->viewContext()) ? "refused" : "saved";
    } catch (const StoreError& error) {
      said = error.what();
    }
    tell(saidFirst[1], said);
  }
  const pid_t later = fork();
  ASSERT_GE(later, 0);
  if (later == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    alarm(20);
    HeldFirstRead::install(go[0]);
    std::string said;
    try {
      auto container = testing::openContainer(link);
      said = "opened\n";
      for (int card = 0; card < 3; ++card) {
        testing::makeNote(container->viewContext(), "b" + std::to_string(card));
        const auto error = testing::saveError(container->viewContext());
        said +=
            error ? std::to_string(error->primaryCode()) + " " + error->what() + "\n" : "saved\n";
        container->viewContext().rollback();
      }
    } catch (const StoreError& error) {
      said = std::to_string(error.primaryCode()) + " " + error.what();
    }
    tell(saidLater[1], said);
  }
  for (int end : {go[0], go[1], saidFirst[1], saidLater[1]}) close(end);
  const std::string firstSaid = readAll(saidFirst[0]);
  const std::string laterSaid = readAll(saidLater[0]);
  waitpid(first, nullptr, 0);
  waitpid(later, nullptr, 0);
  EXPECT_EQ(firstSaid, "saved");
  EXPECT_EQ(laterSaid, "opened\nsaved\nsaved\nsaved\n");
  ASSERT_NO_FATAL_FAILURE(testing::expectIntact(url));
  EXPECT_EQ(testing::openContainer(url)->viewContext().count("Note"), 7u);
}

// A program using SQLite alone reads the store from before a save until a second after the
// container's close begins, and then closes, finding the file moved from its path: SQLite's close
// copies nothing then. The container's close waits for that reader, as a refused save does, so
// that the save is in the moved file and no log holding it is left beside the old name.
TEST(StoreNamesTest, AClosingContainerOfAMovedStoreWaitsForAReaderAndLeavesNoLogAtTheOldName) {
  TemporaryDirectory directory;
  const auto folder = fs::canonical(directory.path());
  for (const bool refusedSaveFirst : {false, true}) {
    SCOPED_TRACE(refusedSaveFirst ? "after a refused save" : "at once");
    const auto url = folder / (std::to_string(refusedSaveFirst) + ".store");
    const auto moved = folder / (std::to_string(refusedSaveFirst) + "-moved.store");
    testing::keepNote(url, "a");
    int reading[2];
    int closing[2];
    ASSERT_EQ(pipe(reading), 0);
    ASSERT_EQ(pipe(closing), 0);
    const pid_t reader = fork();
    ASSERT_GE(reader, 0);
    if (reader == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      alarm(30);
      sqlite3* connection = nullptr;
      char byte = 0;
      if (sqlite3_open_v2(url.c_str(), &connection, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
          sqlite3_exec(connection, "BEGIN; SELECT count(*) FROM Note;", nullptr, nullptr,
                       nullptr) != SQLITE_OK ||
          write(reading[1], "r", 1) != 1) {
        _exit(1);
      }
      pollfd told{closing[0], POLLIN, 0};
      if (poll(&told, 1, 20'000) != 1 || read(closing[0], &byte, 1) != 1) _exit(2);
      usleep(1'000'000);
      sqlite3_exec(connection, "COMMIT", nullptr, nullptr, nullptr);
      _exit(sqlite3_close(connection) == SQLITE_OK ? 0 : 3);
    }
    close(reading[1]);
    close(closing[0]);
    char byte = 0;
    pollfd ready{reading[0], POLLIN, 0};
    ASSERT_EQ(poll(&ready, 1, 10'000), 1);
    ASSERT_EQ(read(reading[0], &byte, 1), 1);
    auto container = testing::openContainer(url);
    testing::makeNote(container->viewContext(), "R-1");
    EXPECT_FALSE(testing::saveError(container->viewContext()));
    fs::rename(url, moved);
    if (refusedSaveFirst) {
      testing::makeNote(container->viewContext(), "R-2");
      const auto refused = testing::saveError(container->viewContext());
      ASSERT_TRUE(refused);
      EXPECT_EQ(refused->extendedCode(), 1032);
    }
    ASSERT_EQ(write(closing[1], "c", 1), 1);
    container.reset();
    int status = 0;
    ASSERT_EQ(waitpid(reader, &status, 0), reader);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    close(reading[0]);
    close(closing[1]);
    EXPECT_EQ(sizeOf(url.string() + "-wal"), 0u);
    EXPECT_EQ(notesSeenElsewhere(moved), "R-1,a");
  }
}

}  // namespace
}  // namespace kelvo::data
