#include "platform/foundation/UserDefaults.hpp"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <cmath>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

#include "tests/support/NonRegularFiles.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

struct UserDefaultsTest : ::testing::Test {
  testing::TemporaryDirectory folder;
  FileManager files{folder.path(), folder.path()};
  const fs::path file = folder.path() / "defaults.json";
};

std::string read(const fs::path& file) {
  std::ifstream in(file);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The copies of a damaged `file` kept beside it.
std::vector<fs::path> keptCopies(const fs::path& file) {
  std::vector<fs::path> kept;
  for (const auto& entry : fs::directory_iterator(file.parent_path())) {
    if (entry.path().filename().string().starts_with(file.filename().string() + ".unreadable-")) {
      kept.push_back(entry.path());
    }
  }
  return kept;
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
      // The parser would stop at the NUL and call the first object whole.
      {"a NUL byte", std::string("{\"a\": 1}\0{\"b\": 2, \"c\": 3}", 25), {"a"}},
      {"a NUL inside a value", std::string("{\"a\": 1, \"b\": \"x\0y\"}", 20), {"a"}},
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
    const std::vector<fs::path> kept = keptCopies(damaged);
    ASSERT_EQ(kept.size(), 1u);
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
  EXPECT_EQ(keptCopies(file).size(), 1u);
}

// A string of the right length puts the stored form, framing and all, on the limit's edge.
TEST_F(UserDefaultsTest, AChangePastTheReadLimitWaitsInMemoryAndTheFileStays) {
  UserDefaults defaults(file);
  defaults.set("theme", "dark");
  defaults.set("grows", "");
  const std::string fits(UserDefaults::fileSizeLimit - fs::file_size(file), 'x');
  defaults.set("grows", fits);
  EXPECT_EQ(UserDefaults(file).string("grows"), fits);

  const std::string held = read(file);
  defaults.set("grows", fits + "x");
  EXPECT_FALSE(defaults.synchronize());
  EXPECT_EQ(defaults.string("grows"), fits + "x");
  EXPECT_EQ(read(file), held);
  defaults.removeObject("grows");
  EXPECT_TRUE(defaults.synchronize());
}

// Two ways a write fails: the file system refuses it, or another writer keeps the lock.
TEST_F(UserDefaultsTest, AFailedWriteSaysSoKeepsTheFileAndRetries) {
  for (const bool byLock : {false, true}) {
    SCOPED_TRACE(byLock ? "the lock held elsewhere" : "a write error");
    testing::TemporaryDirectory own;
    const fs::path path = own.path() / "defaults.json";
    FileManager failing(own.path(), own.path());
    UserDefaults(path).set("kept", "yes");
    bool refuse = !byLock;
    failing.setWriteProbe([&refuse](FileManager::WriteStep) { return refuse ? EIO : 0; });
    const int holder = ::open((path.string() + ".lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    if (byLock) {
      ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    }

    UserDefaults defaults(path, failing);
    defaults.set("added", "later");
    defaults.set("overtaken", "mine");
    EXPECT_EQ(defaults.string("added"), "later");  // memory holds it
    EXPECT_EQ(UserDefaults(path).string("added"), std::nullopt);
    EXPECT_EQ(UserDefaults(path).string("kept"), "yes");
    EXPECT_FALSE(defaults.synchronize());

    // Another writer gets in before the retry; the retry keeps its keys and its later value.
    refuse = false;
    ::close(holder);
    UserDefaults(path).set("other", "x");
    UserDefaults(path).set("overtaken", "theirs");
    EXPECT_EQ(defaults.string("other"), "x");
    EXPECT_TRUE(defaults.synchronize());
    const UserDefaults after(path);
    EXPECT_EQ(after.string("added"), "later");
    EXPECT_EQ(after.string("kept"), "yes");
    EXPECT_EQ(after.string("other"), "x");
    EXPECT_EQ(after.string("overtaken"), "theirs");
    EXPECT_EQ(defaults.string("overtaken"), "theirs");
  }
}

// Another writer's file can carry the signature this suite last saw (an inode reused within one
// tick of the file system's clock): the write still reads it, and the other key stays.
TEST_F(UserDefaultsTest, AWriteReadsAFileReplacedUnderTheSignatureItSaw) {
  std::ofstream(file) << R"({"a": 1, "b": 1})";
  UserDefaults mine(file);
  mine.set("a", 2);
  struct stat seen {};
  ASSERT_EQ(::stat(file.c_str(), &seen), 0);
  const fs::path saved = folder.path() / "saved";
  fs::create_hard_link(file, saved);
  UserDefaults(file).set("b", 3);
  const std::string theirs = read(file);
  ASSERT_EQ(theirs.size(), static_cast<std::size_t>(seen.st_size));
  std::ofstream(saved, std::ios::in | std::ios::out) << theirs;
  const timespec times[2] = {seen.st_atim, seen.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, saved.c_str(), times, 0), 0);
  fs::rename(saved, file);
  mine.set("c", 4);
  EXPECT_EQ(UserDefaults(file).integer("b"), 3);
}

// Forks a child that runs `write` once the gate opens and exits with 0 when it returns true.
// The alarm ends a child that hangs, which then fails the test instead of stalling it.
pid_t writer(const int (&gate)[2], const std::function<bool()>& write) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::alarm(60);
    ::close(gate[1]);
    char byte = 0;
    while (::read(gate[0], &byte, 1) < 0 && errno == EINTR) {
    }
    ::_exit(write() ? 0 : 1);
  }
  return child;
}

