// Opening a store as programs meet it: two processes at the same moment, and the files and
// folders a user may point a program at.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/data/Context.hpp"
#include "tests/data/StoreFileCheck.hpp"
#include "tests/data/StorePeer.hpp"
#include "tests/data/TestModel.hpp"
#include "tests/support/AnotherUser.hpp"
#include "tests/support/NonRegularFiles.hpp"

namespace kelvo::data {
namespace {

using kelvo::testing::TemporaryDirectory;

// Opens the store, keeps a note and saves: 0 when all of it worked, 1 when anything threw.
[[noreturn]] void openAndSave(const std::filesystem::path& url, int startSignal) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  char go = 0;
  if (read(startSignal, &go, 1) < 0) _exit(3);
  int status = 0;
  try {
    auto container = testing::openContainer(url);
    testing::makeNote(container->viewContext(), std::to_string(getpid()));
    container->viewContext().save();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%d: %s\n", getpid(), error.what());
    status = 1;
  }
  _exit(status);
}

// Both processes wait on one pipe and start when it closes, as two programs launched together.
TEST(StoreOpeningTest, TwoProcessesOpeningOneStoreAtOnceBothSucceed) {
  TemporaryDirectory directory;
  int succeeded = 0;
  constexpr int pairs = 20;
  for (int pair = 0; pair < pairs; ++pair) {
    // New stores, then one the first pair made, which the others open again.
    const auto url = directory.path() /
                     (pair % 2 == 0 ? "Shared.store" : "New" + std::to_string(pair) + ".store");
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    pid_t children[2];
    for (pid_t& child : children) {
      child = fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        close(start[1]);
        openAndSave(url, start[0]);
      }
    }
    close(start[0]);
    close(start[1]);
    for (pid_t child : children) {
      int status = 0;
      waitpid(child, &status, 0);
      if (WIFEXITED(status) && WEXITSTATUS(status) == 0) ++succeeded;
    }
  }
  EXPECT_EQ(succeeded, 2 * pairs);
  auto shared = testing::reopenChecked(directory.path() / "Shared.store");
  EXPECT_EQ(shared->viewContext().count("Note"), static_cast<std::size_t>(pairs));
}

std::optional<StoreError> openError(const std::filesystem::path& url) {
  try {
    testing::openContainer(url);
  } catch (const StoreError& error) {
    return error;
  }
  return std::nullopt;
}

// What opening the store at `url` says: "opened", or its error.
std::string opening(const std::filesystem::path& url) {
  const auto error = openError(url);
  return error ? error->what() : "opened";
}

std::string fileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(StoreOpeningTest, AFileThatIsNoDatabaseOrAMissingFolderIsNamedInTheError) {
  TemporaryDirectory directory;
  // Random bytes, and the first bytes of a real store cut short.
  const auto noise = directory.path() / "noise.store";
  std::string bytes(4096, '\0');
  std::mt19937 random(7);
  for (char& byte : bytes) byte = static_cast<char>(random());
  std::ofstream(noise, std::ios::binary) << bytes;
  // A store cut short is damaged while it still begins with SQLite's header string; cut before
  // its end, or with its first bytes overwritten, nothing in it says it was a store.
  const auto whole = directory.path() / "whole.store";
  testing::keepNote(whole, "the kept note");
  const std::string store = fileBytes(whole);
  const auto cut = directory.path() / "cut.store";
  std::ofstream(cut, std::ios::binary) << store.substr(0, 60);
  const auto cutBeforeHeaderEnds = directory.path() / "cut10.store";
  std::ofstream(cutBeforeHeaderEnds, std::ios::binary) << store.substr(0, 10);
  const auto headerOverwritten = directory.path() / "header.store";
  std::ofstream(headerOverwritten, std::ios::binary) << bytes.substr(0, 100) << store.substr(100);
  // SQLite's file layer reports a file of one byte as empty, which would make it a new store.
  const auto oneByte = directory.path() / "one.store";
  std::ofstream(oneByte, std::ios::binary) << "x";
  const auto twoBytes = directory.path() / "two.store";
  std::ofstream(twoBytes, std::ios::binary) << "xy";
  const auto linkToOneByte = directory.path() / "link.store";
  std::filesystem::create_symlink(oneByte, linkToOneByte);
  const std::string noStore = "is not a store of this app.";
  for (const auto& [file, what, code] :
       {std::tuple{noise, noStore, 26}, std::tuple{cut, std::string("is damaged."), 11},
        std::tuple{cutBeforeHeaderEnds, noStore, 26}, std::tuple{headerOverwritten, noStore, 26},
        std::tuple{oneByte, noStore, 26}, std::tuple{twoBytes, noStore, 26},
        std::tuple{linkToOneByte, noStore, 26}}) {
    SCOPED_TRACE(file.string());
    const std::string before = fileBytes(file);
    const auto error = openError(file);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), StoreError::Kind::incompatibleStore);
    EXPECT_EQ(error->primaryCode(), code);
    EXPECT_EQ(std::string(error->what()), "The store at " + file.string() + " " + what);
    EXPECT_EQ(fileBytes(file), before);
    EXPECT_FALSE(std::filesystem::exists(file.string() + "-wal"));
  }
  // An empty file is a new store still.
  const auto empty = directory.path() / "empty.store";
  std::ofstream(empty, std::ios::binary).flush();
  testing::keepNote(empty, "kept in a file that was empty");
  EXPECT_EQ(testing::reopenChecked(empty)->viewContext().count("Note"), 1u);

  // Bytes changed inside a note's text leave its page whole: SQLite cannot see it, and the note
  // reads as the file now holds it.
  std::string changed = store;
  changed.replace(changed.find("the kept note"), 13, "the kept nose");
  std::ofstream(whole, std::ios::binary | std::ios::trunc) << changed;
  const auto notes = testing::openContainer(whole)->viewContext().fetch("Note");
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(*notes[0]->value("title")->string(), "the kept nose");

  const auto folder = directory.path() / "not" / "there";
  const auto missing = openError(folder / "Kelvo.store");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->kind(), StoreError::Kind::sqlite);
  EXPECT_EQ(std::string(missing->what()), "Could not open the store at " +
                                              (folder / "Kelvo.store").string() + ": its folder " +
                                              folder.string() + " does not exist.");
  EXPECT_FALSE(std::filesystem::exists(directory.path() / "not"));

  // A folder where the store should be, and a file where its folder should be, at any depth.
  const auto folderStore = directory.path() / "folder.store";
  std::filesystem::create_directory(folderStore);
  const auto plain = directory.path() / "plain";
  std::ofstream(plain) << "notes";
  for (const auto& [url, what] :
       {std::pair<std::filesystem::path, std::string>{folderStore, "it is a folder, not a file."},
        std::pair{plain / "x.store", plain.string() + " is a file, not a folder."},
        std::pair{plain / "sub" / "x.store", plain.string() + " is a file, not a folder."}}) {
    const auto error = openError(url);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), StoreError::Kind::sqlite);
    EXPECT_EQ(error->primaryCode(), 14);  // SQLITE_CANTOPEN
    EXPECT_EQ(std::string(error->what()),
              "Could not open the store at " + url.string() + ": " + what);
  }
  EXPECT_EQ(fileBytes(plain), "notes");
}

// Damage past the pages opening reads shows at the first read that reaches it.
TEST(StoreOpeningTest, DamageFoundAtAReadIsToldAsADamagedStoreAndTheFileIsLeftAsItWas) {
  TemporaryDirectory directory;
  const auto url = directory.path() / "Notes.store";
  {
    auto container = testing::openContainer(url);
    for (int i = 0; i < 4'000; ++i) testing::makeNote(container->viewContext(), std::to_string(i));
    container->viewContext().save();
  }
  std::string bytes = fileBytes(url);
  std::mt19937 random(11);
  for (std::size_t i = bytes.size() * 3 / 4; i < bytes.size(); ++i) {
    bytes[i] = static_cast<char>(random());
  }
  std::ofstream(url, std::ios::binary) << bytes;
  {
    auto container = testing::openContainer(url);
    try {
      container->viewContext().fetch("Note");
      ADD_FAILURE() << "read a damaged store";
    } catch (const StoreError& error) {
      EXPECT_EQ(error.kind(), StoreError::Kind::incompatibleStore);
      EXPECT_EQ(error.primaryCode(), 11);  // SQLITE_CORRUPT
      EXPECT_EQ(std::string(error.what()), "The store at " + url.string() + " is damaged.");
    }
  }
  EXPECT_EQ(fileBytes(url), bytes);
}

std::string asAnotherUser(const std::function<void()>& what) { return saidInChild(what, true); }

// Every failure reaches the completion as a store error with a sentence of our own, and the
// paths SQLite would take for another file (one that ends in a separator) create nothing.
TEST(StoreOpeningTest, PathsTheFileSystemRefusesAreToldWithTheirCauseAndWhatToDo) {
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  const auto in = [&](const std::string& name) { return directory.path() / name; };
  const auto expectRefusal = [](const fs::path& url, StoreError::Kind kind, int code,
                                const std::string& message) {
    SCOPED_TRACE(url.string());
    const auto error = openError(url);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), kind);
    EXPECT_EQ(error->extendedCode(), code);
    EXPECT_EQ(std::string(error->what()), message);
  };
  const auto cannotOpen = [](const fs::path& url, const std::string& why) {
    return "Could not open the store at " + url.string() + ": " + why;
  };
  expectRefusal("", StoreError::Kind::incompatibleStore, 0, "A SQLite store needs a file URL.");

  for (const auto& url : {in("Trail.store/"), in("sub/Trail.store/")}) {
    expectRefusal(url, StoreError::Kind::sqlite, 14,
                  cannotOpen(url,
                             "a path that ends in a separator names a folder, not a file; give "
                             "the store file's path without it."));
  }
  EXPECT_FALSE(fs::exists(in("Trail.store")));
  EXPECT_FALSE(fs::exists(in("sub")));

  fs::create_symlink("nowhere/Kelvo.store", in("dangling.store"));
  expectRefusal(
      in("dangling.store"), StoreError::Kind::sqlite, 14,
      cannotOpen(in("dangling.store"), "it is a link to nowhere/Kelvo.store, whose folder " +
                                           in("nowhere").string() +
                                           " does not exist; point the link at a store "
                                           "file."));
  fs::create_symlink("loop2.store", in("loop1.store"));
  fs::create_symlink("loop1.store", in("loop2.store"));
  expectRefusal(in("loop1.store"), StoreError::Kind::sqlite, 14,
                cannotOpen(in("loop1.store"),
                           "it is one of a loop of links; point the links at a store file."));
  expectRefusal(in("loop1.store") / "x.store", StoreError::Kind::sqlite, 14,
                cannotOpen(in("loop1.store") / "x.store",
                           in("loop1.store").string() +
                               " is one of a loop of links; point the links at a store file."));
  const std::string longName(300, 'a');
  expectRefusal(in(longName), StoreError::Kind::sqlite, 14,
                cannotOpen(in(longName),
                           "its file name is 300 bytes long, and the file system allows at most "
                           "255; choose a shorter name."));
  EXPECT_EQ(std::distance(fs::directory_iterator(directory.path()), fs::directory_iterator()), 3);

  // A link to a store that does not exist yet, in a folder that does, makes it.
  fs::create_symlink("made.store", in("link.store"));
  EXPECT_FALSE(openError(in("link.store")));
  EXPECT_TRUE(fs::is_regular_file(in("made.store")));

  // A relative path once the working folder is gone.
  const auto gone = in("gone");
  fs::create_directory(gone);
  EXPECT_EQ(saidInChild(
                [&] {
                  fs::current_path(gone);
                  fs::remove(gone);
                  testing::openContainer("Kelvo.store");
                },
                false),
            "Could not open the store at Kelvo.store: the path is relative, and the working folder "
            "it would start from no longer exists; give the full path.");

  // A folder this user may not enter, at any depth below it.
  const auto locked = in("locked");
  fs::create_directories(locked / "inner");
  fs::permissions(directory.path(), fs::perms::all);
  fs::permissions(locked, fs::perms::owner_all);
  for (const auto& url : {locked / "Kelvo.store", locked / "inner" / "Kelvo.store"}) {
    EXPECT_EQ(asAnotherUser([&] { testing::openContainer(url); }),
              cannotOpen(url, "its folder " + locked.string() +
                                  " cannot be entered; let this user search it, or choose "
                                  "another place."));
  }
}

