#include "core/guidance/ReviewRequestPolicy.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using Decision = ReviewRequestPolicy::Decision;
using Context = ReviewRequestPolicy::Context;

TEST(ReviewRequestPolicyTest, DecidesOncePerVersionAndDefersWhenBusy) {
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
}

TEST(ReviewRequestPolicyTest, RemembersTheVersionInDefaults) {
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

}  // namespace
}  // namespace kelvo
