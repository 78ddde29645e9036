#include "core/guidance/ReviewRequestPolicy.hpp"

#include "core/guidance/internal/LaunchArguments.hpp"

namespace kelvo {

std::optional<std::string> ReviewRequestPolicy::lastAskedVersion() const {
  return defaults_->string(lastAskedVersionKey);
}

ReviewRequestPolicy::Decision ReviewRequestPolicy::decision(std::string_view currentAppVersion,
                                                            const Context& context) const {
  return decision(currentAppVersion, lastAskedVersion(), context, arguments_);
}

ReviewRequestPolicy::Decision ReviewRequestPolicy::decision(
    std::string_view currentAppVersion, const std::optional<std::string>& lastAskedVersion,
    const Context& context, const std::vector<std::string>& arguments) {
  using guidance_internal::hasLaunchArgument;
  if (hasLaunchArgument(arguments, uiTestArgument) &&
      !hasLaunchArgument(arguments, allowUITestArgument)) {
    return Decision::never;
  }
  // Versions are only ever compared for equality: a newer or older one counts as not asked.
  if (lastAskedVersion && *lastAskedVersion == currentAppVersion) return Decision::never;
  if (context.isBlocked()) return Decision::deferred;
  return Decision::ask;
}

void ReviewRequestPolicy::recordAsked(std::string_view version) {
  defaults_->set(lastAskedVersionKey, version);
}

void ReviewRequestPolicy::reset() { defaults_->removeObject(lastAskedVersionKey); }

}  // namespace kelvo