// A folder named with a separator is still a folder, and a name too long is the folder's own
// when that is what the file system refuses.
TEST(StoreOpeningTest, AFolderGivenWithASeparatorOrWithANameTooLongIsNamedAsSuch) {
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  const auto shelf = directory.path() / "shelf";
  fs::create_directory(shelf);
  const fs::path withSeparator = shelf.string() + "/";
  const auto folder = openError(withSeparator);
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->kind(), StoreError::Kind::sqlite);
  EXPECT_EQ(folder->extendedCode(), 14);  // SQLITE_CANTOPEN
  EXPECT_EQ(std::string(folder->what()), "Could not open the store at " + withSeparator.string() +
                                             ": it is a folder, not a file.");
  EXPECT_TRUE(fs::is_empty(shelf));

  const auto longFolder = directory.path() / std::string(300, 'd');
  const auto url = longFolder / "Kelvo.store";
  const auto tooLong = openError(url);
  ASSERT_TRUE(tooLong);
  EXPECT_EQ(tooLong->kind(), StoreError::Kind::sqlite);
  EXPECT_EQ(tooLong->extendedCode(), 14);
  EXPECT_EQ(std::string(tooLong->what()),
            "Could not open the store at " + url.string() + ": the name of its folder " +
                longFolder.string() +
                " is 300 bytes long, and the file system allows at most 255; choose a shorter "
                "name.");
}

