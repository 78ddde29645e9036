#include "core/guidance/OnboardingGate.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include "core/guidance/LaunchChoreography.hpp"
#include "core/guidance/ReviewRequestPolicy.hpp"
#include "core/guidance/SampleTiming.hpp"
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

TEST(OnboardingGateTest, RecordsCompletionOutcomesAndTriggers) {
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
  using enum OnboardingOutcome;
  using Trigger = OnboardingPresentationTrigger;
  EXPECT_FALSE(opensCapture(completedWithCard));
  EXPECT_EQ(fromRawValue<OnboardingOutcome>("Completed"), std::nullopt);

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

using Decision = ReviewRequestPolicy::Decision;
using Context = ReviewRequestPolicy::Context;

TEST(ReviewRequestPolicyTest, DecidesOncePerVersionAndRemembersIt) {
  const Context idle;
  const Context busy{.isTextFieldFocused = true};
  const std::vector<std::string> none;
  const struct {
    std::optional<std::string> stored;
    const char* current;
    Context context;
    std::vector<std::string> arguments;
    Decision expected;
  } cases[] = {
      {std::nullopt, "5.0", idle, none, Decision::ask},
      {std::nullopt, "5.0", busy, none, Decision::deferred},
      {"5.0", "5.0", idle, none, Decision::never},
      {"5.0", "5.0", busy, none, Decision::never},
      {"5.1", "5.0", idle, none, Decision::ask},
      {"5.0", "5.1", Context{.isOnboardingPresented = true}, none, Decision::deferred},
      {std::nullopt, "5.0", idle, {"-KelvoUITests"}, Decision::never},
      {std::nullopt, "5.0", idle, {"-KelvoAllowReviewRequest", "-KelvoUITests"}, Decision::ask},
      {std::nullopt, "5.0", idle, {"-KelvoUITestsX"}, Decision::ask},
      {"", "", idle, none, Decision::never},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReviewRequestPolicy::decision(c.current, c.stored, c.context, c.arguments),
              c.expected)
        << c.stored.value_or("none") << " " << c.current;
  }
  UserDefaults defaults;
  ReviewRequestPolicy policy(defaults, {});
  EXPECT_EQ(policy.decision("5.1", {}), Decision::ask);
  policy.recordAsked("5.1");
  EXPECT_EQ(defaults.string(ReviewRequestPolicy::lastAskedVersionKey), "5.1");
  EXPECT_EQ(policy.decision("5.1", {}), Decision::never);
  policy.reset();
  EXPECT_EQ(policy.lastAskedVersion(), std::nullopt);
  EXPECT_EQ(policy.decision("5.1", {}), Decision::ask);
  // A value of another type reads as never asked.
  defaults.set(ReviewRequestPolicy::lastAskedVersionKey, 5.1);
  EXPECT_EQ(policy.lastAskedVersion(), std::nullopt);
  EXPECT_EQ(policy.decision("5.1", {}), Decision::ask);
}

TEST(SampleTimingTest, StaysOnToday) {
  const Calendar newYork(*TimeZone::named("America/New_York"));
  const Calendar utc(*TimeZone::named("UTC"));
  const auto at = [&](const Calendar& calendar, int day, int hour, int minute, int second = 0) {
    return *calendar.date(2024, 3, day, hour, minute, second);
  };
  constexpr double hour = 3600;

  // The spring-forward day: 03:30 EDT is 07:30 UTC, and three hours back is the day before.
  const Date springMorning = at(newYork, 10, 3, 30);
  EXPECT_EQ(SampleTiming::withinToday(3 * hour, springMorning, newYork), at(newYork, 10, 0, 0, 1));
  EXPECT_EQ(SampleTiming::withinToday(3 * hour, springMorning, utc), springMorning - 3 * hour);

  const Date lateEvening = at(newYork, 12, 23, 30);
  EXPECT_EQ(SampleTiming::withinToday(-hour, lateEvening, newYork), at(newYork, 13, 0, 30));
  EXPECT_EQ(SampleTiming::withinToday(2 * hour, at(newYork, 12, 14, 0), newYork),
            at(newYork, 12, 12, 0));
  const Date floor = at(newYork, 12, 0, 0, 1);
  EXPECT_EQ(SampleTiming::withinToday(hour - 1, at(newYork, 12, 1, 0), newYork), floor);
  EXPECT_EQ(SampleTiming::withinToday(0, at(newYork, 12, 0, 0) + 0.5, newYork), floor);

  EXPECT_EQ(SampleTiming::withinToday(std::nan(""), lateEvening, newYork), lateEvening);
  EXPECT_EQ(SampleTiming::withinToday(-INFINITY, lateEvening, newYork), lateEvening);
  const Date never(INFINITY);
  EXPECT_EQ(SampleTiming::withinToday(hour, never, newYork), never);
  EXPECT_TRUE(std::isnan(SampleTiming::withinToday(hour, Date(std::nan("")), newYork)
                             .timeIntervalSinceReferenceDate()));
}

