#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string_view>

#include "platform/foundation/Locale.hpp"
#include "platform/foundation/TimeZone.hpp"
#include "tests/support/TestSupport.hpp"

// Every test runs in en_US and UTC unless it sets its own.
class PinnedSettings : public ::testing::Environment {
 public:
  void SetUp() override { pin(); }
  static void pin() {
    kelvo::Locale::setCurrent(kelvo::Locale("en_US"));
    kelvo::TimeZone::setCurrent(kelvo::TimeZone::utc());
  }
};

class RestoreSettings : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override { PinnedSettings::pin(); }
};

// A forked child that comes back into the framework (gtest caught what it threw) ends here,
// rather than running the remaining tests and its parent's clean-up a second time.
class ForkedChildStops : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override {
    if (::getpid() != process_) ::_exit(kelvo::testing::strayChildStatus);
  }
  const pid_t process_ = ::getpid();
};

// gtest starts a death test's child as this binary run anew with this flag.
bool isDeathTestChild(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::string_view(argv[i]).starts_with("--gtest_internal_run_death_test")) return true;
  }
  return false;
}

// The user's own settings and data are out of every test's reach: a test that comes upon
// `UserDefaults::standard()` or the default folders finds a scratch folder of this run.
//
// A death test's child dies without unwinding, so a folder it made would stay behind. It makes
// none: it takes its parent's, which reaches it in the environment, and keeps its temporary
// files inside it too, where the parent's clean-up finds them.
class ScratchUserFolders {
 public:
  explicit ScratchUserFolders(bool deathTestChild) {
    namespace fs = std::filesystem;
    const char* inherited = getenv(variable);
    if (deathTestChild && inherited != nullptr && fs::is_directory(inherited)) {
      root_ = inherited;
      setenv("TMPDIR", (root_ / "tmp").c_str(), 1);
    } else {
      folder_.emplace();
      root_ = folder_->path();
      for (const char* name : {"config", "data", "tmp"}) fs::create_directory(root_ / name);
      setenv(variable, root_.c_str(), 1);
    }
    setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
  }

 private:
  static constexpr const char* variable = "KELVO_TEST_SCRATCH";
  std::optional<kelvo::testing::TemporaryDirectory> folder_;
  std::filesystem::path root_;
};

int main(int argc, char** argv) {
  const ScratchUserFolders userFolders(isDeathTestChild(argc, argv));
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new PinnedSettings);
  ::testing::UnitTest::GetInstance()->listeners().Append(new RestoreSettings);
  ::testing::UnitTest::GetInstance()->listeners().Append(new ForkedChildStops);
  // Death tests fork; "threadsafe" re-executes the binary so the child starts clean.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  return RUN_ALL_TESTS();
}
