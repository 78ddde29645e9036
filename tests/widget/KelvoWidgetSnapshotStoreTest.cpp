#include "core/widget/KelvoWidgetSnapshotStore.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/widget/KelvoWidgetSnapshot.hpp"
#include "tests/support/AnotherUser.hpp"
#include "tests/support/NonRegularFiles.hpp"
#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

const Date now(800'000'000);

KelvoWidgetSnapshot snapshot(Date capturedAt = now, std::int64_t remindersDue = 1) {
  return KelvoWidgetSnapshot({{UUID::random(), "Passport", CardType::fact}}, remindersDue,
                             capturedAt);
}

// Runs `check` where folder permissions bind: directly, or for the superuser in a child that
// owns `folder` and has dropped to an unprivileged user. True when `check` held.
bool holdsWithoutPrivileges(const fs::path& folder, const std::function<bool()>& check) {
  if (geteuid() != 0) return check();
  const pid_t child = fork();
  if (child == 0) {
    using testing::nobody;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      if (::lchown(entry.path().c_str(), nobody, nobody) != 0) ::_exit(2);
    }
    if (::chown(folder.c_str(), nobody, nobody) != 0) ::_exit(2);
    if (!testing::becomeAnotherUser()) ::_exit(2);
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class KelvoWidgetSnapshotStoreTest : public ::testing::Test {
 protected:
  testing::TemporaryDirectory folder_;
  KelvoWidgetSnapshotStore store_{folder_.path() / "a" / "b"};
};

TEST_F(KelvoWidgetSnapshotStoreTest, WithoutAContainerTheStoreIsUnavailable) {
  const KelvoWidgetSnapshotStore none(std::nullopt);
  EXPECT_EQ(none.read(now), KelvoWidgetState::unavailable());
  EXPECT_FALSE(none.write(snapshot()));
  EXPECT_FALSE(none.clear());

  const FileManager files(folder_.path(), folder_.path());
  EXPECT_FALSE(WidgetSharing::containerURL("", files));
  EXPECT_EQ(WidgetSharing::containerURL("group.kelvo", files),
            folder_.path() / "app-groups/group.kelvo");
  WidgetSharing::setAppGroupIdentifier(std::nullopt);
  EXPECT_EQ(KelvoWidgetSnapshotStore::shared().read(now), KelvoWidgetState::unavailable());
}

TEST_F(KelvoWidgetSnapshotStoreTest, WritingCreatesTheFolderAndStatesFollowTheFile) {
  EXPECT_EQ(store_.read(now), KelvoWidgetState::waiting());
  EXPECT_TRUE(store_.clear());  // nothing to clear is no failure
  const KelvoWidgetSnapshot fresh = snapshot();
  ASSERT_TRUE(store_.write(fresh));
  EXPECT_EQ(store_.fileURL(), folder_.path() / "a/b/kelvo-widget.json");
  EXPECT_EQ(store_.read(now), KelvoWidgetState::cards(fresh));

  ASSERT_TRUE(store_.write(snapshot(now - 1'209'600)));
  EXPECT_EQ(store_.read(now), KelvoWidgetState::outdated(now - 1'209'600));
  ASSERT_TRUE(store_.write(KelvoWidgetSnapshot({}, 0, now - 1'209'599)));
  EXPECT_EQ(store_.read(now), KelvoWidgetState::empty());
  // A capture in the future is never outdated, however far ahead.
  ASSERT_TRUE(store_.write(KelvoWidgetSnapshot({}, 2, now + 90'000'000)));
  EXPECT_EQ(store_.read(now),
            KelvoWidgetState::cards(KelvoWidgetSnapshot({}, 2, now + 90'000'000)));
  EXPECT_TRUE(store_.clear());
  EXPECT_EQ(store_.read(now), KelvoWidgetState::waiting());

  ASSERT_TRUE(store_.write(fresh));
  EXPECT_TRUE(holdsWithoutPrivileges(folder_.path(), [&] {
    ::chmod(store_.directory()->c_str(), 0500);
    const bool cleared = store_.clear();  // the file stays, so clearing failed
    ::chmod(store_.directory()->c_str(), 0700);
    return !cleared && store_.read(now) == KelvoWidgetState::cards(fresh);
  }));
}

TEST_F(KelvoWidgetSnapshotStoreTest, UnreadableFilesReadAsWaitingAndStayAsTheyAre) {
  const std::string whole = snapshot().encoded();
  fs::create_directories(*store_.directory());
  for (const std::string& bytes : {
           std::string(),
           whole.substr(0, whole.size() / 2),
           std::string("not json"),
           std::string(R"({"cards":{},"remindersDue":0,"capturedAt":1})"),
           std::string(R"({"cards":[{"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F",)"
                       R"("title":"a","type":"link"}],"remindersDue":0,"capturedAt":1})"),
       }) {
    std::ofstream(*store_.fileURL(), std::ios::binary) << bytes;
    EXPECT_EQ(store_.read(now), KelvoWidgetState::waiting()) << bytes;
    std::ifstream file(*store_.fileURL(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), bytes);
  }
}

TEST_F(KelvoWidgetSnapshotStoreTest, WritesAreAtomicAndAFailedOneKeepsTheOldFile) {
  const KelvoWidgetSnapshot before = snapshot(now, 1), after = snapshot(now, 5);
  ASSERT_TRUE(store_.write(before));
  FileManager files;
  std::optional<KelvoWidgetState> seenMidway;
  files.setWriteProbe([&](FileManager::WriteStep step) {
    if (step == FileManager::WriteStep::rename) seenMidway = store_.read(now);
    return 0;
  });
  ASSERT_TRUE(KelvoWidgetSnapshotStore(store_.directory(), files).write(after));
  EXPECT_EQ(seenMidway, KelvoWidgetState::cards(before));

  files.setWriteProbe([](FileManager::WriteStep step) {
    return step == FileManager::WriteStep::syncFile ? EIO : 0;
  });
  EXPECT_FALSE(KelvoWidgetSnapshotStore(store_.directory(), files).write(before));
  EXPECT_FALSE(store_.write(KelvoWidgetSnapshot({}, 0, Date(HUGE_VAL))));
  EXPECT_EQ(store_.read(now), KelvoWidgetState::cards(after));
  // No folder can be made where a file stands.
  EXPECT_FALSE(KelvoWidgetSnapshotStore(*store_.fileURL() / "sub").write(before));
}

TEST_F(KelvoWidgetSnapshotStoreTest, NoWriteLeavesAFileTooLargeToRead) {
  const auto titled = [](std::size_t bytes) {
    return KelvoWidgetSnapshot({{UUID(), std::string(bytes, 'x'), CardType::text}}, 0, now);
  };
  const std::size_t fits = KelvoWidgetSnapshotStore::fileSizeLimit - titled(0).encoded().size();
  ASSERT_TRUE(store_.write(titled(fits)));
  EXPECT_FALSE(store_.write(titled(fits + 1)));
  EXPECT_EQ(store_.read(now), KelvoWidgetState::cards(titled(fits)));
}

// The snapshot goes where its file's path leads: the host may keep it behind a link, or hand
// the widget a pipe or a device in its place.

size_t entriesIn(const fs::path& folder) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(folder), {}));
}

