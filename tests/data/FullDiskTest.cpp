// A store on a full disk: what a save, an open and a close say, and that the copy of a moved
// store's log into its file is made whole or not at all; and a file system that cannot keep the
// -shm at all.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/data/Context.hpp"
#include "platform/data/internal/StoreLog.hpp"
#include "tests/data/SmallDisk.hpp"
#include "tests/data/StoreFileCheck.hpp"
#include "tests/data/StorePeer.hpp"
#include "tests/data/TestModel.hpp"

namespace kelvo::data {
namespace {

namespace fs = std::filesystem;
using kelvo::testing::TemporaryDirectory;

// A log set aside beside `url` by an open that found no store for it.
std::optional<fs::path> keptLog(const fs::path& url) {
  for (const auto& entry : fs::directory_iterator(url.parent_path())) {
    if (entry.path().filename().string().starts_with(url.filename().string() + "-wal-kept-")) {
      return entry.path();
    }
  }
  return std::nullopt;
}

// The store at A, open in `container`, moved to B on a disk filled but for `room` bytes, and
// `atTheMove` done: the save that finds the move and the close either copy the whole log into the
// moved file or write nothing into it and keep the log; once there is room, the moved store reads
// whole, and with the log kept, as the store page says, every saved note.
std::string movedOnAFullDisk(
    const fs::path& folder, std::unique_ptr<Container> container, std::size_t room, bool savesAgain,
    const std::function<void()>& atTheMove = [] {}) {
  const fs::path a = folder / "A.store";
  const fs::path b = folder / "B.store";
  Context& context = container->viewContext();
  fill(folder / "filler", room);
  fs::rename(a, b);
  atTheMove();
  testing::makeNote(context, "late");
  std::string said = "save " + code(testing::saveError(context));
  if (savesAgain) {
    fs::remove(folder / "filler");
    said += ", again " + code(testing::saveError(context));
  }
  container.reset();
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
  // The log the close could not copy follows the file: the moved store reads every note.
  const std::string kept = "save 13; B 300 whole; A 0 whole";
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
    const std::string said = inSmallFileSystem(folder, size, [&] {
      auto container = testing::openContainer(folder / "A.store");
      for (int i = 0; i < 300; ++i) {
        testing::makeNote(container->viewContext(), "note " + std::to_string(i));
      }
      container->viewContext().save();
      return movedOnAFullDisk(folder, std::move(container), room, savesAgain);
    });
    if (said == "no mount") GTEST_SKIP() << "no file system of its own for the test to fill";
    EXPECT_EQ(said, expected);
  }
}

}  // namespace
}  // namespace kelvo::data

