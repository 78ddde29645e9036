#include "core/design/OsselAnticPolicy.hpp"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

using Expression = Ossel::Expression;

TEST(OsselAnticPolicyTest, ThrottledAnticsWaitTenSeconds) {
  const Date start(1000);
  OsselAnticPolicy policy;
  EXPECT_TRUE(policy.allows(Expression::waving, start, false));
  EXPECT_EQ(policy.cooldownRemaining(start), 0.0);

  policy.record(Expression::waving, start);
  EXPECT_EQ(policy.lastAnticAt, start);
  const Date soon = start + 9.9;
  EXPECT_FALSE(policy.allows(Expression::waving, soon, false));
  EXPECT_FALSE(policy.allows(Expression::bouncing, soon, false));
  EXPECT_FALSE(policy.allows(Expression::winking, soon, false));
  EXPECT_NEAR(policy.cooldownRemaining(soon), 0.1, 1e-9);
  EXPECT_TRUE(policy.allows(Expression::catching, soon, false));
  EXPECT_TRUE(policy.allows(Expression::working, soon, false));

  EXPECT_TRUE(policy.allows(Expression::waving, start + 10, false));
  EXPECT_EQ(policy.cooldownRemaining(start + 10), 0.0);
  EXPECT_EQ(policy.cooldownRemaining(start + 100), 0.0);
}

TEST(OsselAnticPolicyTest, TypingRefusesAllButIdle) {
  const OsselAnticPolicy policy;
  const Date now(0);
  EXPECT_TRUE(policy.allows(Expression::idle, now, true));
  for (const Expression expression :
       {Expression::waving, Expression::catching, Expression::bouncing, Expression::winking,
        Expression::working}) {
    EXPECT_FALSE(policy.allows(expression, now, true)) << rawValue(expression);
    EXPECT_TRUE(policy.allows(expression, now, false)) << rawValue(expression);
  }
}

TEST(OsselAnticPolicyTest, OnlyThrottledAnticsStartACooldown) {
  OsselAnticPolicy policy;
  const Date now(50);
  for (const Expression expression :
       {Expression::idle, Expression::catching, Expression::working}) {
    policy.record(expression, now);
    EXPECT_EQ(policy, OsselAnticPolicy{}) << rawValue(expression);
  }
  policy.record(Expression::winking, now);
  policy.record(Expression::working, now + 5);
  EXPECT_EQ(policy.lastAnticAt, now);
  EXPECT_EQ(policy.cooldownRemaining(now + 5), 5.0);
}

}  // namespace
}  // namespace kelvo
