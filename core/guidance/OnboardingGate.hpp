#pragma once

// Whether the first-run tour shows at launch, the completion flag it leaves in the settings, and
// the ways a tour ends. A tour completed at first launch hands over to capture:
//
//   UserDefaults defaults;  // UserDefaults::standard() in the application
//   OnboardingGate gate(defaults, /*arguments=*/{});
//   const auto launch = OnboardingPresentationTrigger::launch;
//   const bool present = shouldPresent(launch, gate.shouldShow());  // true: never completed
//   gate.record(OnboardingOutcome::completed);
//   const bool capture = shouldHandOverToCapture(launch, OnboardingOutcome::completed);  // true
//   const bool again = gate.shouldShow();  // false

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/foundation/RawValues.hpp"
#include "platform/foundation/UserDefaults.hpp"

namespace kelvo {

/// How a tour ended.
enum class OnboardingOutcome : std::uint8_t {
  /// The end was reached without a card of the user's own.
  completed,
  /// The tour ended with a card already kept.
  completedWithCard,
  skipped,
};

template <>
struct RawValues<OnboardingOutcome> {
  static constexpr std::array<std::pair<OnboardingOutcome, std::string_view>, 3> table{{
      {OnboardingOutcome::completed, "completed"},
      {OnboardingOutcome::completedWithCard, "completedWithCard"},
      {OnboardingOutcome::skipped, "skipped"},
  }};
};

/// Whether the host opens the capture sheet after the tour.
constexpr bool opensCapture(OnboardingOutcome outcome) {
  return outcome == OnboardingOutcome::completed;
}
/// Every ending counts as done, a skipped tour included.
constexpr bool recordsCompletion(OnboardingOutcome) { return true; }

/// Why the tour is on screen.
enum class OnboardingPresentationTrigger : std::uint8_t { launch, replay };

/// A replay always presents; a launch presents when the gate says so.
constexpr bool shouldPresent(OnboardingPresentationTrigger trigger, bool launchShouldShow) {
  return trigger == OnboardingPresentationTrigger::replay || launchShouldShow;
}
/// Only a launch tour that was completed without a card hands over to capture.
constexpr bool shouldHandOverToCapture(OnboardingPresentationTrigger trigger,
                                       OnboardingOutcome outcome) {
  return trigger == OnboardingPresentationTrigger::launch &&
         outcome == OnboardingOutcome::completed;
}

/// How the tour's opening scene starts.
enum class OnboardingSceneSettling : std::uint8_t { animated, settled };

template <>
struct RawValues<OnboardingSceneSettling> {
  static constexpr std::array<std::pair<OnboardingSceneSettling, std::string_view>, 2> table{{
      {OnboardingSceneSettling::animated, "animated"},
      {OnboardingSceneSettling::settled, "settled"},
  }};
};

constexpr bool playsSequence(OnboardingSceneSettling settling) {
  return settling == OnboardingSceneSettling::animated;
}

struct OnboardingSceneSettlingArguments {
  static constexpr std::string_view settledArgument = "-KelvoOnboardingSettled";
  /// `settled` when the launch arguments hold `settledArgument`.
  static OnboardingSceneSettling variant(const std::vector<std::string>& arguments);
};

class OnboardingGate {
 public:
  static constexpr std::string_view completionKey = "kelvo.onboarding.completed";
  static constexpr std::string_view skipArgument = "-KelvoSkipOnboarding";
  static constexpr std::string_view forceArgument = "-KelvoForceOnboarding";
  static constexpr std::string_view uiTestArgument = "-KelvoUITests";

  /// `defaults` must outlive the gate.
  OnboardingGate(UserDefaults& defaults, std::vector<std::string> arguments)
      : defaults_(&defaults), arguments_(std::move(arguments)) {}

  UserDefaults& defaults() const { return *defaults_; }
  const std::vector<std::string>& arguments() const { return arguments_; }

  bool hasCompleted() const;
  /// Skipping beats forcing; forcing beats the completion flag and the interface-run marker.
  static bool shouldShow(bool hasCompleted, const std::vector<std::string>& arguments);
  bool shouldShow() const { return shouldShow(hasCompleted(), arguments_); }
  /// Marks the tour done, whatever the outcome.
  void record(OnboardingOutcome outcome);
  /// Forgets completion, so that the tour shows at the next launch.
  void reset();

 private:
  UserDefaults* defaults_;
  std::vector<std::string> arguments_;
};

}  // namespace kelvo