namespace kelvo::data {
namespace {

std::string said(const std::function<void()>& what) {
  try {
    what();
  } catch (const StoreError& error) {
    return std::to_string(error.extendedCode()) + " " + error.what();
  }
  return "done";
}

// A save, an open of a store and an open of a new one, on a disk with no room: each says which
// file could not grow, or be made, the store is as it was, and the same step goes through once
// there is room.
TEST(FullDiskTest, ASaveAndAnOpenOnAFullDiskSayWhichFileCouldNotGrowAndGoThroughOnceThereIsRoom) {
  TemporaryDirectory directory;
  const fs::path folder = directory.path() / "small";
  fs::create_directory(folder);
  const std::string url = (folder / "A.store").string();
  const std::string made = (folder / "New.store").string();
  const std::string link = (directory.path() / "Link.store").string();
  fs::create_symlink(url, link);
  // SQLite keeps the log beside the file a link leads to, named by that file's own path.
  const std::string target = (fs::canonical(folder) / "A.store").string();
  // The store at `store` with a note, opened, the disk filled, and a note made too big for it.
  const auto bigOnAFullDisk = [&](const std::string& store) {
    testing::keepNote(store, "kept");
    auto container = testing::openContainer(store);
    fill(folder / "filler", 0);
    testing::makeNote(container->viewContext(), "big")->setValue("body", std::string(65536, 'b'));
    return container;
  };
  const auto saveFull = [](const std::string& store, const std::string& log) {
    return "13 Could not save: the disk holding " + store + " is full (" + log +
           "-wal could not grow); the store is as it was before this save, and the changes are "
           "still pending; make room, then save again.";
  };
  const auto openFull = [](const std::string& store, const std::string& file,
                           const std::string& verb = "grow") {
    return "13 Could not open the store at " + store + ": the disk holding it is full (" + file +
           " could not " + verb + "); make room, then open it again.";
  };
  struct Case {
    const char* what;
    const char* options;
    std::function<std::string()> steps;
    std::vector<std::string> lines;
  };
  for (const auto& [what, options, steps, lines] : {
           // A new store's tables are written through a rollback journal, which SQLite has removed
           // by the time the error is told: the journal is named where it could not be made, the
           // store file where the journal was and the commit's pages could not follow.
           Case{"no block left",
                "size=1m",
                [&] {
                  std::string out;
                  {
                    auto container = bigOnAFullDisk(url);
                    out += said([&] { container->viewContext().save(); }) + "\n";
                    fs::remove(folder / "filler");
                    out += said([&] { container->viewContext().save(); }) + "\n";
                  }
                  fill(folder / "filler", 0);
                  out += said([&] { testing::openContainer(url); }) + "\n";
                  out += said([&] { testing::openContainer(made); }) + "\n";
                  fs::remove(folder / "filler");
                  fill(folder / "filler", 8192);
                  out += said([&] { testing::openContainer(made); }) + "\n";
                  out += std::to_string(fs::file_size(made)) +
                         (fs::exists(made + "-journal") ? " journal" : "") + "\n";
                  fs::remove(folder / "filler");
                  out += notesAndCheck(url) + "\n";
                  out += said([&] { testing::keepNote(made, "made"); }) + "\n";
                  return out;
                },
                {saveFull(url, url), "done",
                 // SQLite said 4874, the -shm it makes at the first read not growing.
                 openFull(url, url + "-shm"), openFull(made, made + "-journal"),
                 openFull(made, made),
                 // Rolled back: nothing of it was kept.
                 "0", "2 whole", "done"}},
           // No inode left: a new store's file cannot be made, told in the library's words, naming
           // it; once there is room, it is made.
           Case{"no inode left",
                "size=1m,nr_inodes=16",
                [&] {
                  for (int n = 0; n < 64; ++n) std::ofstream(folder / ("f" + std::to_string(n)));
                  std::string out = said([&] { testing::openContainer(made); }) + "\n";
                  for (const auto& file : fs::directory_iterator(folder)) fs::remove(file.path());
                  out += said([&] { testing::keepNote(made, "made"); }) + "\n";
                  return out + notesAndCheck(made) + "\n";
                },
                {openFull(made, made, "be made"), "done", "1 whole"}},
           // A save through a link names the log where SQLite keeps it, and the store as the host
           // named it.
           Case{"through a link",
                "size=1m",
                [&] {
                  auto container = bigOnAFullDisk(link);
                  return said([&] { container->viewContext().save(); }) + "\n";
                },
                {saveFull(link, target)}},
       }) {
    SCOPED_TRACE(what);
    const std::string answers = inOwnMountTable(
        [&] { return mount("none", folder.c_str(), "tmpfs", 0, options) == 0; }, steps);
    if (answers == "no mount") GTEST_SKIP() << "no file system of its own for the test to fill";
    std::string expected;
    for (const std::string& line : lines) expected += line + "\n";
    EXPECT_EQ(answers, expected);
  }
}

}  // namespace
}  // namespace kelvo::data