TEST(StoreOpeningTest, AReadOnlyFolderOrStoreFileIsNamedInTheError) {
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  fs::permissions(directory.path(), fs::perms::all);
  const auto folder = directory.path() / "library";
  fs::create_directory(folder);
  const auto url = folder / "Kelvo.store";
  testing::keepNote(url, "x");

  // A read-only folder: not even read, as SQLite writes beside the file; nor made anew.
  fs::permissions(url, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                           fs::perms::group_write | fs::perms::others_read |
                           fs::perms::others_write);
  fs::permissions(folder, fs::perms::all & ~(fs::perms::owner_write | fs::perms::group_write |
                                             fs::perms::others_write));
  const std::string readOnlyFolder = ": its folder " + folder.string() + " is read-only.";
  EXPECT_EQ(asAnotherUser([&] { testing::openContainer(url); }),
            "Could not open the store at " + url.string() + readOnlyFolder);
  EXPECT_EQ(asAnotherUser([&] { testing::openContainer(folder / "New.store"); }),
            "Could not open the store at " + (folder / "New.store").string() + readOnlyFolder);

  // A read-only file in a folder that is not: it opens and reads; the save is refused.
  fs::permissions(folder, fs::perms::all);
  fs::permissions(url, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_EQ(asAnotherUser([&] {
              auto container = testing::openContainer(url);
              if (container->viewContext().count("Note") != 1) throw StoreError({}, "not read");
              testing::makeNote(container->viewContext(), "y");
              container->viewContext().save();
            }),
            "Could not save: the store at " + url.string() + " is read-only.");

  // That save left the log's index beside the file, read-only as the file was then. Once the
  // file is writable again, the index is what a save names, until it is made writable too.
  fs::permissions(url, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                           fs::perms::group_write | fs::perms::others_read |
                           fs::perms::others_write);
  const auto saveANote = [&] {
    auto container = testing::openContainer(url);
    testing::makeNote(container->viewContext(), "z");
    container->viewContext().save();
  };
  const std::string shm = url.string() + "-shm";
  EXPECT_EQ(asAnotherUser(saveANote), "Could not save: " + shm +
                                          " beside the store is read-only; make it writable, "
                                          "as the store file is.");
  fs::permissions(shm, fs::perms::all);
  EXPECT_EQ(asAnotherUser(saveANote), "saved");
}

// The names in a folder, to tell that a refused open made nothing.
std::set<std::string> entries(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

std::string cannotOpen(const std::filesystem::path& url, const std::string& why) {
  return "Could not open the store at " + url.string() + ": " + why;
}

void expectCannotOpen(const std::filesystem::path& url, const std::string& message) {
  const auto error = openError(url);
  ASSERT_TRUE(error) << url;
  EXPECT_EQ(error->kind(), StoreError::Kind::sqlite);
  EXPECT_EQ(error->extendedCode(), 14);  // SQLITE_CANTOPEN
  EXPECT_EQ(std::string(error->what()), message);
}

// SQLite reads a path only up to a NUL byte, drops "." and a name before "..", unread, and takes
// ":memory:" for a temporary database: each would open another file than the system names.
TEST(StoreOpeningTest, PathsSQLiteWouldReadAsAnotherFileAreRefusedAndMakeNothing) {
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  const auto in = [&](const std::string& name) { return directory.path() / name; };
  const std::string endsInDot =
      "a path that ends in \"/.\" names a folder, not a file; give the store file's path without "
      "it.";
  expectCannotOpen(in("x.store") / ".", cannotOpen(in("x.store") / ".", endsInDot));
  expectCannotOpen(
      in("nope") / ".." / "R.store",
      cannotOpen(in("nope") / ".." / "R.store",
                 "its path names the folder " + in("nope").string() +
                     " before \"..\", and that folder does not exist; make it, or give "
                     "the path without it."));
  EXPECT_TRUE(entries(directory.path()).empty());

  // A store file in the way of either is named, and left as it was.
  testing::keepNote(in("E.store"), "kept");
  const std::string before = fileBytes(in("E.store"));
  expectCannotOpen(in("E.store") / ".", cannotOpen(in("E.store") / ".", endsInDot));
  expectCannotOpen(in("E.store") / ".." / "R.store",
                   cannotOpen(in("E.store") / ".." / "R.store",
                              in("E.store").string() + " is a file, not a folder."));
  const std::string nul =
      "its path holds a NUL byte (shown as \\0), which no path may hold; give the path without "
      "it.";
  const fs::path withNul(in("E.store").string() + std::string("\0.bak", 5));
  expectCannotOpen(withNul, cannotOpen(in("E.store").string() + "\\0.bak", nul));
  expectCannotOpen(fs::path(std::string(1, '\0')), cannotOpen("\\0", nul));
  EXPECT_EQ(entries(directory.path()), std::set<std::string>{"E.store"});
  EXPECT_EQ(fileBytes(in("E.store")), before);

  // A folder named before ".." that does exist is followed, as the system follows it.
  fs::create_directory(in("there"));
  EXPECT_FALSE(openError(in("there") / ".." / "R.store"));
  EXPECT_TRUE(fs::is_regular_file(in("R.store")));
  EXPECT_EQ(openError(in("there") / ".")->what(),
            cannotOpen(in("there") / ".", "it is a folder, not a file."));

  // ":memory:" and a name SQLite would read as a URI are files in the working folder, whose
  // saves are there at the next open.
  for (const char* name : {":memory:", "file:x?mode=memory"}) {
    EXPECT_EQ(saidInChild(
                  [&] {
                    fs::current_path(directory.path());
                    auto container = testing::openContainer(name);
                    testing::makeNote(container->viewContext(), "kept");
                    container->viewContext().save();
                    if (testing::openContainer(name)->viewContext().count("Note") != 1) {
                      throw StoreError({}, "not kept");
                    }
                  },
                  false),
              "saved")
        << name;
    EXPECT_TRUE(fs::is_regular_file(in(name))) << name;
  }
}

// SQLite keeps "-journal", "-wal" and "-shm" beside the store under its name, and refuses a full
// path that with "-journal" would pass 512 bytes.
TEST(StoreOpeningTest, NamesAndPathsTooLongForTheFilesBesideTheStoreAreToldWithTheirLimits) {
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  EXPECT_FALSE(openError(directory.path() / std::string(247, 'n')));
  for (std::size_t length : {248, 255}) {
    const auto url = directory.path() / std::string(length, 'n');
    expectCannotOpen(url, cannotOpen(url, "its file name is " + std::to_string(length) +
                                              " bytes long, and the journal SQLite keeps beside "
                                              "it, under that name and \"-journal\", would pass "
                                              "the 255 bytes the file system allows; choose a "
                                              "name of at most 247 bytes."));
  }
  EXPECT_EQ(entries(directory.path()), std::set<std::string>{std::string(247, 'n')});

  // The journal is named after the file a link leads to, through a chain of links too; a file
  // there is left as it was, and none is made where there was none.
  const auto links = directory.path() / "links";
  fs::create_directory(links);
  const std::string longName(250, 'l');
  fs::create_symlink(longName, links / "x.store");
  fs::create_symlink("x.store", links / "y.store");
  const std::string journal =
      "250 bytes long, and the journal SQLite keeps beside it, under that name and \"-journal\", "
      "would pass the 255 bytes the file system allows; point the link at a file whose name is at "
      "most 247 bytes.";
  for (const auto* link : {"x.store", "y.store"}) {
    expectCannotOpen(links / link,
                     cannotOpen(links / link, "it is a link to " + (links / longName).string() +
                                                  ", whose name is " + journal));
  }
  EXPECT_EQ(entries(links), (std::set<std::string>{"x.store", "y.store"}));
  std::ofstream(links / longName) << "kept";
  expectCannotOpen(links / "x.store",
                   cannotOpen(links / "x.store", "it is a link to " + (links / longName).string() +
                                                     ", whose name is " + journal));
  EXPECT_EQ(fileBytes(links / longName), "kept");
  fs::create_symlink(std::string(300, 'l'), links / "z.store");
  expectCannotOpen(
      links / "z.store",
      cannotOpen(links / "z.store", "it is a link to " + (links / std::string(300, 'l')).string() +
                                        ", whose name is 300 bytes long, and the file "
                                        "system allows at most 255; point the link at "
                                        "a file of a shorter name."));
  fs::create_symlink(std::string(247, 's'), links / "short.store");
  EXPECT_FALSE(openError(links / "short.store"));

  // SQLite follows a chain of links far longer than the system's 40, to a long name as to a
  // short one, up to 201 links.
  const auto chain = [&](const std::string& name, int length, const std::string& target) {
    const auto folder = links / name;
    fs::create_directory(folder);
    for (int link = 1; link <= length; ++link) {
      fs::create_symlink(link == 1 ? target : std::to_string(link - 1),
                         folder / std::to_string(link));
    }
    return folder / std::to_string(length);
  };
  for (const int length : {41, 45}) {
    const auto last = chain("long" + std::to_string(length), length, longName);
    expectCannotOpen(
        last, cannotOpen(last, "it is a link to " + (last.parent_path() / longName).string() +
                                   ", whose name is " + journal));
    EXPECT_EQ(entries(last.parent_path()).size(), static_cast<std::size_t>(length));
    EXPECT_FALSE(openError(chain("short" + std::to_string(length), length, "s.store")));
  }
  EXPECT_FALSE(openError(chain("longest", 201, "s.store")));
  // Past that, the chain is what SQLite refuses, whatever name it ends in.
  for (const auto& [length, target] :
       {std::pair{202, std::string("s.store")}, {250, longName}, {250, std::string(300, 'l')}}) {
    const auto past = chain("past" + std::to_string(length) + "-" + std::to_string(target.size()),
                            length, target);
    expectCannotOpen(past,
                     cannotOpen(past, "it leads through a chain of " + std::to_string(length) +
                                          " links, more than SQLite follows; point the link "
                                          "at the store file."));
    EXPECT_EQ(entries(past.parent_path()).size(), static_cast<std::size_t>(length));
  }
  // A file of one byte, or a pipe, at the end of a chain the system will not follow is met as
  // SQLite would meet it.
  std::ofstream(links / "one.store", std::ios::binary) << "x";
  const auto toOneByte = chain("toOneByte", 45, "../one.store");
  EXPECT_EQ(openError(toOneByte)->primaryCode(), 26);
  EXPECT_EQ(fileBytes(links / "one.store"), "x");
  ASSERT_EQ(mkfifo((links / "pipe.store").c_str(), 0600), 0);
  const auto toPipe = chain("toPipe", 45, "../pipe.store");
  expectCannotOpen(
      toPipe,
      cannotOpen(toPipe, "it is a link to " + (toPipe.parent_path() / "../pipe.store").string() +
                             ", a named pipe, not a file; point the link at "
                             "a store file."));

  // A path of exactly `length` bytes in folders of their own. The temporary folder's name varies
  // in length, so the folders take what a file name of 100 to 200 bytes leaves: filling them to
  // 200 bytes each could leave no name at all, and the path would end in a folder.
  const auto pathOf = [&](std::size_t length) {
    auto url = directory.path() / ("p" + std::to_string(length));
    const auto nameLeft = [&] { return length - url.native().size() - 1; };
    while (nameLeft() > 200) url /= std::string(std::min<std::size_t>(200, nameLeft() - 101), 'd');
    fs::create_directories(url);
    return url / std::string(nameLeft(), 'f');
  };
  const auto longest = pathOf(504);
  EXPECT_FALSE(openError(longest));
  for (std::size_t length : {505, 4095}) {
    const auto url = pathOf(length);
    expectCannotOpen(url, cannotOpen(url, "its path is " + std::to_string(length) +
                                              " bytes long, and SQLite allows at most 504; "
                                              "choose a shorter path."));
    EXPECT_TRUE(entries(url.parent_path()).empty());
  }
  // Relative, the path counts from the working folder.
  const auto relative = longest.filename().string().substr(1);
  EXPECT_EQ(saidInChild(
                [&] {
                  fs::current_path(longest.parent_path());
                  testing::openContainer("xy" + relative);
                },
                false),
            cannotOpen("xy" + relative, "its full path, " + longest.parent_path().string() + "/xy" +
                                            relative +
                                            ", is 505 bytes long, and SQLite allows at most 504; "
                                            "choose a shorter path."));
}

// Files no store can be kept in are named for what they are, and nothing is made beside them.
TEST(StoreOpeningTest, PipesSocketsDevicesAndUnreadableFilesAreToldAndLeftAsTheyWere) {
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  const auto in = [&](const std::string& name) { return directory.path() / name; };
  ASSERT_EQ(mkfifo(in("pipe.store").c_str(), 0666), 0);
  expectCannotOpen(in("pipe.store"),
                   cannotOpen(in("pipe.store"),
                              "it is a named pipe, not a file; give the path of a store file."));
  {
    const kelvo::testing::BoundSocket bound(in("socket.store"));
    ASSERT_TRUE(bound.isBound()) << bound.failure();
    expectCannotOpen(in("socket.store"),
                     cannotOpen(in("socket.store"),
                                "it is a socket, not a file; give the path of a store file."));
  }
  std::set<std::string> made{"pipe.store", "socket.store"};
  // The system's null device, made anew in the scratch folder; a container may not make one.
  if (mknod(in("device.store").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
    expectCannotOpen(in("device.store"),
                     cannotOpen(in("device.store"),
                                "it is a device, not a file; give the path of a store file."));
    fs::create_symlink("device.store", in("link.store"));
    expectCannotOpen(in("link.store"),
                     cannotOpen(in("link.store"),
                                "it is a link to device.store, a device, not a file; point the "
                                "link at a store file."));
    made.insert({"device.store", "link.store"});
  } else {
    std::printf("mknod refused (%s): no device checked\n", std::strerror(errno));
  }
  EXPECT_EQ(entries(directory.path()), made);

  // Another user's store of mode 0600, and one of mode 0000.
  fs::permissions(directory.path(), fs::perms::all);
  const std::string unreadable =
      "this user may not read the file; let this user read and write it, or open a copy this "
      "user may write.";
  for (const auto& [name, mode] :
       {std::pair{"Private.store", fs::perms::owner_read | fs::perms::owner_write},
        std::pair{"Zero.store", fs::perms::none}}) {
    const auto url = in(name);
    testing::keepNote(url, "kept");
    fs::permissions(url, mode);
    const std::string before = fileBytes(url);
    const std::string said = asAnotherUser([&] { testing::openContainer(url); });
    if (said == "no other user") GTEST_SKIP() << "no other user to run as";
    EXPECT_EQ(said, cannotOpen(url, unreadable));
    EXPECT_EQ(fileBytes(url), before);
    EXPECT_FALSE(fs::exists(url.string() + "-journal"));
  }
}

TEST(StoreOpeningTest, AFileThatBeginsAsSQLiteButIsRefusedByItIsADamagedStore) {
  TemporaryDirectory directory;
  const auto url = directory.path() / "Kelvo.store";
  testing::keepNote(url, "x");
  std::string bytes = fileBytes(url);
  ASSERT_EQ(bytes.compare(0, 16, std::string("SQLite format 3\0", 16)), 0);
  // The header after its string: page size, versions, counts.
  std::mt19937 random(5);
  for (std::size_t i = 16; i < 100; ++i) bytes[i] = static_cast<char>(random());
  std::ofstream(url, std::ios::binary) << bytes;
  const auto text = directory.path() / "Text.store";
  std::ofstream(text) << "SQLite is a database; this is a note.\n";
  // Another program's database: SQLite reads it, and it is still no store of ours.
  const auto foreign = directory.path() / "Other.db";
  {
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open(foreign.c_str(), &database), SQLITE_OK);
    sqlite3_exec(database, "CREATE TABLE t(x)", nullptr, nullptr, nullptr);
    sqlite3_close(database);
  }
  // A host keeps a damaged store aside and leaves any other file alone: the code tells which.
  for (const auto& [file, what, code] : {std::tuple{url, " is damaged.", 11},  // SQLITE_CORRUPT
                                         std::tuple{text, " is not a store of this app.", 26},
                                         std::tuple{foreign, " is not a store of this app.", 0}}) {
    const auto error = openError(file);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), StoreError::Kind::incompatibleStore);
    EXPECT_EQ(error->extendedCode(), code) << file;
    EXPECT_EQ(std::string(error->what()), "The store at " + file.string() + what);
  }
  EXPECT_EQ(fileBytes(url), bytes);
  EXPECT_EQ(entries(directory.path()),
            (std::set<std::string>{"Kelvo.store", "Text.store", "Other.db"}));
}

// A store SQLite opened read-only stays so until it is opened anew: the next save does that
// once the file and the files beside it can be written, for every context of the coordinator.
TEST(StoreOpeningTest, AStoreOpenedReadOnlySavesInTheSameContextOnceItsFilesAreWritable) {
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  const auto folder = directory.path() / "library";
  fs::create_directory(folder);
  const auto url = folder / "Kelvo.store";
  testing::keepNote(url, "x");
  fs::permissions(directory.path(), fs::perms::all);
  // The folder and the store are the other user's own, so that it can make them writable.
  ASSERT_EQ(chown(folder.c_str(), 65534, 65534), 0);
  ASSERT_EQ(chown(url.c_str(), 65534, 65534), 0);
  const auto readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
  const auto writable = fs::perms::owner_read | fs::perms::owner_write;
  fs::permissions(url, readOnly);
  const std::string said = asAnotherUser([&] {
    auto container = testing::openContainer(url);
    Context& context = container->viewContext();
    Context other(context.coordinator());
    auto kept = context.fetch("Note").front();
    kept->setValue("title", "renamed while read-only");
    testing::makeNote(context, "made while read-only");
    const auto saying = [](Context& saving) {
      const auto error = testing::saveError(saving);
      return error ? std::string(error->what()) : "saved";
    };
    std::string saves = saying(context) + "\n";
    fs::permissions(url, writable, fs::perm_options::add);
    saves += saying(context) + "\n";
    for (const auto* suffix : {"-wal", "-shm"}) {
      std::error_code absent;
      fs::permissions(url.string() + suffix, writable, fs::perm_options::add, absent);
    }
    saves += saying(context) + "\n";
    // The other context reads and saves over the connection opened anew.
    testing::makeNote(other, "from the other context");
    saves += saying(other) + "\n";
    saves += std::to_string(other.count("Note")) + " notes, the first " +
             context.fetch("Note").front()->value("title")->string()->c_str();
    throw StoreError({}, saves);
  });
  if (said == "no other user") GTEST_SKIP() << "no other user to run as";
  EXPECT_EQ(said, "Could not save: the store at " + url.string() +
                      " is read-only.\nCould not save: " + url.string() + "-wal and " +
                      url.string() +
                      "-shm beside the store are read-only; make them writable, as the store "
                      "file is.\nsaved\nsaved\n3 notes, the first renamed while read-only");
  auto reopened = testing::reopenChecked(url);
  EXPECT_EQ(reopened->viewContext().count("Note"), 3u);
}

