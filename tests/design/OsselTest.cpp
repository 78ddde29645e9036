#include <gtest/gtest.h>

#include <limits>

#include "core/design/Ossel.hpp"
#include "core/design/OsselAnticPolicy.hpp"

namespace kelvo {
namespace {

using Detail = Ossel::Detail;
using Expression = Ossel::Expression;

TEST(OsselTest, ProportionsAndDetail) {
  EXPECT_DOUBLE_EQ(Ossel::height(29), 36);
  EXPECT_EQ(Ossel::detail(60), Detail::full);
  EXPECT_EQ(Ossel::detail(59.99), Detail::simplified);
  EXPECT_EQ(Ossel::detail(36), Detail::simplified);
  EXPECT_EQ(Ossel::detail(35.9), Detail::minimal);
  EXPECT_EQ(Ossel::detail(std::numeric_limits<double>::quiet_NaN()), Detail::minimal);
  EXPECT_EQ(Ossel::detail(std::numeric_limits<double>::infinity()), Detail::full);
  EXPECT_FALSE(showsMouth(Detail::minimal));
  EXPECT_FALSE(showsHighlight(Detail::simplified));
}

TEST(OsselTest, Expressions) {
  const auto& expressions = allCases<Expression>();
  ASSERT_EQ(expressions.size(), 6u);
  EXPECT_EQ(expressions.back(), Expression::working);
  EXPECT_FALSE(fromRawValue<Expression>("Waving"));
  EXPECT_EQ(mouthShape(Expression::winking), Ossel::MouthShape::smile);
  EXPECT_EQ(duration(Expression::waving), 1.2);
  int throttled = 0;
  for (const Expression expression : expressions) throttled += isThrottledAntic(expression);
  EXPECT_EQ(throttled, 3);
  EXPECT_NE(Ossel::Timing::leftEyeBlinkInterval, Ossel::Timing::rightEyeBlinkInterval);
}

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
