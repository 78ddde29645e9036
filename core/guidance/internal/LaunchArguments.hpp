// Internal to core/guidance: include "core/guidance/OnboardingGate.hpp" or
// "core/guidance/ReviewRequestPolicy.hpp" instead.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo::guidance_internal {

/// Whether `argument` is one of the launch arguments, as a whole string.
inline bool hasLaunchArgument(const std::vector<std::string>& arguments,
                              std::string_view argument) {
  return std::find(arguments.begin(), arguments.end(), argument) != arguments.end();
}

}  // namespace kelvo::guidance_internal