// Gives the owner of a store, and of the files of `suffixes` beside it, the right to write it,
// or takes it away; a file that is not there is passed over.
void setOwnerWrite(const std::filesystem::path& store, bool writable,
                   std::initializer_list<const char*> suffixes = {"", "-wal", "-shm"}) {
  namespace fs = std::filesystem;
  for (const auto* suffix : suffixes) {
    std::error_code absent;
    fs::permissions(store.string() + suffix, fs::perms::owner_write,
                    writable ? fs::perm_options::add : fs::perm_options::remove, absent);
  }
}

// Kelvo.store and Other.store in `folder`, each holding a note named after it, owned by the user
// `asAnotherUser` runs as.
std::pair<std::filesystem::path, std::filesystem::path> twoStoresOfAnotherUser(
    const std::filesystem::path& folder) {
  namespace fs = std::filesystem;
  fs::permissions(folder, fs::perms::all);
  const auto url = fs::canonical(folder) / "Kelvo.store";
  const auto other = fs::canonical(folder) / "Other.store";
  for (const auto& each : {url, other}) {
    testing::keepNote(each, each.stem().string());
    EXPECT_EQ(chown(each.c_str(), 65534, 65534), 0);
  }
  return {url, other};
}

std::string movedAway(const std::filesystem::path& url) {
  return "Could not save: the store at " + url.string() +
         " is no longer the one this container opened (it was moved, or another file put in its "
         "place); close this container, then open the store where it now is in a new container, "
         "and make the changes there.";
}

// Another store kept where a moved one was, opened in the process that has the moved one open.
const std::string stillOpenAtThisPath =
    "another container in this program still has open the store that was at this path before "
    "it was moved or replaced, whose -wal and -shm SQLite would take for this store's; close "
    "that container first.";

// Once the file the store opened was moved away, its path may name another store, or nothing:
// the save stays refused, and says so rather than calling a writable path read-only.
TEST(StoreOpeningTest, AReadOnlyStoreMovedAwayIsNotOpenedAnewAtItsPath) {
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  const auto [url, other] = twoStoresOfAnotherUser(directory.path());
  fs::permissions(url, fs::perms::owner_read);
  const auto moved = directory.path() / "Moved.store";
  const std::string said = asAnotherUser([&] {
    auto replaced = testing::openContainer(url);
    auto renamed = testing::openContainer(url);
    testing::makeNote(replaced->viewContext(), "z");
    testing::makeNote(renamed->viewContext(), "z");
    std::string saves = saying(replaced->viewContext()) + "\n";
    // Moved, and another writable store put at its path.
    fs::rename(url, moved);
    fs::rename(other, url);
    setOwnerWrite(url, true);
    setOwnerWrite(moved, true);
    saves += saying(replaced->viewContext()) + "\n";
    saves += saying(replaced->viewContext()) + "\n";
    // Renamed, with nothing left at its path.
    fs::rename(url, other);
    saves += saying(renamed->viewContext()) + "\n";
    // A container opened anew at the path saves there.
    fs::rename(moved, url);
    auto anew = testing::openContainer(url);
    testing::makeNote(anew->viewContext(), "anew");
    saves += saying(anew->viewContext());
    throw StoreError({}, saves);
  });
  if (said == "no other user") GTEST_SKIP() << "no other user to run as";
  EXPECT_EQ(said, "Could not save: the store at " + url.string() + " is read-only. (8)\n" +
                      movedAway(url) + " (1032)\n" + movedAway(url) + " (1032)\n" + movedAway(url) +
                      " (1032)\nsaved");
  EXPECT_EQ(testing::openContainer(other)->viewContext().count("Note"), 1u);
  EXPECT_EQ(testing::openContainer(url)->viewContext().count("Note"), 2u);
}

// A process's connections to one store share SQLite's view of its -shm, made by the first: two
// containers that opened the store while its file was read-only both save once it is writable;
// a view made while the -shm itself was read-only holds until the other containers are closed.
TEST(StoreOpeningTest, TwoContainersInOneProcessSaveAsTheirSharedViewOfTheShmAllows) {
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  fs::permissions(directory.path(), fs::perms::all);
  const auto url = directory.path() / "Kelvo.store";
  testing::keepNote(url, "kept");
  ASSERT_EQ(chown(url.c_str(), 65534, 65534), 0);
  fs::permissions(url, fs::perms::owner_read);
  const std::string said = asAnotherUser([&] {
    std::string saves;
    {
      auto one = testing::openContainer(url);
      auto two = testing::openContainer(url);
      testing::makeNote(one->viewContext(), "one");
      testing::makeNote(two->viewContext(), "two");
      saves += saying(one->viewContext()) + "\n";
      setOwnerWrite(url, true);
      saves += saying(one->viewContext()) + "\n" + saying(two->viewContext()) + "\n";
    }
    // An earlier run opened the store read-only and left its -shm so.
    fs::permissions(url, fs::perms::owner_read);
    testing::openContainer(url)->viewContext().count("Note");
    fs::permissions(url, fs::perms::owner_write, fs::perm_options::add);
    auto one = testing::openContainer(url);
    testing::makeNote(one->viewContext(), "three");
    saves += saying(one->viewContext()) + "\n";
    setOwnerWrite(url, true, {"-wal", "-shm"});
    auto two = testing::openContainer(url);
    saves += saying(one->viewContext()) + "\n";
    two.reset();
    saves += saying(one->viewContext());
    throw StoreError({}, saves);
  });
  if (said == "no other user") GTEST_SKIP() << "no other user to run as";
  const std::string readOnly =
      "Could not save: the store at " + url.string() + " is read-only. (8)";
  EXPECT_EQ(said, readOnly + "\nsaved\nsaved\nCould not save: " + url.string() +
                      "-shm beside the store is read-only; make it writable, as the store file "
                      "is. (8)\n" +
                      readOnly + "\nsaved");
  EXPECT_EQ(testing::reopenChecked(url)->viewContext().count("Note"), 4u);
}

// Another process exchanges the store's path with another store's, again and again, while
// stores opened read-only are made writable and saved. SQLite pairs a store with the -wal and
// -shm beside its path, so no library over it can keep every save out of the other store, nor
// both files whole (the exchange at the moment of an open is tested on its own, below): what
// holds is that every open and save returns, and every failure is a store error. How the saves
// fared is recorded with the test.
TEST(StoreOpeningTest, SavesWhileAnotherProcessExchangesTheStoresEachReturnOrFailAsStoreErrors) {
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  const auto [url, other] = twoStoresOfAnotherUser(directory.path());
  const std::string said = asAnotherUser([&] {
    const pid_t exchanger = fork();
    if (exchanger == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      alarm(10);
      while (true) renameat2(AT_FDCWD, url.c_str(), AT_FDCWD, other.c_str(), RENAME_EXCHANGE);
    }
    const auto setWritable = [&](bool writable) {
      for (const auto& store : {url, other}) setOwnerWrite(store, writable);
    };
    std::map<std::string, std::string> landed;  // each saved note's title, by the store it opened
    int refused = 0;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    for (int round = 0; round < 2'000 && std::chrono::steady_clock::now() < until; ++round) {
      setWritable(false);
      std::unique_ptr<Container> container;
      std::string opened;
      try {
        container = testing::openContainer(url);
        opened = *container->viewContext().fetch("Note").front()->value("title")->string();
      } catch (const StoreError&) {
        continue;  // the path named nothing at that moment, or a store damaged by an exchange
      }
      setWritable(true);
      const std::string title = "save " + std::to_string(round);
      testing::makeNote(container->viewContext(), title);
      if (testing::saveError(container->viewContext())) {
        ++refused;
      } else {
        landed[title] = opened;
      }
    }
    kill(exchanger, SIGKILL);
    waitpid(exchanger, nullptr, 0);
    int elsewhere = 0;
    int unreadable = 0;
    for (const auto& store : {url, other}) {
      try {
        std::string name;
        std::vector<std::string> titles;
        for (const auto& note : testing::openContainer(store)->viewContext().fetch("Note")) {
          titles.push_back(*note->value("title")->string());
          if (!titles.back().starts_with("save ")) name = titles.back();
        }
        for (const auto& title : titles) {
          const auto saved = landed.find(title);
          if (saved != landed.end() && saved->second != name) ++elsewhere;
        }
      } catch (const StoreError&) {
        ++unreadable;
      }
    }
    throw StoreError({}, std::to_string(landed.size() + refused) +
                             " saves: " + std::to_string(landed.size()) + " saved, " +
                             std::to_string(refused) + " refused; " + std::to_string(elsewhere) +
                             " elsewhere, " + std::to_string(unreadable) + " stores unreadable");
  });
  if (said == "no other user") GTEST_SKIP() << "no other user to run as";
  ::testing::Test::RecordProperty("saves", said);
  EXPECT_TRUE(std::regex_match(said, std::regex("[1-9][0-9]* saves: [0-9]+ saved, [0-9]+ "
                                                "refused; [0-9]+ elsewhere, [0-2] stores "
                                                "unreadable")))
      << said;
}

// The default VFS, but for the next open of one store's file, before which another program
// exchanges that path with another store's, and, when asked, exchanges them back once SQLite
// has opened the file.
struct ExchangingVFS {
  static inline sqlite3_vfs* real = nullptr;
  static inline sqlite3_vfs vfs{};
  static inline std::string path;
  static inline std::string other;
  static inline bool armed = false;
  static inline bool back = false;
  static inline bool failed = false;
  // Where another process makes the exchange: a byte asks it, a byte answers ('x': made).
  static inline int asking = -1;
  static inline int answered = -1;

