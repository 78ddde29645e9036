// A child process saves in a loop and is killed at random moments; every save is whole or absent.
// The log a killed program leaves beside a store that turns out damaged stays with it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <numeric>
#include <random>
#include <set>
#include <string>

#include "platform/data/Context.hpp"
#include "tests/data/StoreFileCheck.hpp"
#include "tests/data/TestModel.hpp"

namespace kelvo::data {
namespace {

constexpr int counterCount = 40;

// Each save raises every counter to the next value and adds one marker carrying that value.
[[noreturn]] void saveForever(const std::filesystem::path& url) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  try {
    auto container = testing::openContainer(url);
    Context& context = container->viewContext();
    std::vector<std::shared_ptr<ManagedObject>> counters;
    for (const auto& note : context.fetch("Note")) {
      if (*note->value("title")->string() == "counter") counters.push_back(note);
    }
    std::int64_t value = *counters.front()->value("useCount")->integer();
    for (int i = 0; i < 1'000'000; ++i) {
      ++value;
      for (const auto& counter : counters) counter->setValue("useCount", value);
      testing::makeNote(context, "marker")->setValue("useCount", value);
      context.save();
    }
  } catch (...) {
    _exit(2);
  }
  _exit(0);
}

TEST(CrashTest, AKilledSaveLeavesTheStoreAsBeforeOrAfterIt) {
  kelvo::testing::TemporaryDirectory directory;
  const auto url = directory.path() / "Crash.store";
  {
    auto container = testing::openContainer(url);
    for (int i = 0; i < counterCount; ++i) testing::makeNote(container->viewContext(), "counter");
    container->viewContext().save();
  }
  std::random_device seed;
  std::mt19937 random(seed());
  std::uniform_int_distribution<int> pause(1'000, 80'000);
  std::int64_t lastValue = 0;
  for (int round = 0; round < 15; ++round) {
    // No connection is open across the fork.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) saveForever(url);
    usleep(static_cast<useconds_t>(pause(random)));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the child stopped by itself with " << status;

    std::unique_ptr<Container> container;
    ASSERT_NO_FATAL_FAILURE(container = testing::reopenChecked(url));
    std::set<std::int64_t> counterValues;
    std::vector<std::int64_t> markers;
    for (const auto& note : container->viewContext().fetch("Note")) {
      const std::int64_t value = *note->value("useCount")->integer();
      if (*note->value("title")->string() == "counter") {
        counterValues.insert(value);
      } else {
        markers.push_back(value);
      }
    }
    ASSERT_EQ(counterValues.size(), 1u) << "counters disagree after round " << round;
    const std::int64_t value = *counterValues.begin();
    EXPECT_GE(value, lastValue);
    // One marker for each save that landed, 1 to the counters' value.
    std::vector<std::int64_t> expected(static_cast<std::size_t>(value));
    std::iota(expected.begin(), expected.end(), 1);
    std::sort(markers.begin(), markers.end());
    EXPECT_EQ(markers, expected);
    lastValue = value;
  }
  // The child did save now and then; otherwise the test proved nothing.
  EXPECT_GT(lastValue, 0);
}

// Runs `saves` in a child that is killed once they return, with whatever they left open, as a crash
// would leave it.
void savedByAKilledProgram(const std::function<void()>& saves) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    try {
      saves();
    } catch (...) {
      _exit(2);
    }
    raise(SIGKILL);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status)) << status;
}

// The pages a log holds frames of (each frame: a 24-byte header that begins with its page
// number, big-endian, then the page), after the log's own 32-byte header.
std::set<std::size_t> pagesInLog(const std::string& log, std::size_t pageSize) {
  std::set<std::size_t> pages;
  for (std::size_t at = 32; at + 24 + pageSize <= log.size(); at += 24 + pageSize) {
    std::size_t page = 0;
    for (std::size_t i = 0; i < 4; ++i) page = page << 8 | static_cast<unsigned char>(log[at + i]);
    pages.insert(page);
  }
  return pages;
}

