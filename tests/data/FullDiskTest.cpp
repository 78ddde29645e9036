// A store on a full disk: what a save, an open and a close say, and that the copy of a moved
// store's log into its file is made whole or not at all.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/data/Context.hpp"
#include "tests/data/StoreFileCheck.hpp"
#include "tests/data/TestModel.hpp"

namespace kelvo::data {
namespace {

namespace fs = std::filesystem;
using kelvo::testing::TemporaryDirectory;

// What `what` says, run in a child that mounts a file system of `bytes` at `folder` in a mount
// table of its own: nothing of it reaches the machine's, and it goes with the child. "no mount"
// where the child cannot have one.
std::string inSmallFileSystem(const fs::path& folder, std::size_t bytes,
                              const std::function<std::string()>& what) {
  int result[2];
  if (pipe(result) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    close(result[0]);
    std::string said;
    const std::string size = "size=" + std::to_string(bytes);
    if (unshare(CLONE_NEWNS) != 0 ||
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("none", folder.c_str(), "tmpfs", 0, size.c_str()) != 0) {
      said = "no mount";
    } else {
      try {
        said = what();
      } catch (const std::exception& error) {
        said = std::string("threw: ") + error.what();
      }
    }
    if (write(result[1], said.data(), said.size()) < 0) _exit(1);
    _exit(0);
  }
  close(result[1]);
  std::string said;
  char buffer[512];
  pollfd readable{result[0], POLLIN, 0};
  // A child that hangs is killed: two minutes is far past any case here.
  while (poll(&readable, 1, 120'000) > 0) {
    const ssize_t got = read(result[0], buffer, sizeof buffer);
    if (got <= 0) break;
    said.append(buffer, static_cast<std::size_t>(got));
  }
  close(result[0]);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  return said;
}

// Fills the file system of `filler` but for about `room` bytes.
void fill(const fs::path& filler, std::size_t room) {
  const int file = open(filler.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0600);
  if (file < 0) return;
  const std::vector<char> chunk(4096, 'x');
  while (write(file, chunk.data(), chunk.size()) > 0) {
  }
  struct stat status {};
  fstat(file, &status);
  const auto size = static_cast<std::size_t>(status.st_size);
  if (ftruncate(file, static_cast<off_t>(size > room ? size - room : 0)) != 0) room = 0;
  close(file);
}

std::string code(const std::optional<StoreError>& error) {
  return error ? std::to_string(error->extendedCode()) : "saved";
}

// Notes in the store at `url` and whether SQLite reads it whole, or what opening it says.
std::string notesAndCheck(const fs::path& url) {
  try {
    const std::size_t notes = testing::openContainer(url)->viewContext().count("Note");
    data_internal::Database database(url.string());
    data_internal::Statement check = database.prepare("PRAGMA integrity_check");
    check.step();
    return std::to_string(notes) + (check.columnText(0) == "ok" ? " whole" : " not whole");
  } catch (const StoreError& error) {
    return error.what();
  }
}

// A log set aside beside `url` by an open that found no store for it.
std::optional<fs::path> keptLog(const fs::path& url) {
  for (const auto& entry : fs::directory_iterator(url.parent_path())) {
    if (entry.path().filename().string().starts_with(url.filename().string() + "-wal-kept-")) {
      return entry.path();
    }
  }
  return std::nullopt;
}

// A store moved while open, on a disk filled but for `room` bytes: the save that finds the move
// and the close either copy the whole log into the moved file or write nothing into it and keep
// the log; once there is room, the moved store reads whole, and with the log kept, as the store
// page says, every saved note.
std::string movedOnAFullDisk(const fs::path& folder, std::size_t room, bool savesAgain) {
  const fs::path a = folder / "A.store";
  const fs::path b = folder / "B.store";
  std::string said;
  {
    auto p1 = testing::openContainer(a);
    for (int i = 0; i < 300; ++i) testing::makeNote(p1->viewContext(), "note " + std::to_string(i));
    p1->viewContext().save();
    fill(folder / "filler", room);
    fs::rename(a, b);
    testing::makeNote(p1->viewContext(), "late");
    said += "save " + code(testing::saveError(p1->viewContext()));
    if (savesAgain) {
      fs::remove(folder / "filler");
      said += ", again " + code(testing::saveError(p1->viewContext()));
    }
  }
  fs::remove(folder / "filler");
  said += "; B " + notesAndCheck(b);
  // A store made at the old path sets aside the log it finds there.
  said += "; A " + notesAndCheck(a);
  if (const auto kept = keptLog(a)) {
    fs::rename(*kept, b.string() + "-wal");
    said += "; B with the kept log " + notesAndCheck(b);
  }
  return said;
}

TEST(FullDiskTest, AStoreMovedOnAFullDiskKeepsEverySaveAndReadsWholeAtItsNewPlace) {
  TemporaryDirectory directory;
  const fs::path folder = directory.path() / "small";
  fs::create_directory(folder);
  constexpr std::size_t megabyte = 1 << 20;
  const std::string copied = "save 1032; B 300 whole; A 0 whole";
  const std::string kept = "save 13; B 0 whole; A 0 whole; B with the kept log 300 whole";
  for (const auto& [size, room, savesAgain, expected] : {
           std::tuple{megabyte, std::size_t{0}, false, kept},
           std::tuple{megabyte, std::size_t{12288}, false, kept},
           std::tuple{megabyte, std::size_t{16384}, false, copied},
           std::tuple{8 * megabyte, std::size_t{0}, false, kept},
           std::tuple{4 * megabyte, std::size_t{262144}, false, copied},
           std::tuple{megabyte, std::size_t{0}, true,
                      std::string("save 13, again 1032; B 300 whole; A 0 whole")},
       }) {
    SCOPED_TRACE(std::to_string(size) + " bytes, " + std::to_string(room) + " free");
    const std::string said =
        inSmallFileSystem(folder, size, [&] { return movedOnAFullDisk(folder, room, savesAgain); });
    if (said == "no mount") GTEST_SKIP() << "no file system of its own for the test to fill";
    EXPECT_EQ(said, expected);
  }
}

}  // namespace
}  // namespace kelvo::data