  static bool exchangeHere() {
    return renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, other.c_str(), RENAME_EXCHANGE) == 0;
  }
  static void exchange() {
    char made = 'n';
    if (asking < 0) {
      made = exchangeHere() ? 'x' : 'n';
    } else if (write(asking, &made, 1) != 1 || read(answered, &made, 1) != 1) {
      made = 'n';
    }
    if (made != 'x') failed = true;  // a file system that cannot exchange two names
  }
  // In a child of the test only: the default stays changed.
  static void install() {
    real = sqlite3_vfs_find(nullptr);
    vfs = *real;
    vfs.zName = "kelvo-exchanging";
    vfs.pNext = nullptr;
    vfs.xOpen = [](sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags,
                   int* outFlags) {
      const bool exchanging =
          armed && name != nullptr && (flags & SQLITE_OPEN_MAIN_DB) != 0 && path == name;
      if (exchanging) {
        armed = false;
        exchange();
      }
      const int result = real->xOpen(real, name, file, flags, outFlags);
      if (exchanging && back) exchange();
      return result;
    };
    sqlite3_vfs_register(&vfs, 1);
  }
};

// Between the save's look at the path and SQLite's open, the path may come to name another
// store: the file opened anew is compared with the one the store had, and the changes stay.
TEST(StoreOpeningTest, AStoreOpenedAnewIsTheFileItHadOrTheSaveIsRefused) {
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  const auto [url, other] = twoStoresOfAnotherUser(directory.path());
  fs::permissions(url, fs::perms::owner_read);
  const std::string said = asAnotherUser([&] {
    ExchangingVFS::install();
    auto container = testing::openContainer(url);
    testing::makeNote(container->viewContext(), "made while read-only");
    std::string saves = saying(container->viewContext()) + "\n";
    setOwnerWrite(url, true);
    setOwnerWrite(other, true);
    ExchangingVFS::path = url.string();
    ExchangingVFS::other = other.string();
    ExchangingVFS::armed = true;
    saves += saying(container->viewContext()) + "\n";
    // The other store, now at the path, is not opened while the log this container left there
    // is open.
    saves += std::string(openError(url)->what()) + "\n";
    ExchangingVFS::exchange();
    // Exchanged for the moment of the open alone: the path names the store's file again, and
    // the connection opened anew holds the other.
    ExchangingVFS::armed = true;
    ExchangingVFS::back = true;
    saves += saying(container->viewContext()) + "\n";
    saves += saying(container->viewContext());
    if (ExchangingVFS::failed) throw StoreError({}, "no exchange");
    throw StoreError({}, saves);
  });
  if (said == "no other user") GTEST_SKIP() << "no other user to run as";
  if (said == "no exchange") GTEST_SKIP() << "the file system cannot exchange two names";
  EXPECT_EQ(said, "Could not save: the store at " + url.string() + " is read-only. (8)\n" +
                      movedAway(url) + " (1032)\n" + cannotOpen(url, stillOpenAtThisPath) + "\n" +
                      movedAway(url) + " (1032)\nsaved");
  std::set<std::string> kept;
  for (const auto& note : testing::reopenChecked(url)->viewContext().fetch("Note")) {
    kept.insert(*note->value("title")->string());
  }
  EXPECT_EQ(kept, (std::set<std::string>{"Kelvo", "made while read-only"}));
  EXPECT_EQ(testing::reopenChecked(other)->viewContext().count("Note"), 1u);
}

// Another process exchanges the store with another, at the moment each save opens it anew, round
// after round: a save is refused whenever the file opened anew is the other store, whether or not
// the path is put back at once, and the next save, with nothing exchanged, goes through.
TEST(StoreOpeningTest, AnotherProcessExchangingTheStoresAtEachOpenAnewNeverGetsTheirSaves) {
  TemporaryDirectory directory;
  const auto [url, other] = twoStoresOfAnotherUser(directory.path());
  constexpr int rounds = 8;
  const std::string said = asAnotherUser([&] {
    ExchangingVFS::install();
    ExchangingVFS::path = url.string();
    ExchangingVFS::other = other.string();
    int ask[2];
    int answer[2];
    if (pipe(ask) != 0 || pipe(answer) != 0) throw StoreError({}, "no pipe");
    const pid_t exchanger = fork();
    if (exchanger == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      close(ask[1]);
      for (char byte = 0; read(ask[0], &byte, 1) == 1;) {
        byte = ExchangingVFS::exchangeHere() ? 'x' : 'n';
        if (write(answer[1], &byte, 1) != 1) break;
      }
      _exit(0);
    }
    close(ask[0]);
    close(answer[1]);
    ExchangingVFS::asking = ask[1];
    ExchangingVFS::answered = answer[0];
    std::string saves;
    for (int round = 0; round < rounds; ++round) {
      setOwnerWrite(url, false);
      auto container = testing::openContainer(url);
      testing::makeNote(container->viewContext(), "round " + std::to_string(round));
      setOwnerWrite(url, true);
      ExchangingVFS::armed = true;
      ExchangingVFS::back = round % 2 == 1;
      saves += saying(container->viewContext()) + "\n";
      if (!ExchangingVFS::back) ExchangingVFS::exchange();
      saves += saying(container->viewContext()) + "\n";
    }
    close(ask[1]);  // the other process ends at the end of its requests
    waitpid(exchanger, nullptr, 0);
    if (ExchangingVFS::failed) throw StoreError({}, "no exchange");
    throw StoreError({}, saves);
  });
  if (said == "no other user") GTEST_SKIP() << "no other user to run as";
  if (said == "no exchange") GTEST_SKIP() << "the file system cannot exchange two names";
  std::string expected;
  for (int round = 0; round < rounds; ++round) expected += movedAway(url) + " (1032)\nsaved\n";
  EXPECT_EQ(said, expected);
  EXPECT_EQ(testing::reopenChecked(url)->viewContext().count("Note"), 1u + rounds);
  EXPECT_EQ(testing::reopenChecked(other)->viewContext().count("Note"), 1u);
}

// SQLite finds a store's log by its path, and its close leaves a moved store's log there, where
// a store made at that path discards it and a copy of another store takes it for its own. What a
// save committed reaches the moved file once a save finds the move, or at the close; the save
// that finds it is refused, and goes through once the file is back at its path.
TEST(StoreOpeningTest, AStoreMovedWhileOpenLosesNoSaveAndItsOldPathTakesNothingOfIt) {
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  const auto url = directory.path() / "Kelvo.store";
  const auto moved = directory.path() / "Moved.store";
  const auto other = directory.path() / "Other.store";
  for (const auto* title : {"o1", "o2", "o3"}) testing::keepNote(other, title);
  for (const bool copyAtOldPath : {false, true}) {
    for (const bool saveAfterMove : {true, false}) {
      SCOPED_TRACE(std::string(copyAtOldPath ? "another store's copy" : "a new store") +
                   " at the old path, " + (saveAfterMove ? "a save" : "the close") +
                   " finds the move");
      for (const auto& path : {url, moved}) fs::remove(path);
      {
        auto container = testing::openContainer(url);
        Context& context = container->viewContext();
        testing::makeNote(context, "before");
        EXPECT_EQ(saying(context), "saved");
        fs::rename(url, moved);
        if (copyAtOldPath) fs::copy_file(other, url);
        if (saveAfterMove) {
          testing::makeNote(context, "after");
          EXPECT_EQ(saying(context), movedAway(url) + " (1032)");
          EXPECT_TRUE(context.hasChanges());
          EXPECT_EQ(sizeOf(url.string() + "-wal"), 0u);
        }
      }
      EXPECT_EQ(sizeOf(url.string() + "-wal"), 0u);
      EXPECT_EQ(notesSeenElsewhere(moved), "before");
      EXPECT_EQ(notesSeenElsewhere(url), copyAtOldPath ? "o1,o2,o3" : "");
    }
  }

  // Back at its path, the store takes the save it refused; removed, it takes none.
  fs::remove(url);
  auto container = testing::openContainer(url);
  Context& context = container->viewContext();
  testing::makeNote(context, "before");
  EXPECT_EQ(saying(context), "saved");
  fs::rename(url, moved);
  testing::makeNote(context, "after");
  EXPECT_EQ(saying(context), movedAway(url) + " (1032)");
  fs::rename(moved, url);
  EXPECT_EQ(saying(context), "saved");
  fs::remove(url);
  testing::makeNote(context, "gone");
  EXPECT_EQ(saying(context), movedAway(url) + " (1032)");
  container.reset();
  EXPECT_EQ(notesSeenElsewhere(url), "");
}

// Another program over the stores: a process forked before this one opens any (SQLite's state
// must not cross a fork) that takes one step a line, "open <path>", "note <title>" (made and
// saved), "count" or "close", and "keep <path>" (a store kept open beside, until it ends), and
// answers each with what it said. It ends with the value, and by itself after 30 seconds; no
// answer is waited for longer than 10.
// A process's connections to one file share one view of its -shm, made beside the path of the
// first of them and kept until the last closes, while another program keeps its own beside the
// path it opened: a second container over a moved store opens only once every container that has
// it open at its old path is closed, and never by another name of the same file. Then it saves
// beside another program without a loss.
TEST(StoreOpeningTest, ASecondContainerOverAMovedStoreOpensOnceEveryContainerAtItsOldPathIsClosed) {
  Peer peer;
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  const auto folder = fs::canonical(directory.path());
  const auto url = folder / "Kelvo.store";
  const auto moved = folder / "Moved.store";
  const auto other = folder / "Other.store";
  for (const auto* title : {"o1", "o2", "o3"}) testing::keepNote(other, title);
  auto first = testing::openContainer(url);
  auto sibling = testing::openContainer(url);
  testing::makeNote(first->viewContext(), "first");
  testing::makeNote(sibling->viewContext(), "sibling");
  EXPECT_EQ(saying(first->viewContext()) + ", " + saying(sibling->viewContext()), "saved, saved");

  // Another name of the same file.
  fs::create_hard_link(url, folder / "Link.store");
  EXPECT_EQ(opening(folder / "Link.store"),
            cannotOpen(folder / "Link.store",
                       "another container in this program has this file open as " + url.string() +
                           ", and SQLite keeps a store's -wal and -shm beside the name it was "
                           "opened by; open it as " +
                           url.string() + ", or close that container first."));
  fs::remove(folder / "Link.store");

  fs::rename(url, moved);
  const std::string openedBefore =
      "another container in this program opened it at " + url.string() +
      ", before it was moved, and SQLite keeps its -wal and -shm there; close that container, "
      "then open the store here.";
  EXPECT_EQ(opening(moved), cannotOpen(moved, openedBefore));
  testing::makeNote(first->viewContext(), "late");
  EXPECT_EQ(saying(first->viewContext()), movedAway(url) + " (1032)");
  testing::makeNote(sibling->viewContext(), "late");
  EXPECT_EQ(saying(sibling->viewContext()), movedAway(url) + " (1032)");
  // Both found the move, and the view they share still lies beside the old path, where a new
  // store is not made meanwhile.
  EXPECT_EQ(opening(moved), cannotOpen(moved, openedBefore));
  EXPECT_EQ(opening(url), cannotOpen(url, stillOpenAtThisPath));
  EXPECT_FALSE(fs::exists(url));
  first.reset();
  EXPECT_EQ(opening(moved), cannotOpen(moved, openedBefore));
  sibling.reset();

  auto second = testing::openContainer(moved);
  EXPECT_EQ(second->viewContext().count("Note"), 2u);
  EXPECT_EQ(peer("open " + moved.string()), "opened");
  std::string saves;
  for (int round = 0; round < 20; ++round) {
    testing::makeNote(second->viewContext(), "second " + std::to_string(round));
    saves += saying(second->viewContext()) + "," + peer("note peer " + std::to_string(round)) + ",";
  }
  EXPECT_EQ(saves.find_first_not_of("saved,"), std::string::npos) << saves;
  // Another store kept at the old path has a view of its own.
  fs::copy_file(other, url);
  EXPECT_EQ(testing::openContainer(url)->viewContext().count("Note"), 3u);
  EXPECT_EQ(peer("close"), "closed");
  second.reset();
  EXPECT_EQ(testing::reopenChecked(moved)->viewContext().count("Note"), 42u);
  EXPECT_EQ(notesSeenElsewhere(url), "o1,o2,o3");
}

