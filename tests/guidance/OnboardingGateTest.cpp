#include "core/guidance/OnboardingGate.hpp"

#include <gtest/gtest.h>

#include "tests/support/TestSupport.hpp"

namespace kelvo {
namespace {

TEST(OnboardingGateTest, LaunchDecisionFollowsTheArguments) {
  const struct {
    bool completed;
    std::vector<std::string> arguments;
    bool shows;
  } cases[] = {
      {false, {}, true},
      {true, {}, false},
      {false, {"-KelvoForceOnboarding", "-KelvoSkipOnboarding"}, false},
      {true, {"-KelvoUITests", "-KelvoForceOnboarding"}, true},
      {false, {"-KelvoUITests"}, false},
      {false, {"-KelvoSkipOnboardingNow"}, true},
      {true, {"-kelvoforceonboarding"}, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OnboardingGate::shouldShow(c.completed, c.arguments), c.shows)
        << c.completed << " " << c.arguments.size();
  }
}

TEST(OnboardingGateTest, RecordsCompletionInAPersistentSuite) {
  const testing::TemporaryDirectory folder;
  const auto file = folder.path() / "defaults.json";
  {
    UserDefaults defaults(file);
    OnboardingGate gate(defaults, {});
    EXPECT_FALSE(gate.hasCompleted());
    EXPECT_TRUE(gate.shouldShow());
    gate.record(OnboardingOutcome::skipped);
    EXPECT_TRUE(gate.hasCompleted());
  }
  UserDefaults reopened(file);
  OnboardingGate gate(reopened, {});
  EXPECT_TRUE(gate.hasCompleted());
  EXPECT_FALSE(gate.shouldShow());
  gate.reset();
  EXPECT_FALSE(UserDefaults(file).object(OnboardingGate::completionKey).has_value());
  EXPECT_TRUE(gate.shouldShow());
  gate.record(OnboardingOutcome::completedWithCard);
  EXPECT_TRUE(UserDefaults(file).boolean(OnboardingGate::completionKey));
}

TEST(OnboardingGateTest, OutcomesTriggersAndSettling) {
  using enum OnboardingOutcome;
  using Trigger = OnboardingPresentationTrigger;
  EXPECT_TRUE(opensCapture(completed));
  EXPECT_FALSE(opensCapture(completedWithCard));
  EXPECT_FALSE(opensCapture(skipped));
  EXPECT_EQ(fromRawValue<OnboardingOutcome>("Completed"), std::nullopt);
  EXPECT_EQ(fromRawValue<OnboardingOutcome>("completedWithCard"), completedWithCard);

  EXPECT_TRUE(shouldPresent(Trigger::replay, false));
  EXPECT_FALSE(shouldPresent(Trigger::launch, false));
  for (auto outcome : allCases<OnboardingOutcome>()) {
    EXPECT_FALSE(shouldHandOverToCapture(Trigger::replay, outcome));
    EXPECT_EQ(shouldHandOverToCapture(Trigger::launch, outcome), outcome == completed);
  }

  using Settling = OnboardingSceneSettlingArguments;
  EXPECT_EQ(Settling::variant({"-x", "-KelvoOnboardingSettled"}), OnboardingSceneSettling::settled);
  EXPECT_EQ(Settling::variant({"-KelvoOnboardingSettledX"}), OnboardingSceneSettling::animated);
  EXPECT_TRUE(playsSequence(OnboardingSceneSettling::animated));
  EXPECT_FALSE(playsSequence(OnboardingSceneSettling::settled));
}

}  // namespace
}  // namespace kelvo
