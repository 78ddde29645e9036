#include "core/design/Ossel.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace kelvo {
namespace {

using Detail = Ossel::Detail;
using Expression = Ossel::Expression;

TEST(OsselTest, ProportionsAndDetail) {
  EXPECT_DOUBLE_EQ(Ossel::aspectRatio, 0.8055555555555556);
  EXPECT_DOUBLE_EQ(Ossel::height(29), 36);
  EXPECT_DOUBLE_EQ(Ossel::width(36), 29);
  EXPECT_DOUBLE_EQ(Ossel::Face::eyeHeightFraction, 0.1527777777777778);

  EXPECT_EQ(Ossel::detail(60), Detail::full);
  EXPECT_EQ(Ossel::detail(500), Detail::full);
  EXPECT_EQ(Ossel::detail(59.99), Detail::simplified);
  EXPECT_EQ(Ossel::detail(36), Detail::simplified);
  EXPECT_EQ(Ossel::detail(35.9), Detail::minimal);
  EXPECT_EQ(Ossel::detail(-1), Detail::minimal);
  EXPECT_EQ(Ossel::detail(std::numeric_limits<double>::quiet_NaN()), Detail::minimal);
  EXPECT_EQ(Ossel::detail(std::numeric_limits<double>::infinity()), Detail::full);

  EXPECT_LT(Detail::minimal, Detail::simplified);
  EXPECT_LT(Detail::simplified, Detail::full);
  EXPECT_EQ(allCases<Detail>(), (std::array{Detail::full, Detail::simplified, Detail::minimal}));
  EXPECT_EQ(rawValue(Detail::simplified), "simplified");
  EXPECT_EQ(fromRawValue<Detail>("minimal"), Detail::minimal);
  EXPECT_TRUE(showsMouth(Detail::full));
  EXPECT_TRUE(showsMouth(Detail::simplified));
  EXPECT_FALSE(showsMouth(Detail::minimal));
  EXPECT_TRUE(showsHighlight(Detail::full));
  EXPECT_FALSE(showsHighlight(Detail::simplified));
}

TEST(OsselTest, Expressions) {
  const auto& expressions = allCases<Expression>();
  ASSERT_EQ(expressions.size(), 6u);
  EXPECT_EQ(expressions.front(), Expression::idle);
  EXPECT_EQ(expressions.back(), Expression::working);
  EXPECT_EQ(rawValue(Expression::bouncing), "bouncing");
  EXPECT_FALSE(fromRawValue<Expression>("Waving"));

  EXPECT_EQ(mouthShape(Expression::catching), Ossel::MouthShape::open);
  EXPECT_EQ(mouthShape(Expression::working), Ossel::MouthShape::neutral);
  EXPECT_EQ(mouthShape(Expression::winking), Ossel::MouthShape::smile);
  EXPECT_EQ(duration(Expression::idle), 0.0);
  EXPECT_EQ(duration(Expression::waving), 1.2);
  EXPECT_EQ(duration(Expression::bouncing), 0.9);
  EXPECT_EQ(duration(Expression::working), 1.4);
  int throttled = 0;
  for (const Expression expression : expressions) {
    throttled += isThrottledAntic(expression);
    EXPECT_EQ(hasOpenMouth(expression), expression == Expression::catching);
    EXPECT_EQ(suppressesBlink(expression), expression == Expression::working);
    EXPECT_EQ(showsMouthRegardlessOfDetail(expression), expression == Expression::working);
  }
  EXPECT_EQ(throttled, 3);
  EXPECT_TRUE(isThrottledAntic(Expression::winking));
  EXPECT_FALSE(isThrottledAntic(Expression::catching));

  EXPECT_NE(Ossel::Timing::leftEyeBlinkInterval, Ossel::Timing::rightEyeBlinkInterval);
  EXPECT_EQ(Ossel::Timing::bounceRiseScale.y, 1.1);
  EXPECT_EQ(Ossel::Timing::bounceLandScale.x, 1.08);
  EXPECT_EQ(Ossel::Timing::minimumAnticInterval, 10.0);
}

}  // namespace
}  // namespace kelvo