TEST_F(KelvoWidgetSnapshotStoreTest, ALinkedSnapshotReplacesTheFileTheLinksLeadTo) {
  const fs::path shared = *store_.directory();
  const fs::path elsewhere = folder_.path() / "elsewhere";
  fs::create_directories(shared);
  fs::create_directories(elsewhere);
  fs::create_symlink(elsewhere / "second", *store_.fileURL());
  fs::create_symlink("snapshot.json", elsewhere / "second");  // dangling until the first write
  const KelvoWidgetSnapshot first = snapshot(now, 1), second = snapshot(now, 2);
  ASSERT_TRUE(store_.write(first));
  ASSERT_TRUE(store_.write(second));
  EXPECT_TRUE(fs::is_symlink(*store_.fileURL()));
  EXPECT_TRUE(fs::is_symlink(elsewhere / "second"));
  EXPECT_EQ(store_.read(now), KelvoWidgetState::cards(second));
  std::ifstream target(elsewhere / "snapshot.json", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(target), {}), second.encoded());
  EXPECT_EQ(entriesIn(shared), 1u);
  EXPECT_EQ(entriesIn(elsewhere), 2u);
}

// The widget reads only a regular file: a pipe takes no snapshot, and no write waits for its
// reader.
TEST_F(KelvoWidgetSnapshotStoreTest, APipeTakesNoSnapshotAndNoWriteWaitsOnIt) {
  fs::create_directories(*store_.directory());
  const fs::path pipe = *store_.fileURL();
  {
    testing::PipeReader reader(pipe);
    ASSERT_TRUE(reader.isReading());
    EXPECT_FALSE(store_.write(snapshot()));
    testing::endForItsReader(pipe);
    EXPECT_EQ(reader.bytes(), "");
  }

  // With no reader, there and at the end of a chain of links.
  const KelvoWidgetSnapshotStore linked(folder_.path() / "linked");
  fs::create_directories(*linked.directory());
  fs::create_symlink(pipe, folder_.path() / "second");
  fs::create_symlink("../second", *linked.fileURL());
  const auto written = [&] {
    return std::string(store_.write(snapshot()) ? "written" : "refused") +
           (linked.write(snapshot()) ? ", written through links" : ", refused through links");
  };
  EXPECT_EQ(testing::saidWithin(10, written), "refused, refused through links");
  EXPECT_TRUE(testing::isPipe(pipe));
  EXPECT_TRUE(fs::is_symlink(*linked.fileURL()));
  EXPECT_EQ(entriesIn(*store_.directory()), 1u);
  EXPECT_EQ(store_.read(now), KelvoWidgetState::waiting());
}

