#include "core/guidance/OnboardingGate.hpp"

#include "core/guidance/internal/LaunchArguments.hpp"

namespace kelvo {

using guidance_internal::hasLaunchArgument;

OnboardingSceneSettling OnboardingSceneSettlingArguments::variant(
    const std::vector<std::string>& arguments) {
  return hasLaunchArgument(arguments, settledArgument) ? OnboardingSceneSettling::settled
                                                       : OnboardingSceneSettling::animated;
}

bool OnboardingGate::hasCompleted() const { return defaults_->boolean(completionKey); }

bool OnboardingGate::shouldShow(bool hasCompleted, const std::vector<std::string>& arguments) {
  if (hasLaunchArgument(arguments, skipArgument)) return false;
  if (hasLaunchArgument(arguments, forceArgument)) return true;
  return !hasLaunchArgument(arguments, uiTestArgument) && !hasCompleted;
}

void OnboardingGate::record(OnboardingOutcome outcome) {
  defaults_->set(completionKey, recordsCompletion(outcome));
}

void OnboardingGate::reset() { defaults_->removeObject(completionKey); }

}  // namespace kelvo
