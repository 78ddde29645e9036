#include "core/design/Ossel.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace kelvo {
namespace {

using Detail = Ossel::Detail;
using Expression = Ossel::Expression;

TEST(OsselTest, ProportionsAndDetail) {
  EXPECT_DOUBLE_EQ(Ossel::height(29), 36);
  EXPECT_DOUBLE_EQ(Ossel::width(36), 29);

  EXPECT_EQ(Ossel::detail(60), Detail::full);
  EXPECT_EQ(Ossel::detail(59.99), Detail::simplified);
  EXPECT_EQ(Ossel::detail(36), Detail::simplified);
  EXPECT_EQ(Ossel::detail(35.9), Detail::minimal);
  EXPECT_EQ(Ossel::detail(-1), Detail::minimal);
  EXPECT_EQ(Ossel::detail(std::numeric_limits<double>::quiet_NaN()), Detail::minimal);
  EXPECT_EQ(Ossel::detail(std::numeric_limits<double>::infinity()), Detail::full);

  EXPECT_TRUE(showsMouth(Detail::simplified));
  EXPECT_FALSE(showsMouth(Detail::minimal));
  EXPECT_TRUE(showsHighlight(Detail::full));
  EXPECT_FALSE(showsHighlight(Detail::simplified));
}

TEST(OsselTest, Expressions) {
  const auto& expressions = allCases<Expression>();
  ASSERT_EQ(expressions.size(), 6u);
  EXPECT_EQ(expressions.back(), Expression::working);
  EXPECT_FALSE(fromRawValue<Expression>("Waving"));

  EXPECT_EQ(mouthShape(Expression::working), Ossel::MouthShape::neutral);
  EXPECT_EQ(mouthShape(Expression::winking), Ossel::MouthShape::smile);
  EXPECT_EQ(duration(Expression::waving), 1.2);
  EXPECT_EQ(duration(Expression::bouncing), 0.9);
  int throttled = 0;
  for (const Expression expression : expressions) {
    throttled += isThrottledAntic(expression);
    EXPECT_EQ(hasOpenMouth(expression), expression == Expression::catching);
    EXPECT_EQ(suppressesBlink(expression), expression == Expression::working);
    EXPECT_EQ(showsMouthRegardlessOfDetail(expression), expression == Expression::working);
  }
  EXPECT_EQ(throttled, 3);
  EXPECT_NE(Ossel::Timing::leftEyeBlinkInterval, Ossel::Timing::rightEyeBlinkInterval);
}

}  // namespace
}  // namespace kelvo