TEST_F(UserDefaultsTest, WritersInSeveralProcessesKeepEachOthersKeys) {
  constexpr int longWriters = 3;
  constexpr int rounds = 40;
  constexpr int shortWriters = 8;
  const auto key = [](std::string_view kind, int i, int round = 0) {
    return std::string(kind) + "." + std::to_string(i) + "." + std::to_string(round);
  };
  {
    UserDefaults seed(file);
    seed.set("untouched", "yes");
    for (int i = 0; i < longWriters; ++i) seed.set(key("gone", i), i);
  }
  int gate[2];
  ASSERT_EQ(::pipe(gate), 0);
  std::vector<pid_t> children;
  for (int i = 0; i < longWriters; ++i) {
    children.push_back(writer(gate, [&, i] {
      UserDefaults defaults(file);
      defaults.removeObject(key("gone", i));
      for (int round = 0; round < rounds; ++round) {
        // The first writer holds a change too large for the file for a while; its others go in.
        if (i == 0 && round == rounds / 2) {
          defaults.set("large", std::string(UserDefaults::fileSizeLimit, 'x'));
        }
        if (i == 0 && round == rounds / 2 + 8) defaults.removeObject("large");
        defaults.set(key("long", i, round), round);
        defaults.set("shared", i * 1000 + round);
      }
      return defaults.synchronize();
    }));
  }
  for (int k = 0; k < shortWriters; ++k) {
    children.push_back(writer(gate, [&, k] {
      UserDefaults defaults(file);
      defaults.set(key("short", k), k);
      return defaults.synchronize();
    }));
  }
  ::close(gate[0]);
  ::close(gate[1]);  // every child's read ends at once
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  }

  const UserDefaults after(file);
  EXPECT_EQ(after.string("untouched"), "yes");
  EXPECT_EQ(after.object("large"), std::nullopt);
  std::set<std::int64_t> lastShared;
  for (int i = 0; i < longWriters; ++i) {
    EXPECT_EQ(after.object(key("gone", i)), std::nullopt) << i;
    for (int round = 0; round < rounds; ++round) {
      EXPECT_EQ(after.object(key("long", i, round)), UserDefaults::Value(std::int64_t{round}));
    }
    lastShared.insert(i * 1000 + rounds - 1);
  }
  for (int k = 0; k < shortWriters; ++k) EXPECT_EQ(after.integer(key("short", k)), k) << k;
  // Each writer's last value of the shared key went in after its earlier ones.
  EXPECT_TRUE(lastShared.contains(after.integer("shared"))) << after.integer("shared");
}