namespace kelvo::data {
namespace {

// Saves a note of a kilobyte at a time until the disk refuses one, which is dropped; how many it
// saved, or -1 where a save failed otherwise.
int savedUntilFull(Context& context, const std::string& prefix) {
  for (int saved = 0;; ++saved) {
    testing::makeNote(context, prefix + std::to_string(saved))
        ->setValue("body", std::string(1000, 'b'));
    if (const auto error = testing::saveError(context)) {
      context.rollback();
      return error->extendedCode() == 13 ? saved : -1;
    }
  }
}

// The log keeps the room it grew to: once room is made after a refused save, the same container
// saves into that room alone, where a close and a reopen (the close copies the log into the file
// and removes it) give the log's room back too. Every note saved is in the store.
TEST(FullDiskTest, AfterARefusedSaveACloseAndReopenGiveBackTheRoomTheLogHolds) {
  TemporaryDirectory directory;
  const fs::path folder = directory.path() / "small";
  fs::create_directory(folder);
  int savedAfter[2] = {};
  for (const bool reopens : {false, true}) {
    SCOPED_TRACE(reopens ? "closed and opened again" : "saved again");
    const std::string said = inSmallFileSystem(folder, 1 << 20, [&] {
      const fs::path url = folder / "A.store";
      auto container = testing::openContainer(url);
      fill(folder / "filler", 256 << 10);
      const int first = savedUntilFull(container->viewContext(), "first ");
      fs::resize_file(folder / "filler", fs::file_size(folder / "filler") - (128 << 10));
      if (reopens) {
        container.reset();
        container = testing::openContainer(url);
      }
      const int then = savedUntilFull(container->viewContext(), "then ");
      container.reset();
      fs::remove(folder / "filler");
      return std::to_string(first) + " " + std::to_string(then) + "; " + notesAndCheck(url);
    });
    if (said == "no mount") GTEST_SKIP() << "no file system of its own for the test to fill";
    int first = 0;
    int then = 0;
    ASSERT_EQ(std::sscanf(said.c_str(), "%d %d", &first, &then), 2) << said;
    std::fprintf(stderr, "%s: %d saves, then %d\n", reopens ? "reopened" : "same", first, then);
    EXPECT_GT(first, 0);
    EXPECT_GT(then, 0);
    EXPECT_EQ(said, std::to_string(first) + " " + std::to_string(then) + "; " +
                        std::to_string(first + then) + " whole");
    savedAfter[reopens] = then;
  }
  EXPECT_GT(savedAfter[true], savedAfter[false]);
}

// SQLite's first read deletes a log beside a file of no pages, absent or empty: one that holds
// frames may be a moved store's last saves, and is set aside under a name of its own instead.
TEST(FullDiskTest, ALogWithFramesBesideNoStoreIsSetAsideNeverDeleted) {
  TemporaryDirectory directory;
  const std::string frames = testing::logWithFrames(directory.path());
  ASSERT_GT(frames.size(), 32u);
  const std::string headerOnly = frames.substr(0, 32);
  enum class Beside { nothing, emptyFile };
  for (const auto& [beside, log, taken, keptAs] : {
           std::tuple{Beside::nothing, frames, false, std::string("-wal-kept-1")},
           std::tuple{Beside::emptyFile, frames, false, std::string("-wal-kept-1")},
           // A name already taken by a log set aside before is not written over.
           std::tuple{Beside::nothing, frames, true, std::string("-wal-kept-2")},
           // No frames: nothing to keep, and SQLite deletes it as before.
           std::tuple{Beside::nothing, headerOnly, false, std::string()},
       }) {
    const fs::path url = directory.path() / "A.store";
    SCOPED_TRACE(keptAs);
    for (const char* file : {"", "-wal-kept-1", "-wal-kept-2"}) fs::remove(url.string() + file);
    if (beside == Beside::emptyFile) std::ofstream(url).flush();
    if (taken) std::ofstream(url.string() + "-wal-kept-1") << "set aside before";
    std::ofstream(url.string() + "-wal", std::ios::binary) << log;
    EXPECT_EQ(notesAndCheck(url), "0 whole");
    EXPECT_FALSE(fs::exists(url.string() + "-wal"));
    if (!keptAs.empty()) {
      EXPECT_EQ(testing::fileBytes(url.string() + keptAs), log);
    }
    EXPECT_EQ(fs::exists(url.string() + "-wal-kept-1"), !keptAs.empty());
    if (taken) {
      EXPECT_EQ(testing::fileBytes(url.string() + "-wal-kept-1"), "set aside before");
    }
  }
  // A -shm another program holds may be a live log's: left as it is.
  const std::string url = (directory.path() / "B.store").string();
  std::ofstream(url).flush();
  std::ofstream(url + "-wal", std::ios::binary) << frames;
  std::ofstream(url + "-shm", std::ios::binary) << std::string(32768, '\0');
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t holder = fork();
  if (holder == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int shm = open((url + "-shm").c_str(), O_RDWR | O_CLOEXEC);
    struct flock lock {};
    lock.l_type = F_RDLCK;
    lock.l_start = 128;
    lock.l_len = 1;
    fcntl(shm, F_SETLK, &lock);
    if (write(ready[1], "x", 1) < 0) _exit(1);
    pause();
    _exit(0);
  }
  char go = 0;
  pollfd readable{ready[0], POLLIN, 0};
  ASSERT_GT(poll(&readable, 1, 10'000), 0);
  ASSERT_EQ(read(ready[0], &go, 1), 1);
  EXPECT_EQ(data_internal::StoreLog::setAsideStray(url), std::nullopt);
  EXPECT_EQ(testing::fileBytes(url + "-wal"), frames);
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
}

}  // namespace
}  // namespace kelvo::data

namespace kelvo::data {
namespace {

// The notes of every store in `folder`, as the library opens each: a log a close left beside
// another name of it is brought back by the open. `whole` false where one does not read whole.
std::set<std::string> notesIn(const fs::path& folder, bool& whole) {
  std::set<std::string> found;
  std::vector<fs::path> stores;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".store") stores.push_back(entry.path());
  }
  for (const auto& store : stores) {
    // A store made at a name the store had just left, on the full disk, and moved aside as it
    // was being made may be left cut short; a note saved in it would be missed.
    const bool counts = !store.filename().string().starts_with("aside");
    try {
      auto container = testing::openContainer(store);
      for (const auto& note : container->viewContext().fetch("Note")) {
        found.insert(*note->value("title")->string());
      }
      container.reset();
      if (counts && !notesAndCheck(store).ends_with(" whole")) whole = false;
    } catch (const StoreError& error) {
      std::fprintf(stderr, "%s\n", error.what());
      if (counts) whole = false;
    }
  }
  return found;
}

// Three programs open the store by the name it has, keep a note and close, while a fourth moves
// it between two names every few milliseconds, on a folder all but full, room made and taken
// again now and then: no answer calls a store that reads whole damaged, and every note answered
// "saved" is in a store as the library opens it. KELVO_STRESS_SECONDS runs it longer.
TEST(FullDiskTest, ProgramsSavingBesideARenamerOnAFullFolderAreNeverToldDamagedAndLoseNothing) {
  TemporaryDirectory directory;
  const fs::path folder = directory.path() / "small";
  fs::create_directory(folder);
  const char* seconds = std::getenv("KELVO_STRESS_SECONDS");
  const int run = seconds != nullptr ? std::max(1, std::atoi(seconds)) : 2;
  const std::string said = inSmallFileSystem(folder, 8 << 20, [&]() -> std::string {
    const fs::path one = folder / "A.store";
    const fs::path other = folder / "B.store";
    testing::keepNote(one, "kept");
    fill(folder / "filler", 96 << 10);
    // Room made and taken again now and then, as other programs free and fill the disk.
    const pid_t filler = fork();
    if (filler == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      alarm(static_cast<unsigned>(run) + 30);
      std::mt19937 random(11);
      while (true) {
        usleep(200'000 + random() % 800'000);
        fs::remove(folder / "filler");
        usleep(100'000 + random() % 400'000);
        fill(folder / "filler", 96 << 10);
      }
    }
    const auto [saved, damaged] = saveBesideARenamer(one, other, run);
    kill(filler, SIGKILL);
    waitpid(filler, nullptr, 0);
    fs::remove(folder / "filler");
    // Room for every store the run left to be opened, each with its -shm.
    mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT, "size=256m");
    bool whole = true;
    const std::set<std::string> found = notesIn(folder, whole);
    std::size_t lost = 0;
    for (const auto& title : saved) lost += found.count(title) == 0;
    std::fprintf(stderr, "saved %zu, lost %zu, damaged answers %d, stores whole %d\n", saved.size(),
                 lost, damaged, whole);
    return std::string(whole ? "whole" : "not whole") + ", damaged " +
           std::to_string(whole ? damaged : 0) + ", lost " + std::to_string(lost) +
           (saved.empty() ? ", none saved" : "");
  });
  if (said == "no mount") GTEST_SKIP() << "no file system of its own for the test";
  EXPECT_EQ(said, "whole, damaged 0, lost 0");
}

// The program `name` where the system keeps programs; empty where it has none.
std::string program(const std::string& name) {
  for (const char* folder : {"/usr/bin", "/usr/sbin", "/bin", "/sbin"}) {
    const std::string path = std::string(folder) + "/" + name;
    if (access(path.c_str(), X_OK) == 0) return path;
  }
  return {};
}

// Starts `arguments` in a child killed with the caller, its output written to `log`.
pid_t start(std::vector<std::string> arguments, const fs::path& log) {
  const pid_t child = fork();
  if (child == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int out = open(log.c_str(), O_CREAT | O_WRONLY | O_APPEND | O_CLOEXEC, 0600);
    if (out < 0 || dup2(out, 1) < 0 || dup2(out, 2) < 0) _exit(126);
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return child;
}

// Mounts at `folder` a FAT file system, made in `image`, through FUSE (fusefat, in a child that
// serves it until it is unmounted, `server`); false where it cannot.
bool mountFAT(const fs::path& image, const fs::path& folder, const fs::path& log, pid_t& server) {
  const std::string makeFAT = program("mkfs.fat");
  const std::string fusefat = program("fusefat");
  if (makeFAT.empty() || fusefat.empty() || access("/dev/fuse", R_OK | W_OK) != 0) return false;
  int status = 0;
  fs::resize_file(image, 8 << 20);
  if (waitpid(start({makeFAT, image.string()}, log), &status, 0) < 0 || status != 0) return false;
  server = start({fusefat, "-f", "-o", "rw+", image.string(), folder.string()}, log);
  if (server < 0) return false;
  // Mounted once the folder is FUSE's, which fusefat's first steps make it.
  constexpr long fuseMagic = 0x65735546;
  for (int tries = 0; tries < 400; ++tries) {
    struct statfs mounted {};
    if (statfs(folder.c_str(), &mounted) == 0 && mounted.f_type == fuseMagic) return true;
    usleep(25'000);
  }
  return false;
}

// FAT through FUSE cannot grow a file by truncating it, as SQLite grows the -shm beside a store at
// its first read: every open is refused, in words that name the -shm and what to do. A full disk
// that cannot grow the -shm is still told as a full disk (see above).
TEST(FullDiskTest, AFileSystemThatCannotKeepTheShmRefusesEveryOpenSayingSo) {
  TemporaryDirectory directory;
  const fs::path folder = directory.path() / "fat";
  const fs::path image = directory.path() / "fat.img";
  const fs::path log = directory.path() / "fusefat.log";
  fs::create_directory(folder);
  std::ofstream(image).flush();
  const fs::path kept = directory.path() / "Kept.store";
  testing::keepNote(kept, "kept");
  const std::string bytes = testing::fileBytes(kept);
  pid_t server = -1;
  const std::string answers = inOwnMountTable(
      [&] { return mountFAT(image, folder, log, server); },
      [&] {
        std::string out;
        // Written plainly: FUSE copies no range of a file.
        std::ofstream(folder / "Kept.store", std::ios::binary) << bytes;
        for (const char* name : {"Kept.store", "New.store"}) {
          out += said([&] { testing::openContainer(folder / name); }) + "\n";
        }
        out += testing::fileBytes(folder / "Kept.store") == bytes ? "kept as it was" : "written";
        // Unmounted, fusefat ends.
        if (umount(folder.c_str()) == 0) waitpid(server, nullptr, 0);
        return out;
      });
  if (answers == "no mount") {
    GTEST_SKIP() << "no FAT file system through FUSE here (fusefat, mkfs.fat)";
  }
  std::string expected;
  for (const char* name : {"Kept.store", "New.store"}) {
    const std::string file = (folder / name).string();
    expected += "4618 Could not open the store at " + file +
                ": the file system holding it cannot keep " + file +
                "-shm, the index SQLite keeps beside a store; keep the store on another file "
                "system.\n";
  }
  EXPECT_EQ(answers, expected + "kept as it was");
}

// What another program does to a store file through a descriptor of its own (closing one in this
// process would drop the locks SQLite holds here).
enum class Deed { nothing, givesBackTheRoomPastItsEnd, growsItAndCutsItBack };

void anotherProgram(const fs::path& file, Deed deed) {
  const pid_t child = fork();
  if (child == 0) {
    const int descriptor = open(file.c_str(), O_RDWR | O_CLOEXEC);
    struct stat status {};
    if (descriptor < 0 || fstat(descriptor, &status) != 0) _exit(1);
    bool done = true;
    if (deed == Deed::givesBackTheRoomPastItsEnd) {
      done = fallocate(descriptor, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, status.st_size,
                       off_t{1} << 30) == 0;
    } else if (deed == Deed::growsItAndCutsItBack) {
      done = ftruncate(descriptor, status.st_size + 4096) == 0 &&
             ftruncate(descriptor, status.st_size) == 0;
    }
    _exit(done ? 0 : 1);
  }
  waitpid(child, nullptr, 0);
}

// Beside a reader, a commit of more than a thousand pages: the checkpoint after it reserves room
// in the file for them all, and copies none. Then another program's deed, and the store moved on
// a disk filled to the last byte: the save that finds the move copies the log into the file only
// where the room is still there, and otherwise keeps the log whole.
std::string reservedThen(const fs::path& folder, Deed deed) {
  const fs::path a = folder / "A.store";
  Reader reader;
  testing::keepNote(a, "kept");
  auto p1 = testing::openContainer(a);
  if (!reader.read(a)) return "no reader";
  for (int i = 0; i < 1100; ++i) {
    testing::makeNote(p1->viewContext(), "note " + std::to_string(i))
        ->setValue("body", std::string(3000, 'b'));
  }
  const std::string bulk = "bulk " + code(testing::saveError(p1->viewContext())) + ", ";
  anotherProgram(a, deed);
  return bulk + movedOnAFullDisk(folder, std::move(p1), 0, false, [&] { reader.stop(); });
}

TEST(FullDiskTest, RoomReservedForTheLogCountsOnlyWhileTheFileStillHasIt) {
  TemporaryDirectory directory;
  const fs::path folder = directory.path() / "small";
  fs::create_directory(folder);
  const std::string copied = "bulk saved, save 1032; B 1101 whole; A 0 whole";
  // The log the close could not copy follows the file.
  const std::string kept = "bulk saved, save 13; B 1101 whole; A 0 whole";
  for (const auto& [deed, expected] : {
           std::pair{Deed::nothing, copied},
           std::pair{Deed::givesBackTheRoomPastItsEnd, kept},
           std::pair{Deed::growsItAndCutsItBack, kept},
       }) {
    SCOPED_TRACE(static_cast<int>(deed));
    const std::string said =
        inSmallFileSystem(folder, 16 << 20, [&] { return reservedThen(folder, deed); });
    if (said == "no mount") GTEST_SKIP() << "no file system of its own for the test to fill";
    EXPECT_EQ(said, expected);
  }
}

}  // namespace
}  // namespace kelvo::data
