#include "core/design/KelvoWidgetSnapshotStore.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "core/design/KelvoWidgetSnapshot.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

const Date now(800'000'000);

KelvoWidgetSnapshot snapshot(Date capturedAt = now, std::int64_t remindersDue = 1) {
  return KelvoWidgetSnapshot(
      {{*UUID::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"), "Passport", CardType::fact}},
      remindersDue, capturedAt);
}

void put(const fs::path& file, std::string_view bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

class KelvoWidgetSnapshotStoreTest : public ::testing::Test {
 protected:
  testing::TemporaryDirectory folder_;
  KelvoWidgetSnapshotStore store_{folder_.path() / "group"};
};

TEST(KelvoWidgetSnapshotStoreUnavailableTest, NoDirectoryMeansUnavailable) {
  const KelvoWidgetSnapshotStore store(std::nullopt);
  EXPECT_FALSE(store.fileURL());
  EXPECT_EQ(store.read(now), KelvoWidgetState::unavailable());
  EXPECT_FALSE(store.write(snapshot()));
  EXPECT_FALSE(store.clear());

  const FileManager files("/data", "/config");
  EXPECT_FALSE(WidgetSharing::containerURL(std::nullopt, files));
  EXPECT_FALSE(WidgetSharing::containerURL("", files));
  EXPECT_EQ(WidgetSharing::containerURL("group.kelvo", files),
            fs::path("/data/app-groups/group.kelvo"));
  EXPECT_EQ(WidgetSharing::snapshotFilename, "kelvo-widget.json");

  WidgetSharing::setAppGroupIdentifier(std::nullopt);
  EXPECT_EQ(KelvoWidgetSnapshotStore::shared().read(now), KelvoWidgetState::unavailable());
  WidgetSharing::setAppGroupIdentifier("");
  EXPECT_FALSE(KelvoWidgetSnapshotStore::shared().write(snapshot()));
}

TEST_F(KelvoWidgetSnapshotStoreTest, SharedStoreLivesInTheAppGroupContainer) {
  const char* saved = std::getenv("XDG_DATA_HOME");
  const std::string previous = saved ? saved : "";
  setenv("XDG_DATA_HOME", folder_.path().c_str(), 1);
  WidgetSharing::setAppGroupIdentifier("group.kelvo");
  const auto shared = KelvoWidgetSnapshotStore::shared();
  const bool written = shared.write(snapshot());
  WidgetSharing::setAppGroupIdentifier(std::nullopt);
  saved ? setenv("XDG_DATA_HOME", previous.c_str(), 1) : unsetenv("XDG_DATA_HOME");

  EXPECT_TRUE(written);
  EXPECT_EQ(shared.fileURL(), folder_.path() / "app-groups/group.kelvo/kelvo-widget.json");
  EXPECT_TRUE(fs::is_regular_file(*shared.fileURL()));
}

TEST_F(KelvoWidgetSnapshotStoreTest, WriteCreatesTheFolderAndReadsBack) {
  const KelvoWidgetSnapshotStore nested(folder_.path() / "a" / "b");
  EXPECT_EQ(nested.read(now), KelvoWidgetState::waiting());
  ASSERT_TRUE(nested.write(snapshot()));
  EXPECT_EQ(nested.fileURL(), folder_.path() / "a/b/kelvo-widget.json");
  EXPECT_EQ(nested.read(now), KelvoWidgetState::cards(snapshot()));

  // A second write replaces the file whole.
  ASSERT_TRUE(nested.write(snapshot(now, 7)));
  EXPECT_EQ(nested.read(now).as<KelvoWidgetState::Cards>()->snapshot.remindersDue(), 7);
}

TEST_F(KelvoWidgetSnapshotStoreTest, StatesFollowAgeAndContent) {
  ASSERT_TRUE(store_.write(snapshot(now - 1'209'600)));
  EXPECT_EQ(store_.read(now), KelvoWidgetState::outdated(now - 1'209'600));
  ASSERT_TRUE(store_.write(snapshot(now - 1'209'599)));
  EXPECT_EQ(store_.read(now), KelvoWidgetState::cards(snapshot(now - 1'209'599)));
  // A capture in the future is never outdated, however far ahead.
  ASSERT_TRUE(store_.write(snapshot(now + 90'000'000)));
  EXPECT_EQ(store_.read(now), KelvoWidgetState::cards(snapshot(now + 90'000'000)));

  ASSERT_TRUE(store_.write(KelvoWidgetSnapshot({}, 2, now)));
  EXPECT_EQ(store_.read(now), KelvoWidgetState::cards(KelvoWidgetSnapshot({}, 2, now)));
  ASSERT_TRUE(store_.write(KelvoWidgetSnapshot({}, 0, now)));
  EXPECT_EQ(store_.read(now), KelvoWidgetState::empty());
  // An empty snapshot that has aged out is outdated, not empty.
  EXPECT_EQ(store_.read(now + 1'209'600), KelvoWidgetState::outdated(now));
}

TEST_F(KelvoWidgetSnapshotStoreTest, UnreadableFilesAreWaitingAndLeftAlone) {
  const std::string whole = snapshot().encoded();
  const std::string bad[] = {
      "",
      whole.substr(0, whole.size() / 2),
      "not json",
      "\xFF\xFE{}",
      R"({"cards":{},"remindersDue":0,"capturedAt":1})",
      R"({"cards":[],"remindersDue":0,"capturedAt":"2024-01-01"})",
      R"({"cards":[{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","title":"a","type":"link"}],)"
      R"("remindersDue":0,"capturedAt":1})",
      std::string(600, '[') + std::string(600, ']'),
  };
  fs::create_directories(*store_.directory());
  for (const std::string& bytes : bad) {
    put(*store_.fileURL(), bytes);
    EXPECT_EQ(store_.read(now), KelvoWidgetState::waiting()) << bytes;
    std::ifstream file(*store_.fileURL(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), bytes);
  }
  // A folder where the file should be cannot be read either.
  fs::remove(*store_.fileURL());
  fs::create_directory(*store_.fileURL());
  EXPECT_EQ(store_.read(now), KelvoWidgetState::waiting());
}