// SQLite's lock on a store file and on the -shm beside the name a program opened it by tell, at
// another program's open, a store that program has open by another name (moved, or a hard link),
// and a -shm beside this name that it holds for another file: either open is refused before
// anything is made, and goes through once that program has closed the store, or was killed.
TEST(StoreOpeningTest, AnotherProgramOpensAStoreOnlyByTheNameItIsOpenByElsewhere) {
  Peer peer;
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  const auto folder = fs::canonical(directory.path());
  const auto url = folder / "Kelvo.store";
  const auto moved = folder / "Moved.store";
  const auto other = folder / "Other.store";
  const auto link = folder / "Link.store";
  for (const auto* title : {"o1", "o2", "o3"}) testing::keepNote(other, title);
  const std::string program = "another program (process " + std::to_string(getpid()) + ")";
  const std::string byAnotherName =
      program +
      " has this file open by another name, and SQLite keeps a store's -wal and -shm beside the "
      "name it was opened by; close the store in that program, then open it here.";
  const std::string shmOfAnotherFile =
      program +
      " still has open the store that was at this path before it was moved or replaced, whose "
      "-wal and -shm SQLite would take for this store's; close the store in that program, then "
      "open it here.";

  auto container = testing::openContainer(url);
  testing::makeNote(container->viewContext(), "before");
  EXPECT_EQ(saying(container->viewContext()), "saved");
  fs::create_hard_link(url, link);
  EXPECT_EQ(peer("open " + link.string()), cannotOpen(link, byAnotherName));
  EXPECT_EQ(peer("open " + url.string()), "opened");
  EXPECT_EQ(peer("close"), "closed");
  fs::remove(link);

  fs::rename(url, moved);
  const auto made = entries(folder);
  EXPECT_EQ(peer("open " + moved.string()), cannotOpen(moved, byAnotherName));
  EXPECT_EQ(peer("open " + url.string()), cannotOpen(url, shmOfAnotherFile));
  EXPECT_EQ(entries(folder), made);
  fs::copy_file(other, url);
  EXPECT_EQ(peer("open " + url.string()), cannotOpen(url, shmOfAnotherFile));
  testing::makeNote(container->viewContext(), "after");
  EXPECT_EQ(saying(container->viewContext()), movedAway(url) + " (1032)");
  EXPECT_EQ(peer("open " + moved.string()), cannotOpen(moved, byAnotherName));
  container.reset();

  EXPECT_EQ(peer("open " + moved.string()), "opened");
  EXPECT_EQ(peer("note peer"), "saved");
  EXPECT_EQ(peer("open " + url.string()), "opened");
  EXPECT_EQ(peer("count"), "3");
  // A program killed with the store open holds nothing of it.
  EXPECT_EQ(peer("open " + moved.string()), "opened");
  peer.kill();
  EXPECT_EQ(notesSeenElsewhere(moved), "before,peer");
}

// Two mounts of one folder give a store two paths that are one name in one folder, beside which
// SQLite's -wal and -shm are the same files: both open in one program.
TEST(StoreOpeningTest, AStoreReachedThroughTwoMountsOfItsFolderOpensTwiceInOneProgram) {
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  const auto folder = fs::canonical(directory.path()) / "folder";
  const auto mounted = fs::canonical(directory.path()) / "mounted";
  fs::create_directory(folder);
  fs::create_directory(mounted);
  testing::keepNote(folder / "Kelvo.store", "kept");
  const std::string said = saidInChild(
      [&] {
        // A mount table of the child's own: nothing of it reaches the machine's.
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount(folder.c_str(), mounted.c_str(), nullptr, MS_BIND, nullptr) != 0) {
          throw StoreError({}, "no mount");
        }
        auto one = testing::openContainer(folder / "Kelvo.store");
        auto two = testing::openContainer(mounted / "Kelvo.store");
        testing::makeNote(one->viewContext(), "one");
        testing::makeNote(two->viewContext(), "two");
        throw StoreError({}, saying(one->viewContext()) + ", " + saying(two->viewContext()));
      },
      false);
  if (said == "no mount") GTEST_SKIP() << "no mount namespace of its own for the test";
  EXPECT_EQ(said, "saved, saved");
  EXPECT_EQ(notesSeenElsewhere(folder / "Kelvo.store"), "kept,one,two");
}

// A program reading a store whose -shm it may not write holds no lock on that -shm, while it
// holds the -shm of another store it has open: that is no other name of this store.
TEST(StoreOpeningTest, AProgramReadingBesideAReadOnlyShmWithAnotherStoreOpenIsNoOtherName) {
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  const auto [url, other] = twoStoresOfAnotherUser(directory.path());
  const std::string said = asAnotherUser([&] {
    Peer peer;
    // An earlier run opened the store read-only and left its -shm so.
    fs::permissions(url, fs::perms::owner_read);
    testing::openContainer(url)->viewContext().count("Note");
    fs::permissions(url, fs::perms::owner_write, fs::perm_options::add);
    std::string steps = peer("keep " + other.string()) + ", ";
    steps += peer("open " + url.string()) + " ";
    steps += peer("count") + ", ";
    steps += opening(url);
    throw StoreError({}, steps);
  });
  if (said == "no other user") GTEST_SKIP() << "no other user to run as";
  EXPECT_EQ(said, "opened, opened 1, opened");
}

// Three programs open the store by the name it has at that moment, keep a note and close, while
// a fourth moves it between two names every few milliseconds (never over another file: a store
// made at a name the store had just left is moved aside). Every note a save answered "saved" for
// is in one of the files afterwards, and no file is damaged.
TEST(StoreOpeningTest, ProgramsReopeningAStoreThatKeepsMovingLoseNoSave) {
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  const auto folder = fs::canonical(directory.path());
  const auto one = folder / "A.store";
  const auto other = folder / "B.store";
  testing::keepNote(one, "kept");
  const std::set<std::string> saved = saveBesideARenamer(one, other, 2).saved;
  std::set<std::string> found;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".store") continue;
    SCOPED_TRACE(entry.path().string());
    ASSERT_NO_FATAL_FAILURE(testing::expectIntact(entry.path()));
    for (const auto& note : testing::openContainer(entry.path())->viewContext().fetch("Note")) {
      found.insert(*note->value("title")->string());
    }
  }
  std::vector<std::string> lost;
  std::set_difference(saved.begin(), saved.end(), found.begin(), found.end(),
                      std::back_inserter(lost));
  EXPECT_GT(saved.size(), 0u);
  EXPECT_EQ(lost.size(), 0u) << lost.size() << " of " << saved.size() << " saved notes lost";
}

// Programs opening one store by one name at once are never refused, whatever moment of another's
// open or close each meets.
TEST(StoreOpeningTest, ProgramsOpeningOneStoreByOneNameAtOnceAreNeverRefused) {
  TemporaryDirectory directory;
  const auto url = directory.path() / "Kelvo.store";
  testing::keepNote(url, "kept");
  constexpr int programs = 6;
  constexpr int opens = 100;
  std::vector<pid_t> children;
  for (int program = 0; program < programs; ++program) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      alarm(60);
      int refused = 0;
      for (int open = 0; open < opens; ++open) {
        try {
          auto container = testing::openContainer(url);
          container->viewContext().count("Note");
          if (open % 10 == 0) {
            testing::makeNote(container->viewContext(), std::to_string(program));
            container->viewContext().save();
          }
        } catch (const StoreError& error) {
          std::fprintf(stderr, "%s\n", error.what());
          ++refused;
        }
      }
      _exit(std::min(refused, 100));
    }
    children.push_back(child);
  }
  int refused = 0;
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    refused += WEXITSTATUS(status);
  }
  EXPECT_EQ(refused, 0);
  EXPECT_EQ(testing::reopenChecked(url)->viewContext().count("Note"), 1u + programs * opens / 10);
}

// The default VFS, but for one move of the store's file to another path, made once, right after
// the step `when` names: SQLite's look at whether the file was moved (a close makes one), or its
// open of the -wal beside the store (an open's first read makes one), where the file may also be
// moved back at once. Installed in a child of the test only: the default stays changed.
struct MovingVFS {
  enum class When { never, afterLook, atLogOpen };
  static inline sqlite3_vfs* real = nullptr;
  static inline sqlite3_vfs vfs{};
  static inline sqlite3_io_methods methods{};
  static inline std::string from;
  static inline std::string to;
  static inline When when = When::never;
  static inline bool back = false;
  // Exchanged with the file at `to` rather than moved there.
  static inline bool exchanging = false;