// Runs `write` in a process of its own, as another program would; true when it returned true.
bool inAnotherProcess(const std::function<bool()>& write) {
  int gate[2];
  if (::pipe(gate) != 0) return false;
  const pid_t child = writer(gate, write);
  ::close(gate[0]);
  ::close(gate[1]);
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

// A change too large for the file waits alone: the suite's other changes are written at their
// own writes, and no change that waited goes over another program's later write.
TEST_F(UserDefaultsTest, AChangeTooLargeForTheFileWaitsAlone) {
  const std::string large(UserDefaults::fileSizeLimit, 'x');
  UserDefaults mine(file);
  mine.set("large", large);
  EXPECT_FALSE(fs::exists(file));
  mine.set("theme", "dark");
  EXPECT_FALSE(mine.synchronize());
  EXPECT_EQ(mine.string("large"), large);
  EXPECT_EQ(UserDefaults(file).string("theme"), "dark");
  EXPECT_EQ(UserDefaults(file).object("large"), std::nullopt);

  ASSERT_TRUE(inAnotherProcess([&] {
    UserDefaults theirs(file);
    theirs.set("theme", "light");
    return theirs.synchronize();
  }));
  EXPECT_FALSE(mine.synchronize());
  mine.removeObject("large");
  EXPECT_TRUE(mine.synchronize());
  EXPECT_EQ(UserDefaults(file).string("theme"), "light");
  EXPECT_EQ(mine.string("theme"), "light");

  // The file keeps the key's earlier value while it waits; shrinking it writes it.
  mine.set("large", "small");
  mine.set("large", large);
  mine.set("other", 1);
  EXPECT_EQ(UserDefaults(file).string("large"), "small");
  EXPECT_EQ(UserDefaults(file).integer("other"), 1);
  mine.set("large", "smaller");
  EXPECT_TRUE(mine.synchronize());
  EXPECT_EQ(UserDefaults(file).string("large"), "smaller");

  // Once room is made, a waiting change is written, unless another program set its key since.
  const std::string half(UserDefaults::fileSizeLimit / 2, 'y');
  for (const bool overtaken : {false, true}) {
    SCOPED_TRACE(overtaken ? "set again elsewhere" : "left alone elsewhere");
    mine.removeObject("large");
    ASSERT_TRUE(inAnotherProcess([&] {
      UserDefaults theirs(file);
      theirs.set("filler", half);
      return theirs.synchronize();
    }));
    mine.set("large", half + "y");
    EXPECT_FALSE(mine.synchronize());
    ASSERT_TRUE(inAnotherProcess([&] {
      UserDefaults theirs(file);
      theirs.removeObject("filler");
      if (overtaken) theirs.set("large", "theirs");
      return theirs.synchronize();
    }));
    EXPECT_TRUE(mine.synchronize());
    const std::string expected = overtaken ? "theirs" : half + "y";
    EXPECT_EQ(UserDefaults(file).string("large"), expected);
    EXPECT_EQ(mine.string("large"), expected);
  }

  // An empty file reads as damaged: a change too large for it leaves it as it is, and the next
  // change that fits keeps it aside before writing over it.
  testing::TemporaryDirectory own;
  const fs::path empty = own.path() / "defaults.json";
  std::ofstream(empty).flush();
  UserDefaults fresh(empty);
  fresh.set("large", large);
  EXPECT_EQ(fs::file_size(empty), 0u);
  EXPECT_TRUE(keptCopies(empty).empty());
  fresh.set("theme", "dark");
  EXPECT_FALSE(fresh.synchronize());
  EXPECT_EQ(UserDefaults(empty).string("theme"), "dark");
  EXPECT_EQ(keptCopies(empty).size(), 1u);

  // On the edge: a list, indented a line an element, waits one byte over the limit and is
  // written once another suite makes that byte of room.
  const std::vector<std::string> list{"a/b", "c\"d", "\xFF"};
  mine.set("list", list);
  const std::uintmax_t withList = fs::file_size(file);
  mine.removeObject("list");
  const std::uintmax_t growth = withList - fs::file_size(file);
  UserDefaults theirs(file);
  theirs.set("filler", "");
  const std::uintmax_t room = UserDefaults::fileSizeLimit - fs::file_size(file) - growth;
  theirs.set("filler", std::string(room + 1, 'f'));
  mine.set("list", list);
  EXPECT_FALSE(mine.synchronize());
  theirs.set("filler", std::string(room, 'f'));
  EXPECT_TRUE(mine.synchronize());
  EXPECT_EQ(fs::file_size(file), UserDefaults::fileSizeLimit);
  EXPECT_EQ(UserDefaults(file).stringArray("list"),
            (std::vector<std::string>{"a/b", "c\"d", "\uFFFD"}));
}

// What the file held under a waiting change's key is compared as it is written (a NaN as null,
// bytes that are not UTF-8 as U+FFFD), and stays the file's when the change is made again: a
// write of another key by another program leaves the change waiting.
TEST_F(UserDefaultsTest, AWaitingChangeStaysWhenAnotherProgramWritesAnotherKey) {
  using Value = UserDefaults::Value;
  const std::string large(UserDefaults::fileSizeLimit, 'x');
  const std::string larger(UserDefaults::fileSizeLimit, 'z');
  const std::vector<std::pair<const char*, std::vector<Value>>> cases = {
      {"NaN", {std::nan(""), large}},
      {"not UTF-8", {std::string("a\xFF"), large}},
      {"too large twice", {std::string("small"), large, larger}},
  };
  for (const auto& [name, values] : cases) {
    SCOPED_TRACE(name);
    testing::TemporaryDirectory own;
    const fs::path path = own.path() / "defaults.json";
    UserDefaults mine(path);
    for (const Value& value : values) mine.set("k", value);
    ASSERT_TRUE(inAnotherProcess([&] {
      UserDefaults theirs(path);
      theirs.set("other", 1);
      return theirs.synchronize();
    }));
    EXPECT_FALSE(mine.synchronize());
    EXPECT_TRUE(mine.object("k") == values.back());
    mine.set("k", "fits");
    EXPECT_TRUE(mine.synchronize());
    const UserDefaults after(path);
    EXPECT_EQ(after.string("k"), "fits");
    EXPECT_EQ(after.integer("other"), 1);
  }
}

// This suite read k = 0; another program wrote k = 1 and holds the lock while this one sets
// k = 2. The change waits on what the file holds then, so once the lock is free it is written.
TEST_F(UserDefaultsTest, AChangeMadeWhileAnotherProgramHoldsTheLockGoesInAfterIt) {
  UserDefaults(file).set("k", 0);
  UserDefaults mine(file);
  EXPECT_EQ(mine.integer("k"), 0);
  int gate[2], held[2], release[2];
  ASSERT_EQ(::pipe(gate), 0);
  ASSERT_EQ(::pipe(held), 0);
  ASSERT_EQ(::pipe(release), 0);
  const pid_t child = writer(gate, [&] {
    ::close(held[0]);
    ::close(release[1]);
    UserDefaults theirs(file);
    theirs.set("k", 1);
    const int lock = ::open((file.string() + ".lock").c_str(), O_RDWR | O_CLOEXEC);
    if (!theirs.synchronize() || lock < 0 || ::flock(lock, LOCK_EX) != 0) return false;
    if (::write(held[1], "h", 1) != 1) return false;
    char byte = 0;
    while (::read(release[0], &byte, 1) < 0 && errno == EINTR) {
    }
    return true;
  });
  ASSERT_GT(child, 0);
  for (const int end : {gate[0], gate[1], held[1], release[0]}) ::close(end);
  char byte = 0;
  const bool locked = ::read(held[0], &byte, 1) == 1;
  if (locked) mine.set("k", 2);  // fails to take the lock
  EXPECT_EQ(UserDefaults(file).integer("k"), 1);
  EXPECT_EQ(mine.integer("k"), 2);
  ::close(release[1]);
  ::close(held[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(locked && WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  EXPECT_TRUE(mine.synchronize());
  EXPECT_EQ(UserDefaults(file).integer("k"), 2);
}

// With the file at 0.7 of its limit, changes of 0.4 and then 0.5 of it wait; the second made
// 0.2 fits beside the file and is written, counted anew, while the first still waits.
TEST_F(UserDefaultsTest, AWaitingChangeMadeSmallerIsWrittenWhileALargerOneWaits) {
  const auto share = [](double part, char letter) {
    return std::string(static_cast<std::size_t>(part * UserDefaults::fileSizeLimit), letter);
  };
  UserDefaults mine(file);
  mine.set("y", share(0.7, 'y'));
  EXPECT_TRUE(UserDefaults(file).string("y") == share(0.7, 'y'));
  mine.set("z", share(0.4, 'z'));
  mine.set("x", share(0.5, 'x'));
  EXPECT_FALSE(UserDefaults(file).object("x"));
  mine.set("x", share(0.2, 'x'));
  EXPECT_FALSE(mine.synchronize());
  const UserDefaults after(file);
  EXPECT_TRUE(after.string("x") == share(0.2, 'x'));
  EXPECT_FALSE(after.object("z"));
  EXPECT_TRUE(mine.string("z") == share(0.4, 'z'));
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

// Where a suite's file leads: links, a pipe, a device, and what takes no settings. Then keys
// that are not UTF-8, and what a killed write leaves.

size_t entriesIn(const fs::path& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

// The temporary files of writes of `file` beside it.
std::vector<fs::path> temporariesOf(const fs::path& file) {
  std::vector<fs::path> found;
  for (const auto& entry : fs::directory_iterator(file.parent_path())) {
    if (entry.path().filename().string().starts_with("." + file.filename().string() + ".tmp-")) {
      found.push_back(entry.path());
    }
  }
  return found;
}

TEST_F(UserDefaultsTest, ASuiteWhoseFileIsALinkKeepsTheLinkAndWritesWhereItLeads) {
  const fs::path dotfiles = folder.path() / "dotfiles";
  const fs::path target = dotfiles / "kelvo.json";
  fs::create_directories(dotfiles);
  fs::create_symlink("dotfiles/kelvo.json", folder.path() / "second");
  fs::create_symlink(folder.path() / "second", file);
  UserDefaults linked(file, files);
  for (int i = 0; i < 10; ++i) {
    linked.set("key." + std::to_string(i), i);
    ASSERT_TRUE(linked.synchronize());
    ASSERT_TRUE(fs::is_symlink(file)) << "after write " << i;
  }
  EXPECT_EQ(fs::read_symlink(file), folder.path() / "second");
  UserDefaults direct(target, files);
  EXPECT_EQ(direct.dictionaryRepresentation().size(), 10u);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(direct.integer("key." + std::to_string(i)), i);
  // Both suites take one lock, beside the file they write.
  EXPECT_TRUE(fs::exists(dotfiles / "kelvo.json.lock"));
  EXPECT_FALSE(fs::exists(folder.path() / "defaults.json.lock"));
  direct.set("direct", true);
  EXPECT_TRUE(linked.boolean("direct"));

  // A damaged file behind the link is kept aside beside it, whole, and the link stays.
  std::ofstream(target) << R"({"kept": 1, broken)";
  linked.set("after", 2);
  ASSERT_EQ(keptCopies(target).size(), 1u);
  EXPECT_EQ(read(keptCopies(target)[0]), R"({"kept": 1, broken)");
  EXPECT_TRUE(fs::is_symlink(file));
  EXPECT_EQ(direct.integer("kept"), 1);
  EXPECT_EQ(direct.integer("after"), 2);
  EXPECT_TRUE(temporariesOf(target).empty());
}

// No reader of settings reads a pipe back, and a write into one would wait for its reader
// holding the suite and its lock: a pipe takes no settings, as a folder takes none.
TEST_F(UserDefaultsTest, APipeTakesNoSettingsAndNothingWaitsOnIt) {
  const fs::path pipe = folder.path() / "pipe";
  {
    testing::PipeReader reader(pipe);
    ASSERT_TRUE(reader.isReading());
    UserDefaults defaults(pipe, files);
    defaults.set("appearance", "dark");
    EXPECT_FALSE(defaults.synchronize());
    EXPECT_EQ(defaults.string("appearance"), "dark") << "the change waits in memory";
    testing::endForItsReader(pipe);
    EXPECT_EQ(reader.bytes(), "");
  }
  EXPECT_TRUE(testing::isPipe(pipe));
  EXPECT_EQ(entriesIn(folder.path()), 1u) << "a lock was made beside the pipe";

  // With no reader, through a chain of links: this suite, a second one of the file and another
  // process each answer at once, and none takes a lock.
  fs::create_symlink("pipe", folder.path() / "second");
  fs::create_symlink(folder.path() / "second", file);
  const auto throughLinks = [&] {
    UserDefaults mine(file, files);
    mine.set("appearance", "dark");
    UserDefaults second(pipe, files);
    second.set("count", 2);
    const bool elsewhere = inAnotherProcess([&] {
      UserDefaults theirs(file);
      theirs.set("hints", true);
      return !theirs.synchronize() && theirs.boolean("hints");
    });
    const bool waiting = !mine.synchronize() && !second.synchronize();
    const bool shown = mine.string("appearance") == "dark" && second.integer("count") == 2;
    return std::string(waiting ? "waiting" : "written") + (shown ? ", shown" : ", lost") +
           (elsewhere ? ", elsewhere too" : ", not elsewhere");
  };
  EXPECT_EQ(testing::saidWithin(20, throughLinks), "waiting, shown, elsewhere too");
  EXPECT_TRUE(testing::isPipe(pipe));
  EXPECT_EQ(entriesIn(folder.path()), 3u) << "a lock was made beside the pipe";

  // The standard suite over a pipe nobody reads, read on another thread while it is set.
  testing::TemporaryDirectory home;
  fs::create_directories(home.path() / "kelvo");
  ASSERT_EQ(::mkfifo((home.path() / "kelvo/defaults.json").c_str(), 0600), 0);
  const auto standard = [&] {
    ::setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
    std::thread setter([] { UserDefaults::standard().set("theme", std::string("dark")); });
    const bool read = !UserDefaults::standard().boolean("x");
    setter.join();
    UserDefaults& defaults = UserDefaults::standard();
    return read && defaults.string("theme") == "dark" && !defaults.synchronize() ? "in memory"
                                                                                 : "not kept";
  };
  EXPECT_EQ(testing::saidWithin(20, standard), "in memory");
}

// Whether a descriptor of this process other than `own` is open on `file`.
bool isOpenElsewhere(const fs::path& file, int own) {
  struct stat wanted {};
  if (::stat(file.c_str(), &wanted) != 0) return false;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd", error)) {
    struct stat open {};
    if (entry.path().filename() != std::to_string(own) &&
        ::stat(entry.path().c_str(), &open) == 0 && open.st_dev == wanted.st_dev &&
        open.st_ino == wanted.st_ino) {
      return true;
    }
  }
  return false;
}

// Puts a whole file of settings at `target` in one rename, as another program replaces it.
bool putFile(const fs::path& target, const std::string& text = R"({"theirs": 1})") {
  const fs::path next = target.parent_path() / "next";
  std::ofstream(next) << text;
  return ::rename(next.c_str(), target.c_str()) == 0;
}

std::string keptAsideIn(const fs::path& folder) {
  int kept = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    kept += entry.path().filename().string().find(".unreadable-") != std::string::npos;
  }
  return kept == 0 ? "nothing kept" : "kept " + std::to_string(kept);
}

// This suite looks, sees a file and waits for the lock another program holds, which puts a pipe
// (or a device) there and lets go.
std::string putInWhileAWriteWaits(const fs::path& path, const fs::path& target, bool device) {
  if (!putFile(target)) return "no file";
  UserDefaults mine(path);
  mine.set("theirs", 1);
  const fs::path lock = target.string() + ".lock";
  const int holder = ::open(lock.c_str(), O_RDWR | O_CLOEXEC);
  if (holder < 0 || ::flock(holder, LOCK_EX) != 0) return "no lock";
  std::thread setter([&mine] { mine.set("k", "mine"); });
  bool waiting = false;
  for (int i = 0; i < 1000 && !waiting; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    waiting = isOpenElsewhere(lock, holder);
  }
  const fs::path node = target.parent_path() / "node";
  const bool made =
      device ? testing::makeSwallowingDevice(node) : ::mkfifo(node.c_str(), 0600) == 0;
  const bool swapped = waiting && made && ::rename(node.c_str(), target.c_str()) == 0;
  ::close(holder);
  setter.join();
  if (!swapped) return "nothing put in while it waited";
  std::string said = keptAsideIn(target.parent_path());
  said += mine.string("k") == "mine" ? ", shown" : ", lost";
  if (device) {
    // Written at its own write: with the device gone, nothing waits to make a file there.
    said += testing::isSwallowingDevice(target) ? ", a device still" : ", replaced";
    const bool written = ::unlink(target.c_str()) == 0 && mine.synchronize() && !fs::exists(target);
    return said + (written ? ", written into it" : ", waited");
  }
  said += testing::isPipe(target) ? ", a pipe still" : ", replaced";
  said += mine.synchronize() ? ", written" : ", refused";
  const bool after = putFile(target) && mine.synchronize() &&
                     UserDefaults(path).string("k") == "mine" &&
                     UserDefaults(path).integer("theirs") == 1;
  return said + (after ? "; written once a file is back" : "; not written after");
}

// Another program puts a pipe, then a whole file, at the path over and over for a second while
// this suite sets and synchronizes.
std::string swappedWhileWritten(const fs::path& path, const fs::path& target) {
  if (!putFile(target)) return "no file";
  const pid_t swapper = ::fork();
  if (swapper == 0) {
    ::alarm(5);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    const fs::path fifo = target.parent_path() / "fifo";
    bool swapped = true;
    while (swapped && std::chrono::steady_clock::now() < end) {
      swapped = ::mkfifo(fifo.c_str(), 0600) == 0 && ::rename(fifo.c_str(), target.c_str()) == 0 &&
                putFile(target);
    }
    ::_exit(swapped ? 0 : 1);
  }
  if (swapper < 0) return "no swapper";
  UserDefaults mine(path);
  int status = 0;
  pid_t ended = 0;
  for (int round = 0; round < 100'000 && (ended = ::waitpid(swapper, &status, WNOHANG)) == 0;
       ++round) {
    mine.set("k", round);
    mine.synchronize();
  }
  if (ended == 0 && ::kill(swapper, SIGKILL) == 0) ::waitpid(swapper, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "the swapper failed";
  return keptAsideIn(target.parent_path()) + (mine.synchronize() ? ", written after" : ", waiting");
}

// Another program puts a pipe or a device where the suite's file was after the suite's write
// looked: under the lock the write does what the look does with it, and keeps nothing aside
// that is not the file it read as damaged (no file put there was damaged).
TEST_F(UserDefaultsTest, APipeOrADevicePutInAfterTheLookIsMetAsTheLookMeetsIt) {
  const bool devices = testing::makeSwallowingDevice(folder.path() / "node");
  for (const bool linked : {false, true}) {
    SCOPED_TRACE(linked ? "through a link" : "at the path");
    const fs::path own = folder.path() / (linked ? "linked" : "plain");
    fs::create_directories(own);
    const fs::path path = own / "defaults.json";
    const fs::path target = linked ? own / "kelvo.json" : path;
    if (linked) fs::create_symlink("kelvo.json", path);
    EXPECT_EQ(testing::saidWithin(20, [&] { return putInWhileAWriteWaits(path, target, false); }),
              "nothing kept, shown, a pipe still, refused; written once a file is back");
    if (devices) {
      EXPECT_EQ(testing::saidWithin(20, [&] { return putInWhileAWriteWaits(path, target, true); }),
                "nothing kept, shown, a device still, written into it");
    }
    EXPECT_EQ(testing::saidWithin(20, [&] { return swappedWhileWritten(path, target); }),
              "nothing kept, written after");
    EXPECT_TRUE(!linked || fs::is_symlink(path));
  }
}

// A read that was not whole (a pipe at the path, a damaged file) tells nothing of what the file
// held under a key it lacks: the whole file that comes back still holding the value a change
// replaced has not overtaken it.
TEST_F(UserDefaultsTest, AChangeMadeOverAReadThatWasNotWholeIsWrittenOnceTheFileIsBack) {
  const auto overAPipe = [&] {
    UserDefaults(file).set("k", 0);
    UserDefaults mine(file);
    const fs::path saved = folder.path() / "saved";
    if (mine.integer("k") != 0 || ::rename(file.c_str(), saved.c_str()) != 0 ||
        ::mkfifo(file.c_str(), 0600) != 0) {
      return std::string("no pipe");
    }
    mine.set("k", 1);
    std::string said = mine.synchronize() ? "written into a pipe" : "waiting";
    if (::rename(saved.c_str(), file.c_str()) != 0) return said + ", no file back";
    said += mine.synchronize() ? ", written" : ", still waiting";
    return said + ", read back " + std::to_string(UserDefaults(file).integer("k"));
  };
  EXPECT_EQ(testing::saidWithin(20, overAPipe), "waiting, written, read back 1");

  // The damaged file loses k; the write over it fails. Once the whole file has been read, its
  // value is what the change goes over: another program's later write holds, even over k set
  // again since.
  for (const bool overtaken : {false, true}) {
    SCOPED_TRACE(overtaken ? "overtaken after the whole read" : "alone");
    testing::TemporaryDirectory own;
    const fs::path path = own.path() / "defaults.json";
    FileManager failing(own.path(), own.path());
    bool refuse = true;
    failing.setWriteProbe([&refuse](FileManager::WriteStep) { return refuse ? EIO : 0; });
    std::ofstream(path) << R"({"a": 1, "b": 1e999, "k": 0})";
    UserDefaults mine(path, failing);
    mine.set("k", 1);
    ASSERT_TRUE(putFile(path, R"({"a": 1, "k": 0})"));
    EXPECT_FALSE(mine.synchronize());
    EXPECT_EQ(mine.integer("k"), 1);
    if (overtaken) {
      mine.set("k", 2);
      UserDefaults(path).set("k", 5);
    }
    refuse = false;
    EXPECT_TRUE(mine.synchronize());
    EXPECT_EQ(UserDefaults(path).integer("k"), overtaken ? 5 : 1);
    EXPECT_EQ(mine.integer("k"), overtaken ? 5 : 1);
    EXPECT_EQ(UserDefaults(path).integer("a"), 1);
  }
}

TEST_F(UserDefaultsTest, ADeviceTakesTheSettingsAndStaysADevice) {
  const fs::path node = folder.path() / "node";
  if (!testing::makeSwallowingDevice(node)) GTEST_SKIP() << "no device node can be made here";
  UserDefaults defaults(node, files);
  defaults.set("appearance", "dark");
  defaults.set("count", 2);
  EXPECT_TRUE(defaults.synchronize());
  EXPECT_TRUE(testing::isSwallowingDevice(node));
  EXPECT_EQ(entriesIn(folder.path()), 2u);
}

TEST_F(UserDefaultsTest, AFolderOrASocketTakesNoSettingsAndNothingIsMade) {
  const fs::path box = folder.path() / "box";
  fs::create_directories(box);
  const fs::path socket = folder.path() / "socket";
  const testing::BoundSocket bound(socket);
  ASSERT_TRUE(bound.isBound()) << bound.failure();
  for (const fs::path& path : {box, socket}) {
    UserDefaults defaults(path, files);
    defaults.set("appearance", "dark");
    EXPECT_FALSE(defaults.synchronize()) << path;
    EXPECT_EQ(defaults.string("appearance"), "dark") << "the change waits in memory";
  }
  EXPECT_EQ(entriesIn(folder.path()), 2u);
  EXPECT_EQ(entriesIn(box), 0u);
  EXPECT_EQ(fs::symlink_status(socket).type(), fs::file_type::socket);
}

TEST_F(UserDefaultsTest, AKeyThatIsNotUtf8IsRefusedAndNeverWritesOverAnother) {
  UserDefaults theirs(file, files);
  theirs.set("k\uFFFD", "theirs");
  UserDefaults mine(file, files);
  mine.set("k\xFF", "mine");
  mine.set("\xC3", 1);           // cut short
  mine.set("k\xED\xA0\x80", 2);  // a surrogate
  EXPECT_TRUE(mine.synchronize());
  EXPECT_EQ(mine.object("k\xFF"), std::nullopt);
  EXPECT_EQ(mine.string("k\uFFFD"), "theirs");
  mine.removeObject("k\xFF");
  EXPECT_EQ(theirs.string("k\uFFFD"), "theirs");
  EXPECT_EQ(read(file), "{\n  \"k\uFFFD\": \"theirs\"\n}\n");

  // Set both in one suite: one member, the key that can be written.
  UserDefaults both(folder.path() / "both.json", files);
  both.set("k\uFFFD", "written");
  both.set("k\xFF", "refused");
  EXPECT_EQ(read(folder.path() / "both.json"), "{\n  \"k\uFFFD\": \"written\"\n}\n");
  UserDefaults memory;
  memory.set("k\xFF", 1);
  EXPECT_TRUE(memory.dictionaryRepresentation().empty());
}

TEST_F(UserDefaultsTest, AWriteRemovesTheTemporaryThatAKilledWriteLeft) {
  UserDefaults defaults(file, files);
  defaults.set("before", 1);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    FileManager dying(folder.path(), folder.path());
    dying.setWriteProbe([](FileManager::WriteStep step) {
      if (step == FileManager::WriteStep::rename) ::_exit(0);
      return 0;
    });
    UserDefaults(file, dying).set("lost", std::string(100'000, 'x'));
    ::_exit(1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_EQ(temporariesOf(file).size(), 1u);
  const fs::path another = folder.path() / ".other.json.tmp-0123456789abcdef";
  std::ofstream(another) << "another file's";

  // The suite that wrote before the killed write finds the lock's mark changed.
  defaults.set("after", 2);
  EXPECT_TRUE(temporariesOf(file).empty());
  EXPECT_TRUE(fs::exists(another));
  const UserDefaults reopened(file, files);
  EXPECT_EQ(reopened.integer("after"), 2);
  EXPECT_EQ(reopened.object("lost"), std::nullopt);
}

}  // namespace
}  // namespace kelvo
