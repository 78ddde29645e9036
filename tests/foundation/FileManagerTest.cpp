#include "platform/foundation/FileManager.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <fstream>
#include <map>

#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;
using Step = FileManager::WriteStep;

constexpr std::uintmax_t anySize = 1 << 20;

constexpr Step allSteps[] = {Step::createTemporary, Step::writeBytes, Step::syncFile, Step::rename,
                             Step::syncFolder};

size_t entriesIn(const fs::path& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

struct ScopedEnvironment {
  ScopedEnvironment(const char* variable, const char* value) : name(variable) {
    if (const char* found = std::getenv(name)) old = found;
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
  }
  ~ScopedEnvironment() { old ? ::setenv(name, old->c_str(), 1) : ::unsetenv(name); }
  const char* name;
  std::optional<std::string> old;
};

// A fresh folder, a file manager kept within it, and a file there.
struct InAFolder : ::testing::Test {
  testing::TemporaryDirectory folder;
  FileManager files{folder.path(), folder.path()};
  const fs::path file = folder.path() / "defaults.json";
};
using FileManagerTest = InAFolder;

TEST_F(FileManagerTest, FindsTheUsersFolders) {
  testing::TemporaryDirectory home;
  ScopedEnvironment setHome("HOME", home.path().c_str());
  {
    ScopedEnvironment noData("XDG_DATA_HOME", nullptr);
    ScopedEnvironment relativeConfig("XDG_CONFIG_HOME", "relative/config");
    const FileManager user;
    EXPECT_EQ(user.applicationSupportDirectory(true), home.path() / ".local/share");
    EXPECT_TRUE(fs::is_directory(home.path() / ".local/share"));
    EXPECT_EQ(user.configurationDirectory(), home.path() / ".config");
  }
  ScopedEnvironment data("XDG_DATA_HOME", (home.path() / "data").c_str());
  const FileManager user;
  EXPECT_EQ(user.containerDirectory("group.kelvo"), home.path() / "data/app-groups/group.kelvo");
  EXPECT_EQ(user.containerDirectory(std::nullopt), std::nullopt);
  for (const std::string_view id : {""sv, ".."sv, "a/b"sv, "a\0b"sv}) {
    EXPECT_EQ(user.containerDirectory(id), std::nullopt) << id;
  }

  // A data folder that cannot be made is reported, not swallowed.
  std::ofstream(home.path() / "file") << "x";
  EXPECT_THROW(
      FileManager(home.path() / "file/data", home.path()).applicationSupportDirectory(true),
      FileError);
}

TEST_F(FileManagerTest, ReadsWritesAndRemoves) {
  const fs::path nested = folder.path() / "a/b/c.json";
  EXPECT_THROW(files.write(nested, "x"), FileError);  // no folder yet
  files.createDirectory(nested.parent_path());
  files.createDirectory(nested.parent_path());
  files.write(nested, std::string("one\0two", 7));
  EXPECT_EQ(files.contents(nested, anySize), std::string("one\0two", 7));
  EXPECT_EQ(files.fileSize(nested), 7u);
  files.write(nested, "");
  EXPECT_EQ(files.contents(nested, anySize), "");
  EXPECT_EQ(entriesIn(nested.parent_path()), 1u);

  EXPECT_THROW(files.contents(folder.path() / "missing", anySize), FileError);
  EXPECT_THROW(files.contents(folder.path(), anySize), FileError);
  EXPECT_THROW(files.createDirectory(nested), FileError);
  files.removeItem(folder.path() / "a");
  EXPECT_FALSE(files.fileExists(nested));
  EXPECT_THROW(files.removeItem(folder.path() / "a"), FileError);
}

TEST_F(FileManagerTest, ReadsOnlyRegularFilesWithinTheirLimit) {
  const fs::path fifo = folder.path() / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const fs::path zeros = folder.path() / "zeros";
  fs::create_symlink("/dev/zero", zeros);
  const fs::path sparse = folder.path() / "sparse";
  std::ofstream(sparse) << "{}";
  fs::resize_file(sparse, std::uintmax_t{64} << 30);
  const fs::path exact = folder.path() / "exact";
  std::ofstream(exact) << std::string(1000, 'x');

  // Each read runs in a child with an alarm, so a read that blocks fails instead of hanging.
  const auto refuses = [&](const fs::path& path, std::uintmax_t limit) {
    const pid_t child = fork();
    if (child == 0) {
      ::alarm(10);
      try {
        files.contents(path, limit);
      } catch (const FileError&) {
        ::_exit(0);
      }
      ::_exit(1);
    }
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  };
  EXPECT_TRUE(refuses(fifo, anySize));
  EXPECT_TRUE(refuses(zeros, anySize));
  EXPECT_TRUE(refuses(sparse, anySize));
  EXPECT_TRUE(refuses(exact, 999));
  EXPECT_EQ(files.contents(exact, 1000).size(), 1000u);
}

TEST_F(FileManagerTest, AnAtomicWriteSyncsTheFileThenTheFolder) {
  files.write(file, "old");
  std::map<Step, bool> syncedAFolder;
  int failWith = 0;
  files.setSyncCall([&](int fd, Step step) {
    struct stat status {};
    ::fstat(fd, &status);
    syncedAFolder[step] = S_ISDIR(status.st_mode);
    return failWith != 0 ? failWith : (::fsync(fd) == 0 ? 0 : errno);
  });
  files.write(file, "new");
  EXPECT_EQ(syncedAFolder,
            (std::map<Step, bool>{{Step::syncFile, false}, {Step::syncFolder, true}}));

  // A sync that fails fails the write; before the rename the old file stays.
  failWith = EIO;
  EXPECT_THROW(files.write(file, "newer"), FileError);
  EXPECT_EQ(files.contents(file, anySize), "new");
}

TEST_F(FileManagerTest, AFailedStepLeavesTheOldFile) {
  files.write(file, "old");
  for (const Step failing : allSteps) {
    files.setWriteProbe([failing](Step step) { return step == failing ? ENOSPC : 0; });
    try {
      files.write(file, "new and longer");
      FAIL();
    } catch (const FileError& error) {
      EXPECT_EQ(error.code(), std::errc::no_space_on_device);
    }
    // Only a failure after the rename lets the new bytes through, and then all of them.
    EXPECT_EQ(files.contents(file, anySize),
              failing == Step::syncFolder ? "new and longer" : "old");
    EXPECT_EQ(entriesIn(folder.path()), 1u) << "a temporary file was left behind";
    files.setWriteProbe({});
    files.write(file, "old");
  }
}

TEST_F(FileManagerTest, AProcessKilledAtAnyStepLeavesAWholeFile) {
  const std::string before(100'000, 'o');
  const std::string after(150'000, 'n');
  for (const Step killedAt : allSteps) {
    files.write(file, before);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      files.setWriteProbe([killedAt](Step step) {
        if (step == killedAt) ::_exit(0);
        return 0;
      });
      files.write(file, after);
      ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    const std::string found = files.contents(file, anySize);
    EXPECT_TRUE(found == before || found == after) << "size " << found.size();
    EXPECT_EQ(found == after, killedAt == Step::syncFolder);
    // A temporary file left by the dead process does not stop the next write.
    files.write(file, after);
    EXPECT_EQ(files.contents(file, anySize), after);
  }
}

}  // namespace
}  // namespace kelvo
