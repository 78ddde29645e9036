#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

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

// The user's own settings and data are out of every test's reach: a test that comes upon
// `UserDefaults::standard()` or the default folders finds a scratch folder of this process.
class ScratchUserFolders {
 public:
  ScratchUserFolders() {
    std::filesystem::create_directories(folder_.path() / "config");
    std::filesystem::create_directories(folder_.path() / "data");
    setenv("XDG_CONFIG_HOME", (folder_.path() / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (folder_.path() / "data").c_str(), 1);
  }

 private:
  kelvo::testing::TemporaryDirectory folder_;
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