// A store refused as damaged, or as no store of this app, or found damaged at a read, keeps its
// bytes and the log a killed program left beside it, whose frames may be its latest saves: SQLite's
// close, finding the file alone, would copy them into the damaged file and remove the -wal and
// -shm. A container that found the damage at a read still saves into the log, never the file.
// One closed before any read reached the damage closes as any does, copying the log.
TEST(CrashTest, AStoreFoundDamagedKeepsItsBytesAndTheLogAKilledProgramLeftBesideIt) {
  kelvo::testing::TemporaryDirectory directory;
  constexpr std::size_t pageSize = 4096;
  enum class Killed { inserted, updated };
  enum class Damage { pageOpeningReads, pageDeepInTheFile, noStoreOfOurs };
  const struct {
    const char* name;
    Killed killed;
    Damage damage;
    bool reads;
    bool savesAfter;
    std::string said;
    // The store's bytes and the killed program's log kept, or the log copied into the file.
    bool kept;
  } rows[] = {
      // The metadata's page, which opening reads: the killed program's updates left it to the
      // file.
      {"opening", Killed::updated, Damage::pageOpeningReads, true, false, "refused 11", true},
      {"deep", Killed::inserted, Damage::pageDeepInTheFile, true, false, "read 11", true},
      {"saved", Killed::updated, Damage::pageDeepInTheFile, true, true, "read 11, saved", true},
      {"not-ours", Killed::inserted, Damage::noStoreOfOurs, true, false, "refused 0", true},
      {"unread", Killed::inserted, Damage::pageDeepInTheFile, false, false, "opened", false},
  };
  for (const auto& [name, killed, damage, reads, savesAfter, said, kept] : rows) {
    const auto url = directory.path() / (std::string(name) + ".store");
    SCOPED_TRACE(name);
    if (damage == Damage::noStoreOfOurs) {
      sqlite3* other = nullptr;
      ASSERT_EQ(sqlite3_open(url.c_str(), &other), SQLITE_OK);
      sqlite3_exec(other, "PRAGMA journal_mode = WAL; CREATE TABLE t(x); INSERT INTO t VALUES (1)",
                   nullptr, nullptr, nullptr);
      sqlite3_close(other);
      ASSERT_NO_FATAL_FAILURE(savedByAKilledProgram([&] {
        sqlite3* connection = nullptr;
        sqlite3_open(url.c_str(), &connection);
        sqlite3_exec(connection, "INSERT INTO t VALUES (2)", nullptr, nullptr, nullptr);
      }));
    } else {
      {
        auto container = testing::openContainer(url);
        for (int i = 0; i < 4'000; ++i) {
          testing::makeNote(container->viewContext(), std::to_string(i));
        }
        container->viewContext().save();
      }
      ASSERT_NO_FATAL_FAILURE(savedByAKilledProgram([&] {
        // Never closed: the kill finds it open.
        Container* container = testing::openContainer(url).release();
        Context& context = container->viewContext();
        if (killed == Killed::inserted) {
          for (int i = 0; i < 10; ++i) testing::makeNote(context, "late " + std::to_string(i));
        } else {
          for (const auto& note : context.fetch("Note")) {
            if (note->value("title")->string()->size() == 1) note->setValue("title", "changed");
          }
        }
        context.save();
      }));
    }
    const std::string log = testing::fileBytes(url.string() + "-wal");
    ASSERT_GT(log.size(), 32u);
    std::string bytes = testing::fileBytes(url);
    const std::size_t pages = bytes.size() / pageSize;
    const auto logged = pagesInLog(log, pageSize);
    if (damage != Damage::noStoreOfOurs) {
      std::size_t page = damage == Damage::pageOpeningReads ? 2 : pages / 2;
      while (logged.contains(page)) ++page;
      ASSERT_LT(page, pages);
      std::mt19937 random(11);
      for (std::size_t i = (page - 1) * pageSize; i < page * pageSize; ++i) {
        bytes[i] = static_cast<char>(random());
      }
      std::ofstream(url, std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string told;
    try {
      auto container = testing::openContainer(url);
      told = "opened";
      try {
        if (reads) container->viewContext().fetch("Note");
        if (reads) told = "read";
      } catch (const StoreError& error) {
        told = "read " + std::to_string(error.primaryCode());
      }
      if (savesAfter) {
        testing::makeNote(container->viewContext(), "after");
        told += testing::saveError(container->viewContext()) ? ", refused" : ", saved";
      }
    } catch (const StoreError& error) {
      told = "refused " + std::to_string(error.extendedCode());
    }
    EXPECT_EQ(told, said);
    // Compared whole, never shown: a store's bytes would fill the report. Kept, the killed
    // program's frames lead the log, what the container saved after them; copied, the log's pages
    // went over their older copies, and the damaged page stayed as it was.
    EXPECT_EQ(testing::fileBytes(url) == bytes, kept)
        << (kept ? "the store file was written" : "the log was not copied");
    EXPECT_EQ(testing::fileBytes(url.string() + "-wal").substr(0, log.size()) == log, kept)
        << "the killed program's log";
    EXPECT_EQ(std::filesystem::exists(url.string() + "-wal"), kept);
    EXPECT_EQ(std::filesystem::exists(url.string() + "-shm"), kept);
  }
}

}  // namespace
}  // namespace kelvo::data