using L = LaunchChoreography;
using Phase = L::Phase;
constexpr double inf = std::numeric_limits<double>::infinity();
const double nan = std::nan("");

TEST(LaunchChoreographyTest, FullMotionFrames) {
  EXPECT_NEAR(L::dismissAt(0.9, false), 1.22, 1e-12);
  auto frame = L::frame(1.0, 0.9, false);
  EXPECT_EQ(frame.phase, Phase::handoff);
  EXPECT_NEAR(frame.exitProgress, 0.3125, 1e-12);

  EXPECT_EQ(L::frame(0.35, 1.0, false).phase, Phase::assembling);
  EXPECT_EQ(L::frame(0.55, 0.2, false).phase, Phase::settling);
  EXPECT_EQ(L::frame(2.49, 2.5, false).phase, Phase::settling);
  EXPECT_FALSE(L::frame(10, 2.5, false).showsStatus);
  EXPECT_FALSE(L::frame(10, 2.5, false).isSlow);
}

TEST(LaunchChoreographyTest, WaitingHoldsAndReduceMotionJumpsToDone) {
  auto frame = L::frame(1.0, std::nullopt, false);
  EXPECT_EQ(frame.phase, Phase::assembling);
  EXPECT_TRUE(frame.showsStatus);
  EXPECT_FALSE(frame.isSlow);
  frame = L::frame(3.0, std::nullopt, false);
  EXPECT_EQ(frame.phase, Phase::settling);
  EXPECT_TRUE(frame.isSlow);
  EXPECT_EQ(frame.progress, 1);
  EXPECT_EQ(frame.exitProgress, 0);
  EXPECT_EQ(L::dismissAt(std::nullopt, false), inf);
  // A ready time that is not a usable number is no ready time.
  for (double ready : {nan, inf, -inf}) {
    for (double t : {0.5, 1.0, 3.0, 50.0}) {
      EXPECT_EQ(L::frame(t, ready, false), L::frame(t, std::nullopt, false)) << ready << " " << t;
    }
    EXPECT_EQ(L::dismissAt(ready, true), inf);
  }
  const auto reduced = L::frame(0.3, std::nullopt, true);
  EXPECT_EQ(reduced.progress, 1);
  EXPECT_EQ(reduced.phase, Phase::settling);
  EXPECT_NEAR(L::dismissAt(-5, true), 0.7, 1e-12);
  EXPECT_NEAR(L::dismissAt(-5, false), 1.02, 1e-12);
  const auto first = L::frame(0, 0.2, true);
  EXPECT_EQ(first.phase, Phase::settling);
  EXPECT_EQ(first.assembly, 1);
  EXPECT_EQ(first.progress, 0);
  const auto last = L::frame(0.7, 0.2, true);
  EXPECT_EQ(last.phase, Phase::done);
  EXPECT_TRUE(last.isComplete);
  EXPECT_EQ(last.lockUpScale, 1.06);
}

TEST(LaunchChoreographyTest, DoneAtDismissBadTimesAndCopy) {
  for (bool reduce : {false, true}) {
    for (double ready : {-1.0, 0.2, 0.9, 1.0, 1.7, 2.5, 1e9}) {
      const double end = L::dismissAt(ready, reduce);
      EXPECT_TRUE(L::frame(end, ready, reduce).isComplete) << ready;
      EXPECT_FALSE(L::frame(std::nextafter(end, 0.0), ready, reduce).isComplete) << ready;
      for (double t : {nan, -3.0, -inf, inf}) {
        EXPECT_EQ(L::frame(t, ready, reduce), L::frame(0, ready, reduce)) << t;
      }
    }
  }
  EXPECT_EQ(LaunchCopy::markLabel(), "Kelvo is opening");
  EXPECT_EQ(LaunchCopy::status(), "Opening your library\xE2\x80\xA6");
  EXPECT_EQ(LaunchCopy::slowStatus(), "Still opening. Large libraries take a moment.");
}

}  // namespace
}  // namespace kelvo