TEST_F(KelvoWidgetSnapshotStoreTest, ADeviceTakesTheSnapshotAndStaysADevice) {
  fs::create_directories(*store_.directory());
  if (!testing::makeSwallowingDevice(*store_.fileURL())) {
    GTEST_SKIP() << "no device node can be made here";
  }
  EXPECT_TRUE(store_.write(snapshot()));
  EXPECT_TRUE(testing::isSwallowingDevice(*store_.fileURL()));
  EXPECT_EQ(entriesIn(*store_.directory()), 1u);
}

TEST_F(KelvoWidgetSnapshotStoreTest, AFolderOrASocketTakesNoSnapshotAndNothingIsMade) {
  fs::create_directories(*store_.fileURL());
  EXPECT_FALSE(store_.write(snapshot()));
  EXPECT_EQ(entriesIn(*store_.fileURL()), 0u);
  EXPECT_EQ(entriesIn(*store_.directory()), 1u);

  const KelvoWidgetSnapshotStore beside(folder_.path() / "s");
  fs::create_directories(*beside.directory());
  const testing::BoundSocket bound(*beside.fileURL());
  ASSERT_TRUE(bound.isBound()) << bound.failure();
  EXPECT_FALSE(beside.write(snapshot()));
  EXPECT_EQ(fs::symlink_status(*beside.fileURL()).type(), fs::file_type::socket);
  EXPECT_EQ(entriesIn(*beside.directory()), 1u);
}

// The host clears the snapshot at sign-out: only the name it writes goes, never a folder someone
// keeps there nor what a link leads to, and a name that stays is never told as gone.
TEST_F(KelvoWidgetSnapshotStoreTest, ClearingRemovesTheNameAloneAndNeverAFolder) {
  const fs::path file = *store_.fileURL();
  fs::create_directories(file / "sub");
  std::ofstream(file / "notes.txt") << "notes";
  std::ofstream(file / "sub/photo.jpg") << "photo";
  EXPECT_FALSE(store_.clear());
  EXPECT_EQ(entriesIn(file), 2u);
  EXPECT_TRUE(fs::is_regular_file(file / "sub/photo.jpg"));
  fs::remove_all(file);

  const fs::path target = folder_.path() / "target.json";
  std::ofstream(target) << "kept";
  const std::vector<std::pair<const char*, std::function<bool()>>> kinds{
      {"a file", [&] { return store_.write(snapshot()); }},
      {"a link", [&] { return ::symlink(target.c_str(), file.c_str()) == 0; }},
      {"a dangling link", [&] { return ::symlink("gone.json", file.c_str()) == 0; }},
      {"a pipe", [&] { return ::mkfifo(file.c_str(), 0600) == 0; }},
      {"a device node", [&] { return testing::makeSwallowingDevice(file); }},
  };
  for (const auto& [kind, make] : kinds) {
    SCOPED_TRACE(kind);
    if (!make()) {
      EXPECT_EQ(std::string(kind), "a device node") << "could not be made";
      std::error_code ignored;
      fs::remove(file, ignored);
      continue;
    }
    EXPECT_TRUE(store_.clear());
    EXPECT_FALSE(fs::exists(fs::symlink_status(file)));
  }
  EXPECT_TRUE(fs::is_regular_file(target));
  EXPECT_TRUE(store_.clear()) << "nothing there is cleared";

  // A dangling link in a folder this user may not write stays, and clearing says so.
  ASSERT_EQ(::symlink("gone.json", file.c_str()), 0);
  EXPECT_TRUE(holdsWithoutPrivileges(folder_.path(), [&] {
    ::chmod(store_.directory()->c_str(), 0500);
    const bool cleared = store_.clear();
    ::chmod(store_.directory()->c_str(), 0700);
    return !cleared && fs::is_symlink(file);
  }));
}

}  // namespace
}  // namespace kelvo
