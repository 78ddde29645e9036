#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <random>
#include <string>

#include "platform/foundation/Locale.hpp"
#include "platform/foundation/TimeZone.hpp"

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

// The user's own settings and data are out of every test's reach: a test that comes upon
// `UserDefaults::standard()` or the default folders finds a scratch folder of this process.
class ScratchUserFolders {
 public:
  ScratchUserFolders() {
    std::random_device device;
    folder_ = std::filesystem::temp_directory_path() /
              ("kelvo-user-" + std::to_string(device()) + std::to_string(device()));
    std::filesystem::create_directories(folder_ / "config");
    std::filesystem::create_directories(folder_ / "data");
    setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (folder_ / "data").c_str(), 1);
  }
  ~ScratchUserFolders() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  ScratchUserFolders(const ScratchUserFolders&) = delete;
  ScratchUserFolders& operator=(const ScratchUserFolders&) = delete;

 private:
  std::filesystem::path folder_;
};

int main(int argc, char** argv) {
  const ScratchUserFolders userFolders;
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new PinnedSettings);
  ::testing::UnitTest::GetInstance()->listeners().Append(new RestoreSettings);
  // Death tests fork; "threadsafe" re-executes the binary so the child starts clean.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  return RUN_ALL_TESTS();
}
