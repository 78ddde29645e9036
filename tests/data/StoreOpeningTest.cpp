// Opening a store as programs meet it: two processes at the same moment, and the files and
// folders a user may point a program at.
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "platform/data/Context.hpp"
#include "tests/data/StoreFileCheck.hpp"
#include "tests/data/TestModel.hpp"

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
  const auto cut = directory.path() / "cut.store";
  {
    const auto whole = directory.path() / "whole.store";
    testing::makeNote(testing::openContainer(whole)->viewContext(), "x");
    std::ofstream(cut, std::ios::binary) << fileBytes(whole).substr(0, 60);
  }
  for (const auto& [file, what] :
       {std::pair{noise, "is not a store of this app."}, std::pair{cut, "is damaged."}}) {
    SCOPED_TRACE(file.string());
    const std::string before = fileBytes(file);
    const auto error = openError(file);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->kind(), StoreError::Kind::incompatibleStore);
    EXPECT_EQ(std::string(error->what()), "The store at " + file.string() + " " + what);
    EXPECT_EQ(fileBytes(file), before);
    EXPECT_FALSE(std::filesystem::exists(file.string() + "-wal"));
  }

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

// What `what` says, run in a child: the open's error, the save's, or "saved". As another user,
// the child owns neither the folder nor the file (root writes wherever it likes).
std::string saidInChild(const std::function<void()>& what, bool asAnotherUser) {
  int result[2];
  if (pipe(result) != 0) return "no pipe";
  const pid_t child = fork();
  if (child == 0) {
    close(result[0]);
    std::string said = "saved";
    if (asAnotherUser && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
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
  {
    auto container = testing::openContainer(url);
    testing::makeNote(container->viewContext(), "x");
    container->viewContext().save();
  }

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

}  // namespace
}  // namespace kelvo::data