TEST_F(KelvoWidgetSnapshotStoreTest, WritesAreAtomicAndFailuresKeepTheOldFile) {
  FileManager files;
  const KelvoWidgetSnapshot before = snapshot(now, 1);
  const KelvoWidgetSnapshotStore plain(folder_.path() / "group");
  ASSERT_TRUE(plain.write(before));

  // A reader in the middle of a write still sees the previous snapshot whole.
  std::optional<KelvoWidgetState> seenMidway;
  files.setWriteProbe([&](FileManager::WriteStep step) {
    if (step == FileManager::WriteStep::rename) seenMidway = plain.read(now);
    return 0;
  });
  ASSERT_TRUE(KelvoWidgetSnapshotStore(plain.directory(), files).write(snapshot(now, 5)));
  EXPECT_EQ(seenMidway, KelvoWidgetState::cards(before));
  EXPECT_EQ(plain.read(now), KelvoWidgetState::cards(snapshot(now, 5)));

  files.setWriteProbe([](FileManager::WriteStep step) {
    return step == FileManager::WriteStep::syncFile ? EIO : 0;
  });
  EXPECT_FALSE(KelvoWidgetSnapshotStore(plain.directory(), files).write(snapshot(now, 9)));
  EXPECT_EQ(plain.read(now), KelvoWidgetState::cards(snapshot(now, 5)));

  // The folder cannot be made where a file stands.
  put(folder_.path() / "blocked", "x");
  EXPECT_FALSE(KelvoWidgetSnapshotStore(folder_.path() / "blocked" / "group").write(before));
  // A date JSON cannot hold is refused, not written.
  EXPECT_FALSE(plain.write(KelvoWidgetSnapshot({}, 0, Date(HUGE_VAL))));
  EXPECT_EQ(plain.read(now), KelvoWidgetState::cards(snapshot(now, 5)));
}

TEST_F(KelvoWidgetSnapshotStoreTest, ClearRemovesOrFindsNothing) {
  EXPECT_TRUE(store_.clear());  // neither the folder nor the file exists
  ASSERT_TRUE(store_.write(snapshot()));
  EXPECT_TRUE(store_.clear());
  EXPECT_FALSE(fs::exists(*store_.fileURL()));
  EXPECT_EQ(store_.read(now), KelvoWidgetState::waiting());
  EXPECT_TRUE(store_.clear());
}

TEST_F(KelvoWidgetSnapshotStoreTest, ClearFailsWhileTheFileStays) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  ASSERT_TRUE(store_.write(snapshot()));
  ::chmod(store_.directory()->c_str(), 0500);
  EXPECT_FALSE(store_.clear());
  ::chmod(store_.directory()->c_str(), 0700);
  EXPECT_TRUE(fs::exists(*store_.fileURL()));
}

}  // namespace
}  // namespace kelvo
