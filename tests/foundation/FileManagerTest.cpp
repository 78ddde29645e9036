#include "platform/foundation/FileManager.hpp"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <fstream>
#include <map>

#include "tests/support/NonRegularFiles.hpp"
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

// What `path` holds, read as a reader would, following links.
std::string bytesAt(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string refusal(const FileManager& files, const fs::path& path, std::string_view bytes) {
  try {
    files.write(path, bytes);
  } catch (const FileError& error) {
    return error.what();
  }
  return "written";
}

TEST_F(FileManagerTest, AWriteThroughLinksReplacesTheFileTheyLeadToAndKeepsThem) {
  // A chain of two links, the first absolute, the second relative and into another folder.
  const fs::path kept = folder.path() / "kept";
  const fs::path target = kept / "defaults.json";
  const fs::path second = folder.path() / "second";
  files.createDirectory(kept);
  files.write(target, "old");
  fs::create_symlink("kept/defaults.json", second);
  fs::create_symlink(second, file);
  EXPECT_EQ(files.writeTarget(file).linkedFile, target);
  EXPECT_EQ(files.writeTarget(target).linkedFile, std::nullopt);

  // The temporary is made beside the file it replaces, so that the rename stays in its folder.
  size_t temporariesBesideTheTarget = 0;
  files.setWriteProbe([&](Step step) {
    if (step == Step::rename) temporariesBesideTheTarget = entriesIn(kept) - 1;
    return 0;
  });
  files.write(file, "new");
  EXPECT_EQ(temporariesBesideTheTarget, 1u);
  EXPECT_EQ(fs::read_symlink(file), second);
  EXPECT_EQ(fs::read_symlink(second), "kept/defaults.json");
  EXPECT_EQ(bytesAt(target), "new");
  EXPECT_EQ(entriesIn(kept), 1u);
  EXPECT_EQ(entriesIn(folder.path()), 3u);

  // A dangling link's target is made, as open(2) would make it.
  const fs::path dangling = folder.path() / "dangling";
  fs::create_symlink("kept/made.json", dangling);
  files.write(dangling, "made");
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_EQ(bytesAt(kept / "made.json"), "made");
}

TEST_F(FileManagerTest, LinksInALoopOrTooLongAChainAreRefusedAndNothingIsMade) {
  fs::create_symlink("b", folder.path() / "a");
  fs::create_symlink("./a", folder.path() / "b");
  fs::create_symlink("self", folder.path() / "self");
  EXPECT_EQ(
      refusal(files, folder.path() / "a", "x"),
      "Could not write \"" + (folder.path() / "a").string() + "\": its links lead round in a loop");
  EXPECT_EQ(refusal(files, folder.path() / "self", "x"), "Could not write \"" +
                                                             (folder.path() / "self").string() +
                                                             "\": its links lead round in a loop");

  // One link more than the system itself follows, ending at a file.
  const fs::path chain = folder.path() / "chain";
  files.createDirectory(chain);
  files.write(chain / "end", "end");
  fs::create_symlink("end", chain / "0");
  for (int i = 1; i <= FileManager::linkLimit; ++i) {
    fs::create_symlink(std::to_string(i - 1), chain / std::to_string(i));
  }
  const fs::path first = chain / std::to_string(FileManager::linkLimit);
  EXPECT_EQ(refusal(files, first, "x"), "Could not write \"" + first.string() +
                                            "\": its links lead through more than 40 links");
  EXPECT_EQ(entriesIn(folder.path()), 4u);
  EXPECT_EQ(entriesIn(chain), FileManager::linkLimit + 2u);
  EXPECT_EQ(bytesAt(chain / "end"), "end");
}

TEST_F(FileManagerTest, ANamedPipeTakesEveryByteAndStaysAPipe) {
  std::string drawing(1 << 20, '\0');  // far more than a pipe holds at once
  for (size_t i = 0; i < drawing.size(); ++i) drawing[i] = static_cast<char>(i % 251);
  const fs::path pipe = folder.path() / "pipe";
  {
    testing::PipeReader reader(pipe);
    ASSERT_TRUE(reader.isReading());
    files.write(pipe, drawing);
    EXPECT_EQ(reader.bytes().size(), drawing.size());
    EXPECT_TRUE(reader.bytes() == drawing);
  }
  EXPECT_TRUE(testing::isPipe(pipe));

  // Through a link, and a write of nothing, which the reader sees as the end at once.
  const fs::path link = folder.path() / "link";
  fs::create_symlink("pipe", link);
  {
    testing::PipeReader again(pipe);
    ASSERT_TRUE(again.isReading());
    files.write(link, "");
    EXPECT_EQ(again.bytes(), "");
  }
  EXPECT_TRUE(fs::is_symlink(link));

  // A reader that leaves early fails the write; no SIGPIPE ends the process.
  {
    testing::PipeReader leaving(folder.path() / "leaving", 1);
    ASSERT_TRUE(leaving.isReading());
    try {
      files.write(folder.path() / "leaving", drawing);
      ADD_FAILURE() << "the write went on without its reader";
    } catch (const FileError& error) {
      EXPECT_EQ(error.code(), std::errc::broken_pipe);
    }
  }
  EXPECT_TRUE(testing::isPipe(folder.path() / "leaving"));
  EXPECT_EQ(entriesIn(folder.path()), 3u) << "a temporary file was left behind";
}

// A caller that refuses pipes is never held by one: with no reader, through links, or put in
// place of a device after the caller looked (a target from that look).
TEST_F(FileManagerTest, APipeTheCallerRefusesIsRefusedAtOnce) {
  constexpr auto refuse = FileManager::Pipes::refuse;
  const fs::path pipe = folder.path() / "pipe";
  const fs::path link = folder.path() / "link";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  fs::create_symlink("pipe", folder.path() / "second");
  fs::create_symlink(folder.path() / "second", link);
  const FileManager::WriteTarget device{std::nullopt, true};
  const auto write = [&](const fs::path& path, const FileManager::WriteTarget* looked) {
    try {
      looked ? files.write(path, "x", *looked, refuse) : files.write(path, "x", refuse);
      return std::string("written");
    } catch (const FileError& error) {
      return std::string(error.what());
    }
  };
  const auto said = [&](const fs::path& path, const char* what) {
    return "Could not write \"" + path.string() + "\": " + what + " a named pipe, not a file";
  };
  for (const bool stale : {false, true}) {
    SCOPED_TRACE(stale ? "after a look at a device" : "looked at now");
    const FileManager::WriteTarget* looked = stale ? &device : nullptr;
    EXPECT_EQ(testing::saidWithin(10, [&] { return write(pipe, looked); }), said(pipe, "it is"));
    EXPECT_EQ(testing::saidWithin(10, [&] { return write(link, looked); }),
              said(link, "its links lead to"));
    // A reader there changes nothing: it gets no byte.
    testing::PipeReader reader(pipe);
    ASSERT_TRUE(reader.isReading());
    EXPECT_EQ(write(pipe, looked), said(pipe, "it is"));
    testing::endForItsReader(pipe);
    EXPECT_EQ(reader.bytes(), "");
  }
  try {
    files.writeTarget(link, refuse);
    ADD_FAILURE() << "no refusal";
  } catch (const FileError& error) {
    EXPECT_EQ(error.code(), std::errc::no_such_device_or_address);
  }
  EXPECT_TRUE(testing::isPipe(pipe));
  EXPECT_EQ(entriesIn(folder.path()), 3u);

  // A device is still written into, its writes as they were.
  const fs::path node = folder.path() / "node";
  if (!testing::makeSwallowingDevice(node)) return;
  files.write(node, std::string(100'000, 'x'), refuse);
  files.write(node, "x", device, refuse);
  EXPECT_TRUE(testing::isSwallowingDevice(node));
}

// The wait for a pipe's reader is the caller's to end: a signal whose handler restarts no call.
TEST_F(FileManagerTest, ASignalEndsTheWaitForAPipesReader) {
  const fs::path pipe = folder.path() / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const auto interrupted = [&] {
    struct sigaction action {};
    action.sa_handler = [](int) {};
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGALRM, &action, nullptr);
    // Again every 100 ms, so that a child slow to reach the open still meets one.
    const itimerval every{{0, 100'000}, {0, 100'000}};
    ::setitimer(ITIMER_REAL, &every, nullptr);
    try {
      files.write(pipe, "drawing");
    } catch (const FileError& error) {
      if (error.code() == std::errc::interrupted) return "ended";
    }
    return "not ended by the signal";
  };
  EXPECT_EQ(testing::saidWithin(10, interrupted), "ended");
  EXPECT_TRUE(testing::isPipe(pipe));
}

TEST_F(FileManagerTest, RemovingAFileTakesItsNameAndNeverAFolder) {
  const fs::path box = folder.path() / "box";
  files.createDirectory(box / "sub");
  files.write(box / "sub/photo.jpg", "photo");
  try {
    files.removeFile(box);
    ADD_FAILURE() << "a folder was removed";
  } catch (const FileError& error) {
    EXPECT_EQ(error.code(), std::errc::is_a_directory);
    EXPECT_EQ(error.what(),
              "Could not remove \"" + box.string() + "\": it is a folder, not a file");
  }
  EXPECT_EQ(bytesAt(box / "sub/photo.jpg"), "photo");

  fs::create_symlink("box/sub/photo.jpg", file);
  files.removeFile(file);
  EXPECT_EQ(bytesAt(box / "sub/photo.jpg"), "photo");
  files.removeFile(box / "sub/photo.jpg");
  EXPECT_TRUE(fs::is_empty(box / "sub"));
  try {
    files.removeFile(file);
    ADD_FAILURE() << "nothing was there to remove";
  } catch (const FileError& error) {
    EXPECT_EQ(error.code(), std::errc::no_such_file_or_directory);
  }
}

TEST_F(FileManagerTest, ADeviceNodeIsWrittenIntoAndStaysADevice) {
  const fs::path node = folder.path() / "node";
  if (!testing::makeSwallowingDevice(node)) GTEST_SKIP() << "no device node can be made here";
  const fs::path link = folder.path() / "link";
  fs::create_symlink("node", link);
  EXPECT_TRUE(files.writeTarget(node).inPlace);
  files.write(node, "drawing");
  files.write(link, std::string(100'000, 'x'));
  EXPECT_TRUE(testing::isSwallowingDevice(node));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(entriesIn(folder.path()), 2u);
}

TEST_F(FileManagerTest, AFolderOrASocketIsRefusedAndNothingIsMade) {
  const fs::path box = folder.path() / "box";
  files.createDirectory(box);
  const fs::path socket = folder.path() / "socket";
  const testing::BoundSocket bound(socket);
  ASSERT_TRUE(bound.isBound()) << bound.failure();
  fs::create_symlink("socket", folder.path() / "to-socket");
  fs::create_symlink("box", folder.path() / "to-box");

  const auto said = [&](const char* name, const char* what) {
    return "Could not write \"" + (folder.path() / name).string() + "\": " + what + ", not a file";
  };
  EXPECT_EQ(refusal(files, box, "x"), said("box", "it is a folder"));
  EXPECT_EQ(refusal(files, socket, "x"), said("socket", "it is a socket"));
  EXPECT_EQ(refusal(files, folder.path() / "to-socket", "x"),
            said("to-socket", "its links lead to a socket"));
  EXPECT_EQ(refusal(files, folder.path() / "to-box", "x"),
            said("to-box", "its links lead to a folder"));
  EXPECT_EQ(entriesIn(folder.path()), 4u);
  EXPECT_EQ(entriesIn(box), 0u);
  EXPECT_EQ(fs::symlink_status(socket).type(), fs::file_type::socket);
}

TEST_F(FileManagerTest, TheTemporaryOfAKilledWriteIsRemovedOnRequestAndNothingElse) {
  const fs::path kept = folder.path() / "kept";
  files.createDirectory(kept);
  fs::create_symlink("kept/defaults.json", file);
  files.write(file, "old");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    files.setWriteProbe([](Step step) {
      if (step == Step::rename) ::_exit(0);
      return 0;
    });
    files.write(file, "new");
    ::_exit(1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_EQ(entriesIn(kept), 2u);

  // Names that only look like one, and a folder of that name, are someone else's.
  for (const char* name :
       {".defaults.json.tmp-0123", "defaults.json.tmp-0123456789abcdef",
        ".other.json.tmp-0123456789abcdef", ".defaults.json.tmp-0123456789ABCDEF"}) {
    std::ofstream(kept / name) << "theirs";
  }
  files.createDirectory(kept / ".defaults.json.tmp-fedcba9876543210");
  EXPECT_EQ(files.removeTemporaries(file), 1u);
  EXPECT_EQ(entriesIn(kept), 6u);
  EXPECT_EQ(bytesAt(file), "old");
  EXPECT_EQ(files.removeTemporaries(file), 0u);
  EXPECT_EQ(files.removeTemporaries(folder.path() / "missing/file"), 0u);
}

}  // namespace
}  // namespace kelvo