  struct File {
    sqlite3_file base;
    sqlite3_file* real;
  };
  static sqlite3_file* in(sqlite3_file* file) { return reinterpret_cast<File*>(file)->real; }
  static const sqlite3_io_methods& of(sqlite3_file* file) { return *in(file)->pMethods; }
  static void move(const std::string& source, const std::string& target) {
    const int moved =
        exchanging ? renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE)
                   : rename(source.c_str(), target.c_str());
    if (moved != 0) std::abort();
  }

  static void install(const std::filesystem::path& store, const std::filesystem::path& moved) {
    from = store.string();
    to = moved.string();
    real = sqlite3_vfs_find(nullptr);
    vfs = *real;
    vfs.zName = "kelvo-moving";
    vfs.pNext = nullptr;
    vfs.szOsFile = static_cast<int>(sizeof(File)) + real->szOsFile;
    vfs.xOpen = [](sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags,
                   int* outFlags) {
      auto* wrapper = reinterpret_cast<File*>(file);
      wrapper->real = reinterpret_cast<sqlite3_file*>(wrapper + 1);
      const bool moving = when == When::atLogOpen && (flags & SQLITE_OPEN_WAL) != 0;
      if (moving) {
        when = When::never;
        move(from, to);
      }
      const int result = real->xOpen(real, name, wrapper->real, flags, outFlags);
      if (moving && back) move(to, from);
      if (wrapper->real->pMethods != nullptr) {
        forward(*wrapper->real->pMethods);
        file->pMethods = &methods;
      } else {
        file->pMethods = nullptr;
      }
      return result;
    };
    sqlite3_vfs_register(&vfs, 1);
  }

  static void forward(const sqlite3_io_methods& inner) {
    methods.iVersion = inner.iVersion;
    methods.xClose = [](sqlite3_file* f) { return of(f).xClose(in(f)); };
    methods.xRead = [](sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
      return of(f).xRead(in(f), b, n, o);
    };
    methods.xWrite = [](sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
      return of(f).xWrite(in(f), b, n, o);
    };
    methods.xTruncate = [](sqlite3_file* f, sqlite3_int64 n) { return of(f).xTruncate(in(f), n); };
    methods.xSync = [](sqlite3_file* f, int flags) { return of(f).xSync(in(f), flags); };
    methods.xFileSize = [](sqlite3_file* f, sqlite3_int64* n) { return of(f).xFileSize(in(f), n); };
    methods.xLock = [](sqlite3_file* f, int lock) { return of(f).xLock(in(f), lock); };
    methods.xUnlock = [](sqlite3_file* f, int lock) { return of(f).xUnlock(in(f), lock); };
    methods.xCheckReservedLock = [](sqlite3_file* f, int* held) {
      return of(f).xCheckReservedLock(in(f), held);
    };
    methods.xFileControl = [](sqlite3_file* f, int op, void* argument) {
      const int result = of(f).xFileControl(in(f), op, argument);
      if (op == SQLITE_FCNTL_HAS_MOVED && when == When::afterLook) {
        when = When::never;
        move(from, to);
      }
      return result;
    };
    methods.xSectorSize = [](sqlite3_file* f) { return of(f).xSectorSize(in(f)); };
    methods.xDeviceCharacteristics = [](sqlite3_file* f) {
      return of(f).xDeviceCharacteristics(in(f));
    };
    methods.xShmMap = [](sqlite3_file* f, int region, int size, int extend, void volatile** map) {
      return of(f).xShmMap(in(f), region, size, extend, map);
    };
    methods.xShmLock = [](sqlite3_file* f, int offset, int n, int flags) {
      return of(f).xShmLock(in(f), offset, n, flags);
    };
    methods.xShmBarrier = [](sqlite3_file* f) { of(f).xShmBarrier(in(f)); };
    methods.xShmUnmap = [](sqlite3_file* f, int remove) { return of(f).xShmUnmap(in(f), remove); };
    methods.xFetch = [](sqlite3_file* f, sqlite3_int64 o, int n, void** page) {
      return of(f).xFetch(in(f), o, n, page);
    };
    methods.xUnfetch = [](sqlite3_file* f, sqlite3_int64 o, void* page) {
      return of(f).xUnfetch(in(f), o, page);
    };
  }
};

// SQLite's close copies the log into the file only when it finds the file at its path: a move
// just after any earlier look, ours included, would leave the saves in the log beside the old
// path. What the container saved is in the moved file once its close returns.
TEST(StoreOpeningTest, AStoreMovedAsItClosesKeepsWhatItSaved) {
  TemporaryDirectory directory;
  const auto url = directory.path() / "Kelvo.store";
  const auto moved = directory.path() / "Moved.store";
  const std::string said = saidInChild(
      [&] {
        MovingVFS::install(url, moved);
        auto container = testing::openContainer(url);
        for (const auto* title : {"a", "b", "c"}) {
          testing::makeNote(container->viewContext(), title);
          container->viewContext().save();
        }
        MovingVFS::when = MovingVFS::When::afterLook;
        container.reset();
        throw StoreError({}, "closed, a log of " + std::to_string(sizeOf(url.string() + "-wal")) +
                                 " bytes at the old path");
      },
      false);
  EXPECT_EQ(said, "closed, a log of 0 bytes at the old path");
  EXPECT_EQ(notesSeenElsewhere(moved), "a,b,c");
}

// A store at `path` holding one note, "x", in its log alone: the program that saved it was
// killed with it open, leaving the -wal and -shm beside it.
void keepInALogLeftBehind(const std::filesystem::path& path) {
  Peer peer;
  ASSERT_EQ(peer("open " + path.string()), "opened");
  ASSERT_EQ(peer("note x"), "saved");
  peer.kill();
}

// Moves the store at `url` to `moved`, and puts the store at `other` in its place, with its -wal
// and -shm.
void replaceWithItsLog(const std::filesystem::path& url, const std::filesystem::path& moved,
                       const std::filesystem::path& other) {
  std::filesystem::rename(url, moved);
  for (const char* suffix : {"", "-wal", "-shm"}) {
    std::filesystem::rename(other.string() + suffix, url.string() + suffix);
  }
}

// SQLite's own VFS, but for one move, made at a look at the store's path (a `stat`) once armed,
// after `looksToPass` others, before or after the look itself. Once the store is open, the first
// look of a close is SQLite's own, before it copies the log; the next is the close's, just before
// SQLite removes the -wal and -shm by the name. Installed in a child of the test only.
struct MovingStat {
  static inline sqlite3_syscall_ptr real = nullptr;
  static inline std::string path;
  static inline std::function<void()> move;
  static inline bool afterLook = false;
  static inline int looksToPass = 0;

  static int look(const char* at, struct stat* status) {
    const bool moving = move && path == at && looksToPass-- == 0;
    if (moving && !afterLook) std::exchange(move, nullptr)();
    const int result = reinterpret_cast<int (*)(const char*, struct stat*)>(real)(at, status);
    if (moving && afterLook) std::exchange(move, nullptr)();
    return result;
  }
  static void install(const std::filesystem::path& store) {
    path = store.string();
    sqlite3_vfs* own = sqlite3_vfs_find("unix");
    real = own->xGetSystemCall(own, "stat");
    if (real == nullptr ||
        own->xSetSystemCall(own, "stat", reinterpret_cast<sqlite3_syscall_ptr>(&look)) != 0) {
      throw StoreError({}, "no look to move at");
    }
  }
};

// The same through SQLite's own VFS, whose close copies the log where the container's close
// has the file alone, for a move at any moment of it: the store moved at SQLite's look, its
// folder moved with the -wal and -shm just after that look or the next, or the store moved away
// and another put at the path with its own log. What the container saved is in its file, nothing of
// its log is left to be read at either place, and the other store keeps its log.
TEST(StoreOpeningTest, AStoreMovedAsSQLiteClosesItKeepsWhatItSavedAndLeavesNoLogToRead) {
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  const auto folder = directory.path() / "one";
  const auto movedFolder = directory.path() / "two";
  const auto url = folder / "Kelvo.store";
  const auto moved = folder / "Moved.store";
  const auto other = folder / "Other.store";
  const auto left = [](const fs::path& store) {
    std::string files;
    for (const char* suffix : {"", "-wal", "-shm"}) {
      const fs::path file = store.string() + suffix;
      if (fs::exists(file)) {
        files += " " + file.filename().string() +
                 (suffix == std::string("-wal") && sizeOf(file) > 0
                      ? " (" + std::to_string(sizeOf(file)) + ")"
                      : "");
      }
    }
    return files.empty() ? std::string(" nothing") : files;
  };
  const auto closeMoving = [&](const std::function<void()>& move, bool afterLook,
                               int looksToPass = 0) {
    return saidInChild(
        [&] {
          MovingStat::install(url);
          auto container = testing::openContainer(url);
          for (const auto* title : {"a", "b", "c"}) {
            testing::makeNote(container->viewContext(), title);
            container->viewContext().save();
          }
          MovingStat::afterLook = afterLook;
          MovingStat::looksToPass = looksToPass;
          MovingStat::move = move;
          container.reset();
          throw StoreError({}, MovingStat::move ? "not moved" : "moved");
        },
        false);
  };

  fs::create_directories(folder);
  EXPECT_EQ(closeMoving([&] { fs::rename(url, moved); }, false), "moved");
  EXPECT_EQ(left(url), " nothing");
  EXPECT_EQ(notesSeenElsewhere(moved), "a,b,c");

  fs::remove_all(folder);
  fs::create_directories(folder);
  // Moved just after SQLite's look, and just after the close's own look as SQLite is about to
  // remove the log.
  for (const int looksToPass : {0, 1}) {
    fs::remove_all(movedFolder);
    fs::remove_all(folder);
    fs::create_directories(folder);
    EXPECT_EQ(closeMoving([&] { fs::rename(folder, movedFolder); }, true, looksToPass), "moved");
    EXPECT_EQ(left(movedFolder / "Kelvo.store"), " Kelvo.store Kelvo.store-wal Kelvo.store-shm");
    EXPECT_EQ(notesSeenElsewhere(movedFolder / "Kelvo.store"), "a,b,c");
  }

  fs::remove_all(folder);
  fs::remove_all(movedFolder);
  fs::create_directories(folder);
  keepInALogLeftBehind(other);
  EXPECT_EQ(closeMoving([&] { replaceWithItsLog(url, moved, other); }, true), "moved");
  EXPECT_EQ(notesSeenElsewhere(moved), "a,b,c");
  EXPECT_EQ(notesSeenElsewhere(url), "x");
}

// A store moved away while open, and another put at its path with the -wal and -shm of a
// program killed with it open: the close writes what it saved into its own file, and leaves the
// other's log, which SQLite's close would have removed by the name.
TEST(StoreOpeningTest, AStoreReplacedWithItsLogWhileAnotherIsOpenKeepsBothLogs) {
  TemporaryDirectory directory;
  const auto url = directory.path() / "Kelvo.store";
  const auto moved = directory.path() / "Moved.store";
  const auto other = directory.path() / "Other.store";
  keepInALogLeftBehind(other);
  ASSERT_GT(sizeOf(other.string() + "-wal"), 0u);
  auto container = testing::openContainer(url);
  for (const auto* title : {"a", "b"}) {
    testing::makeNote(container->viewContext(), title);
    container->viewContext().save();
  }
  replaceWithItsLog(url, moved, other);
  container.reset();
  EXPECT_EQ(notesSeenElsewhere(moved), "a,b");
  EXPECT_EQ(notesSeenElsewhere(url), "x");
}

