#include "platform/foundation/UserDefaults.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

std::string read(const fs::path& file) {
  std::ifstream in(file);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(UserDefaultsTest, KeepsEachTypeInOneSharedFile) {
  testing::TemporaryDirectory folder;
  const fs::path file = folder.path() / "kelvo/group.kelvo.json";
  {
    UserDefaults defaults(file);
    defaults.set("appearance", "light");
    defaults.set("done", true);
    defaults.set("big", std::int64_t{1} << 60);
    defaults.set("whole", 3.0);
    defaults.set("bytes", Bytes{0, 255, 10});
    defaults.set("list", std::vector<std::string>{"b", "a"});
    defaults.set("gone", 1);
    defaults.removeObject("gone");
  }
  UserDefaults reopened(file);
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
  UserDefaults other(file);
  other.set("appearance", "dark");
  EXPECT_EQ(reopened.string("appearance"), "dark");
  reopened.set("hints", std::vector<std::string>{"x"});
  EXPECT_EQ(other.string("appearance"), "dark");
  EXPECT_EQ(other.stringArray("hints"), std::vector<std::string>{"x"});

  EXPECT_EQ(UserDefaults::suiteFile("group.kelvo", FileManager(folder.path(), folder.path())),
            file);
  EXPECT_EQ(UserDefaults::suiteFile("../escape"), std::nullopt);
  EXPECT_EQ(UserDefaults::suiteFile(""), std::nullopt);

  UserDefaults memory;
  memory.set("n", 1);
  EXPECT_EQ(memory.integer("n"), 1);
  EXPECT_TRUE(memory.synchronize());
}

TEST(UserDefaultsTest, ACorruptFileIsLeftAloneUntilAValueIsSet) {
  testing::TemporaryDirectory folder;
  const fs::path file = folder.path() / "defaults.json";
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

TEST(UserDefaultsTest, ADamagedFileKeepsItsReadableKeysAndIsKeptAside) {
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
    testing::TemporaryDirectory folder;
    const fs::path file = folder.path() / "defaults.json";
    std::ofstream(file) << damage.text;
    UserDefaults defaults(file);
    std::vector<std::string> keys;
    for (const auto& [key, value] : defaults.dictionaryRepresentation()) keys.push_back(key);
    EXPECT_EQ(keys, damage.readable);

    defaults.set("e", 5);
    defaults.set("f", 6);
    UserDefaults again(file);
    EXPECT_EQ(again.integer("e"), 5);
    for (const std::string& key : damage.readable) EXPECT_TRUE(again.object(key)) << key;
    // One copy of the damaged file, whole, under a name nothing writes over.
    std::vector<fs::path> kept;
    for (const auto& entry : fs::directory_iterator(folder.path())) {
      if (entry.path() != file) kept.push_back(entry.path());
    }
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_TRUE(kept[0].filename().string().starts_with("defaults.json.unreadable-"));
    EXPECT_EQ(read(kept[0]), damage.text);
  }
}

TEST(UserDefaultsTest, AFileLargerThanSettingsReadsAsDamaged) {
  testing::TemporaryDirectory folder;
  const fs::path file = folder.path() / "defaults.json";
  std::ofstream(file) << R"({"a": 1})";
  fs::resize_file(file, std::uintmax_t{64} << 30);
  UserDefaults defaults(file);
  EXPECT_TRUE(defaults.dictionaryRepresentation().empty());
  defaults.set("a", 2);
  EXPECT_EQ(UserDefaults(file).integer("a"), 2);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 2);
}

TEST(UserDefaultsTest, AFailedWriteKeepsTheFileAndRetries) {
  testing::TemporaryDirectory folder;
  const fs::path file = folder.path() / "defaults.json";
  FileManager files(folder.path(), folder.path());
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

TEST(UserDefaultsTest, IsSafeToShareBetweenThreads) {
  testing::TemporaryDirectory folder;
  UserDefaults defaults(folder.path() / "defaults.json");
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
