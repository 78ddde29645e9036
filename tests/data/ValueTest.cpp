#include "platform/data/Value.hpp"

#include <gtest/gtest.h>

#include "tests/data/TestModel.hpp"

namespace kelvo::data {
namespace {

TEST(ValueTest, BridgesAsThePlatformDoes) {
  // Numbers read as integers always, as Booleans only for 0 and 1.
  EXPECT_EQ(Value(std::int64_t{INT64_MIN}).integer(), INT64_MIN);
  for (const int number : {42, -1, 2}) EXPECT_EQ(Value(number).boolean(), std::nullopt);
  EXPECT_EQ(Value(0).boolean(), false);
  EXPECT_EQ(Value(true), Value(1));
  // Strings never read as numbers, numbers never as strings; other kinds only as themselves.
  EXPECT_EQ(Value("1").integer(), std::nullopt);
  EXPECT_EQ(Value("true").boolean(), std::nullopt);
  EXPECT_EQ(Value(1).string(), nullptr);
  EXPECT_EQ(Value(Date(5)).integer(), std::nullopt);
  EXPECT_EQ(Value(UUID::random().uuidString()).uuid(), std::nullopt);
  EXPECT_EQ(Value("ab").bytes(), nullptr);
}

TEST(ValueTest, ObjectsCompareByIdentityAndSetsIgnoreOrder) {
  const auto& entity = *testing::testModel()->entity("Note");
  const auto a = ManagedObject::make(entity);
  const auto b = ManagedObject::make(entity);
  EXPECT_EQ(Value(a), Value(a));
  EXPECT_NE(Value(a), Value(b));
  EXPECT_EQ(Value("a").object(), nullptr);
  EXPECT_EQ(Value(Value::ObjectSet{a, b}), Value(Value::ObjectSet{b, a}));
  EXPECT_NE(Value(Value::ObjectSet{a}), Value(Value::ObjectSet{a, b}));
  EXPECT_NE(Value(Value::ObjectSet{}), Value(Value::StringList{}));
}

}  // namespace
}  // namespace kelvo::data