// Containers of one program on several threads, each closing as others have the store open or
// close at the same moment: every save is kept, and no log is left holding anything.
TEST(StoreOpeningTest, ContainersClosingAtOnceOnThreadsOfOneProgramKeepEverySave) {
  TemporaryDirectory directory;
  const auto url = directory.path() / "Kelvo.store";
  testing::keepNote(url, "seed");
  constexpr int threads = 4;
  constexpr int rounds = 25;
  std::vector<std::string> failures(threads);
  {
    std::vector<std::jthread> running;
    for (int t = 0; t < threads; ++t) {
      running.emplace_back([&, t] {
        try {
          for (int round = 0; round < rounds; ++round) {
            auto container = testing::openContainer(url);
            testing::makeNote(container->viewContext(), std::to_string(t * rounds + round));
            container->viewContext().save();
          }
        } catch (const StoreError& error) {
          failures[t] = error.what();
        }
      });
    }
  }
  for (const auto& failure : failures) EXPECT_EQ(failure, "");
  // Two closing at the same moment may each find the other holding the file: the log is then
  // left empty.
  EXPECT_EQ(sizeOf(url.string() + "-wal"), 0u);
  EXPECT_EQ(testing::reopenChecked(url)->viewContext().count("Note"), 1u + threads * rounds);
}

// A close copies what it can into the file and leaves the rest to the program still reading: it
// waits for no reader. That program's close copies it, if it may write the store; one that reads
// it read-only (a read-only URI, mode=ro) copies nothing, and leaves it in the -wal, where the
// next open by that name reads it, and copies it at its close.
TEST(StoreOpeningTest, AStoreClosedWhileAnotherProgramReadsWaitsForNoneAndLosesNothing) {
  TemporaryDirectory directory;
  for (const bool readOnly : {false, true}) {
    SCOPED_TRACE(readOnly ? "read-only" : "read and write");
    const auto url = directory.path() / (readOnly ? "ReadOnly.store" : "Kelvo.store");
    testing::keepNote(url, "a");
    static int sleeps = 0;
    const std::string said = saidInChild(
        [&] {
          // Every wait SQLite makes goes through its VFS's sleep, counted here.
          static int (*realSleep)(sqlite3_vfs*, int) = nullptr;
          sqlite3_vfs* own = sqlite3_vfs_find(nullptr);
          realSleep = own->xSleep;
          own->xSleep = [](sqlite3_vfs* vfs, int microseconds) {
            ++sleeps;
            return realSleep(vfs, microseconds);
          };
          int reading[2];
          int done[2];
          if (pipe(reading) != 0 || pipe(done) != 0) throw StoreError({}, "no pipe");
          const pid_t reader = fork();
          if (reader == 0) {
            // Reads the store as it is now, and holds that read until told.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            alarm(20);
            sqlite3* connection = nullptr;
            char byte = 0;
            const std::string name = readOnly ? "file:" + url.string() + "?mode=ro" : url.string();
            const int flags =
                readOnly ? SQLITE_OPEN_READONLY | SQLITE_OPEN_URI : SQLITE_OPEN_READWRITE;
            if (sqlite3_open_v2(name.c_str(), &connection, flags, nullptr) != SQLITE_OK) _exit(1);
            // The container opening at the same moment may be recovering the log, which turns a
            // reader that will not wait away as busy.
            sqlite3_busy_timeout(connection, 5000);
            if (sqlite3_exec(connection, "BEGIN; SELECT count(*) FROM sqlite_schema;", nullptr,
                             nullptr, nullptr) != SQLITE_OK ||
                write(reading[1], "r", 1) != 1) {
              _exit(1);
            }
            pollfd told{done[0], POLLIN, 0};
            if (poll(&told, 1, 10'000) != 1 || read(done[0], &byte, 1) != 1) _exit(2);
            sqlite3_exec(connection, "COMMIT", nullptr, nullptr, nullptr);
            _exit(sqlite3_close(connection) == SQLITE_OK ? 0 : 3);
          }
          auto container = testing::openContainer(url);
          char byte = 0;
          pollfd ready{reading[0], POLLIN, 0};
          if (poll(&ready, 1, 10'000) != 1 || read(reading[0], &byte, 1) != 1) {
            throw StoreError({}, "no reader");
          }
          for (const auto* title : {"b", "c"}) {
            testing::makeNote(container->viewContext(), title);
            container->viewContext().save();
          }
          sleeps = 0;
          container.reset();
          const int sleptAtClose = sleeps;
          const bool logLeft = sizeOf(url.string() + "-wal") > 0;
          int status = 0;
          if (write(done[1], "d", 1) != 1 || waitpid(reader, &status, 0) != reader) {
            throw StoreError({}, "reader lost");
          }
          throw StoreError({}, "slept " + std::to_string(sleptAtClose) + " times; log " +
                                   (logLeft ? "left to the reader" : "emptied") + "; reader " +
                                   std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1));
        },
        false);
    EXPECT_EQ(said, "slept 0 times; log left to the reader; reader 0");
    EXPECT_EQ(std::filesystem::exists(url.string() + "-wal"), readOnly);
    if (readOnly) {
      // The file alone, without the -wal and -shm beside it, has not taken the saves.
      const auto alone = directory.path() / "Alone.store";
      std::filesystem::copy_file(url, alone);
      EXPECT_EQ(notesSeenElsewhere(alone), "a");
      EXPECT_TRUE(std::filesystem::exists(url.string() + "-shm"));
    }
    EXPECT_EQ(notesSeenElsewhere(url), "a,b,c");
    EXPECT_FALSE(std::filesystem::exists(url.string() + "-wal"));
  }
}

// SQLite opens the -wal and -shm by the store's path after the file itself: a store moved or
// removed in between is told so, at an open and at a save that opens the store anew, and a save
// so refused keeps its changes.
TEST(StoreOpeningTest, AStoreMovedWhileItIsBeingOpenedIsToldSo) {
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  const auto [url, other] = twoStoresOfAnotherUser(directory.path());
  const auto moved = fs::canonical(directory.path()) / "Moved.store";
  const std::string said = asAnotherUser([&] {
    MovingVFS::install(url, moved);
    std::string steps;
    for (const bool back : {false, true}) {
      MovingVFS::when = MovingVFS::When::atLogOpen;
      MovingVFS::back = back;
      const auto error = openError(url);
      steps += (error ? error->what() + (" (" + std::to_string(error->extendedCode()) + ")")
                      : std::string("opened")) +
               "\n";
      if (!back) fs::rename(moved, url);
    }
    // Another store put in its place as the -wal is opened: its first read was of the file the
    // path no longer names.
    MovingVFS::to = other.string();
    MovingVFS::exchanging = true;
    MovingVFS::when = MovingVFS::When::atLogOpen;
    MovingVFS::back = false;
    steps += opening(url) + "\n";
    MovingVFS::move(url.string(), other.string());
    MovingVFS::to = moved.string();
    MovingVFS::exchanging = false;
    // A save that opens the store anew, the file being read-only when it was opened.
    setOwnerWrite(url, false);
    auto container = testing::openContainer(url);
    setOwnerWrite(url, true);
    testing::makeNote(container->viewContext(), "kept pending");
    MovingVFS::when = MovingVFS::When::atLogOpen;
    MovingVFS::back = false;
    steps += saying(container->viewContext()) + "\n";
    fs::rename(moved, url);
    steps += saying(container->viewContext());
    throw StoreError({}, steps);
  });
  if (said == "no other user") GTEST_SKIP() << "no other user to run as";
  const std::string openRefused =
      cannotOpen(url,
                 "it was moved or removed while it was being opened; open it again, at the path "
                 "it has now.") +
      " (14)\n";
  EXPECT_EQ(said, openRefused + openRefused +
                      openRefused.substr(0, openRefused.size() - std::string(" (14)\n").size()) +
                      "\nCould not save: the store at " + url.string() +
                      " was moved or removed while this save opened it anew; close this "
                      "container, then open the store where it now is in a new container, and "
                      "make the changes there. (1032)\nsaved");
  EXPECT_EQ(notesSeenElsewhere(url), "Kelvo,kept pending");
  EXPECT_EQ(notesSeenElsewhere(other), "Other");
}

// Another process had the store open when it was moved: its saves reach the moved file too.
TEST(StoreOpeningTest, AnotherProcessWithAStoreMovedWhileOpenLosesNoSaveEither) {
  TemporaryDirectory directory;
  namespace fs = std::filesystem;
  const auto url = directory.path() / "Kelvo.store";
  const auto moved = directory.path() / "Moved.store";
  int go[2];
  int said[2];
  ASSERT_EQ(pipe(go), 0);
  ASSERT_EQ(pipe(said), 0);
  // Forked before this process opens the store: SQLite's state must not cross a fork.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    alarm(20);
    close(go[1]);
    close(said[0]);
    char byte = 0;
    std::string saves;
    try {
      if (read(go[0], &byte, 1) != 1) _exit(2);
      auto container = testing::openContainer(url);
      testing::makeNote(container->viewContext(), "child");
      saves = saying(container->viewContext()) + "\n";
      if (write(said[1], "o", 1) != 1 || read(go[0], &byte, 1) != 1) _exit(2);
      testing::makeNote(container->viewContext(), "late");
      saves += saying(container->viewContext());
    } catch (const std::exception& error) {
      saves = error.what();
    }
    if (write(said[1], saves.data(), saves.size()) < 0) _exit(1);
    _exit(0);
  }
  close(go[0]);
  close(said[1]);
  auto container = testing::openContainer(url);
  testing::makeNote(container->viewContext(), "before");
  EXPECT_EQ(saying(container->viewContext()), "saved");
  char byte = 0;
  ASSERT_EQ(write(go[1], "g", 1), 1);
  ASSERT_EQ(read(said[0], &byte, 1), 1);
  fs::rename(url, moved);
  ASSERT_EQ(write(go[1], "g", 1), 1);
  std::string childSaid;
  char buffer[512];
  for (ssize_t got; (got = read(said[0], buffer, sizeof buffer)) > 0;)
    childSaid.append(buffer, got);
  close(said[0]);
  close(go[1]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  EXPECT_EQ(childSaid, "saved\n" + movedAway(url) + " (1032)");
  testing::makeNote(container->viewContext(), "after");
  EXPECT_EQ(saying(container->viewContext()), movedAway(url) + " (1032)");
  container.reset();
  EXPECT_EQ(notesSeenElsewhere(moved), "before,child");
  EXPECT_FALSE(fs::exists(url));
}

}  // namespace
}  // namespace kelvo::data
