#include "core/design/OsselAnticPolicy.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using Expression = Ossel::Expression;

TEST(OsselAnticPolicyTest, ThrottledAnticsWaitTenSeconds) {
  const Date start(1000);
  OsselAnticPolicy policy;
  EXPECT_EQ(policy.cooldownRemaining(start), 0.0);
  policy.record(Expression::waving, start);
  const Date soon = start + 9.9;
  EXPECT_FALSE(policy.allows(Expression::waving, soon, false));
  EXPECT_FALSE(policy.allows(Expression::winking, soon, false));
  EXPECT_NEAR(policy.cooldownRemaining(soon), 0.1, 1e-9);
  EXPECT_TRUE(policy.allows(Expression::catching, soon, false));
  EXPECT_TRUE(policy.allows(Expression::waving, start + 10, false));
  EXPECT_EQ(policy.cooldownRemaining(start + 100), 0.0);

  // Only throttled antics start a cooldown.
  OsselAnticPolicy quiet;
  for (const Expression expression :
       {Expression::idle, Expression::catching, Expression::working}) {
    quiet.record(expression, start);
    EXPECT_EQ(quiet, OsselAnticPolicy{}) << rawValue(expression);
  }
}

TEST(OsselAnticPolicyTest, TypingRefusesAllButIdle) {
  const OsselAnticPolicy policy;
  const Date now(0);
  EXPECT_TRUE(policy.allows(Expression::idle, now, true));
  for (const Expression expression :
       {Expression::waving, Expression::catching, Expression::bouncing, Expression::working}) {
    EXPECT_FALSE(policy.allows(expression, now, true)) << rawValue(expression);
    EXPECT_TRUE(policy.allows(expression, now, false)) << rawValue(expression);
  }
}

}  // namespace
}  // namespace kelvo
