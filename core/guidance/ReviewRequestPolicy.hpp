#pragma once

// Whether to ask for a store review now: at most once per app version, never in an automated
// interface run unless it allows it, and put off while the user is busy. The version asked in is
// kept in the settings:
//
//   UserDefaults defaults;  // UserDefaults::standard() in the application
//   ReviewRequestPolicy policy(defaults, /*arguments=*/{});
//   const ReviewRequestPolicy::Context idle;  // no sheet, no typing, no tour
//   const auto first = policy.decision("5.1", idle);  // ask
//   policy.recordAsked("5.1");
//   const auto again = policy.decision("5.1", idle);  // never: once a version

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/UserDefaults.hpp"

namespace kelvo {

class ReviewRequestPolicy {
 public:
  static constexpr std::string_view lastAskedVersionKey = "kelvo.review.lastAskedVersion";
  static constexpr std::string_view uiTestArgument = "-KelvoUITests";
  static constexpr std::string_view allowUITestArgument = "-KelvoAllowReviewRequest";

  enum class Decision : std::uint8_t {
    ask,
    /// The moment is wrong; ask the policy again later.
    deferred,
    never,
  };

  /// What the user is doing at the moment.
  struct Context {
    bool isOnboardingPresented = false;
    bool isSheetPresented = false;
    bool isTextFieldFocused = false;

    bool isBlocked() const {
      return isOnboardingPresented || isSheetPresented || isTextFieldFocused;
    }
    friend bool operator==(const Context&, const Context&) = default;
  };

  /// `defaults` must outlive the policy.
  ReviewRequestPolicy(UserDefaults& defaults, std::vector<std::string> arguments)
      : defaults_(&defaults), arguments_(std::move(arguments)) {}

  UserDefaults& defaults() const { return *defaults_; }
  const std::vector<std::string>& arguments() const { return arguments_; }

  /// The version last asked in; none when never asked or when the stored value is no string.
  std::optional<std::string> lastAskedVersion() const;
  Decision decision(std::string_view currentAppVersion, const Context& context) const;
  static Decision decision(std::string_view currentAppVersion,
                           const std::optional<std::string>& lastAskedVersion,
                           const Context& context, const std::vector<std::string>& arguments);
  void recordAsked(std::string_view version);
  /// Forgets the last request, so that the next decision treats the app as never asked.
  void reset();

 private:
  UserDefaults* defaults_;
  std::vector<std::string> arguments_;
};

}  // namespace kelvo
