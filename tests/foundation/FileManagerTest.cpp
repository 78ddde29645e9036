#include "platform/foundation/FileManager.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdlib>
#include <fstream>
#include <map>
#include <thread>

#include "platform/foundation/UserDefaults.hpp"
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
using UserDefaultsTest = InAFolder;

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

std::string read(const fs::path& file) {
  std::ifstream in(file);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(UserDefaultsTest, KeepsEachTypeInOneSharedFile) {
  const fs::path shared = folder.path() / "kelvo/group.kelvo.json";
  {
    UserDefaults defaults(shared);
    defaults.set("appearance", "light");
    defaults.set("done", true);
    defaults.set("big", std::int64_t{1} << 60);
    defaults.set("whole", 3.0);
    defaults.set("bytes", Bytes{0, 255, 10});
    defaults.set("list", std::vector<std::string>{"b", "a"});
    defaults.set("gone", 1);
    defaults.removeObject("gone");
  }
  UserDefaults reopened(shared);
  EXPECT_EQ(reopened.string("appearance"), "light");
  EXPECT_TRUE(reopened.boolean("done"));
  EXPECT_EQ(reopened.integer("big"), std::int64_t{1} << 60);
  EXPECT_EQ(reopened.object("whole"), UserDefaults::Value(3.0));
  EXPECT_EQ(reopened.data("bytes"), (Bytes{0, 255, 10}));
  EXPECT_EQ(reopened.stringArray("list"), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(reopened.object("gone"), std::nullopt);
  // Mistyped reads give the defaults, never a conversion of text.
  EXPECT_EQ(reopened.string("big"), std::nullopt);
  EXPECT_EQ(reopened.integer("appearance"), 0);

  // A second process (here a second suite over the same file) sees changes and keeps them.
  UserDefaults other(shared);
  other.set("appearance", "dark");
  EXPECT_EQ(reopened.string("appearance"), "dark");
  reopened.set("hints", std::vector<std::string>{"x"});
  EXPECT_EQ(other.string("appearance"), "dark");
  EXPECT_EQ(other.stringArray("hints"), std::vector<std::string>{"x"});

  EXPECT_EQ(UserDefaults::suiteFile("group.kelvo", FileManager(folder.path(), folder.path())),
            shared);
  EXPECT_EQ(UserDefaults::suiteFile("../escape"), std::nullopt);
  EXPECT_EQ(UserDefaults::suiteFile(""), std::nullopt);

  UserDefaults memory;
  memory.set("n", 1);
  EXPECT_EQ(memory.integer("n"), 1);
  EXPECT_TRUE(memory.synchronize());
}

TEST_F(UserDefaultsTest, ACorruptFileIsLeftAloneUntilAValueIsSet) {
  for (const std::string& corrupt :
       std::vector<std::string>{"{\"a\": tru", "[1, 2]", std::string(600, '['), "\xFF"}) {
    std::ofstream(file) << corrupt;
    UserDefaults defaults(file);
    EXPECT_TRUE(defaults.dictionaryRepresentation().empty());
    defaults.removeObject("a");
    EXPECT_TRUE(defaults.synchronize());
    EXPECT_EQ(read(file), corrupt);
    defaults.set("a", 1);
    EXPECT_EQ(UserDefaults(file).integer("a"), 1);
  }

  // Values of shapes this version does not read survive a rewrite.
  std::ofstream(file) << R"({"future": {"kind": "x"}, "nothing": null, "n": 1})";
  UserDefaults defaults(file);
  EXPECT_EQ(defaults.object("future"), std::nullopt);
  defaults.set("n", 2);
  const std::string written = read(file);
  EXPECT_NE(written.find("\"kind\": \"x\""), std::string::npos);
  EXPECT_NE(written.find("\"nothing\": null"), std::string::npos);
}

TEST_F(UserDefaultsTest, ADamagedFileKeepsItsReadableKeysAndIsKeptAside) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> readable;
  };
  const std::vector<Case> cases{
      {"a number beyond a double", R"({"a": 1, "b": "x", "c": 1e999, "d": 2})", {"a", "b"}},
      {"bytes that are not UTF-8", "{\"a\": [\"x\"], \"b\": \"\xFF\", \"d\": 2}", {"a"}},
      {"a truncated file", R"({"a": true, "b": {"data": "AAE="}, "c": [1, 2)", {"a", "b"}},
      {"too deep", R"({"a": 1, "b": )" + std::string(600, '['), {"a"}},
  };
  for (const Case& damage : cases) {
    SCOPED_TRACE(damage.name);
    testing::TemporaryDirectory own;
    const fs::path damaged = own.path() / "defaults.json";
    std::ofstream(damaged) << damage.text;
    UserDefaults defaults(damaged);
    std::vector<std::string> keys;
    for (const auto& [key, value] : defaults.dictionaryRepresentation()) keys.push_back(key);
    EXPECT_EQ(keys, damage.readable);

    defaults.set("e", 5);
    defaults.set("f", 6);
    UserDefaults again(damaged);
    EXPECT_EQ(again.integer("e"), 5);
    for (const std::string& key : damage.readable) EXPECT_TRUE(again.object(key)) << key;
    // One copy of the damaged file, whole, under a name nothing writes over.
    std::vector<fs::path> kept;
    for (const auto& entry : fs::directory_iterator(own.path())) {
      if (entry.path() != damaged) kept.push_back(entry.path());
    }
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_TRUE(kept[0].filename().string().starts_with("defaults.json.unreadable-"));
    EXPECT_EQ(read(kept[0]), damage.text);
  }
}

TEST_F(UserDefaultsTest, AFileLargerThanSettingsReadsAsDamaged) {
  std::ofstream(file) << R"({"a": 1})";
  fs::resize_file(file, std::uintmax_t{64} << 30);
  UserDefaults defaults(file);
  EXPECT_TRUE(defaults.dictionaryRepresentation().empty());
  defaults.set("a", 2);
  EXPECT_EQ(UserDefaults(file).integer("a"), 2);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 2);
}

TEST_F(UserDefaultsTest, AFailedWriteKeepsTheFileAndRetries) {
  UserDefaults(file, files).set("kept", "yes");
  bool failing = true;
  files.setWriteProbe([&failing](FileManager::WriteStep) { return failing ? EIO : 0; });
  UserDefaults defaults(file, files);
  defaults.set("added", "later");
  EXPECT_EQ(defaults.string("added"), "later");  // memory holds it
  EXPECT_EQ(UserDefaults(file).string("added"), std::nullopt);
  EXPECT_EQ(UserDefaults(file).string("kept"), "yes");
  EXPECT_FALSE(defaults.synchronize());
  failing = false;
  EXPECT_TRUE(defaults.synchronize());
  EXPECT_EQ(UserDefaults(file).string("added"), "later");
  EXPECT_EQ(UserDefaults(file).string("kept"), "yes");
}

TEST_F(UserDefaultsTest, IsSafeToShareBetweenThreads) {
  UserDefaults defaults(file);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&defaults, t] {
      for (int i = 0; i < 20; ++i) defaults.set("k" + std::to_string(t), i);
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(defaults.integer("k" + std::to_string(t)), 19);
}

}  // namespace
}  // namespace kelvo
