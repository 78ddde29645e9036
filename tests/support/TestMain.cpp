#include <gtest/gtest.h>

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

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new PinnedSettings);
  ::testing::UnitTest::GetInstance()->listeners().Append(new RestoreSettings);
  // Death tests fork; "threadsafe" re-executes the binary so the child starts clean.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  return RUN_ALL_TESTS();
}
