#include "platform/data/Value.hpp"

#include <gtest/gtest.h>

#include "tests/data/TestModel.hpp"

namespace kelvo::data {
namespace {

TEST(ValueTest, BridgesAsThePlatformDoes) {
  // Numbers read as integers always, as Booleans only for 0 and 1.
  EXPECT_EQ(Value(42).integer(), 42);
  EXPECT_EQ(Value(42).boolean(), std::nullopt);
  EXPECT_EQ(Value(-1).boolean(), std::nullopt);
  EXPECT_EQ(Value(1).boolean(), true);
  EXPECT_EQ(Value(0).boolean(), false);
  EXPECT_EQ(Value(true).integer(), 1);
  EXPECT_EQ(Value(true), Value(1));
  // Strings never read as numbers, numbers never as strings.
  EXPECT_EQ(Value("1").integer(), std::nullopt);
  EXPECT_EQ(Value("true").boolean(), std::nullopt);
  EXPECT_EQ(Value(1).string(), nullptr);
  EXPECT_EQ(*Value("text").string(), "text");
  // Every other kind reads only as itself.
  EXPECT_EQ(Value(Date(5)).date(), Date(5));
  EXPECT_EQ(Value(Date(5)).integer(), std::nullopt);
  const UUID id = UUID::random();
  EXPECT_EQ(Value(id).uuid(), id);
  EXPECT_EQ(Value(id.uuidString()).uuid(), std::nullopt);
  EXPECT_EQ(*Value(Bytes{1, 2}).bytes(), (Bytes{1, 2}));
  EXPECT_EQ(Value("ab").bytes(), nullptr);
  EXPECT_EQ(*Value(Value::StringList{"a"}).stringList(), Value::StringList{"a"});
  EXPECT_EQ(Value(Value::StringList{}).kind(), Value::Kind::stringList);
  EXPECT_EQ(Value(std::int64_t{INT64_MIN}).integer(), INT64_MIN);
}

TEST(ValueTest, ObjectsCompareByIdentityAndSetsIgnoreOrder) {
  const auto& entity = *testing::testModel()->entity("Note");
  const auto a = ManagedObject::make(entity);
  const auto b = ManagedObject::make(entity);
  EXPECT_EQ(Value(a), Value(a));
  EXPECT_NE(Value(a), Value(b));
  EXPECT_EQ(Value(a).object(), a);
  EXPECT_EQ(Value("a").object(), nullptr);
  EXPECT_EQ(Value(Value::ObjectSet{a, b}), Value(Value::ObjectSet{b, a}));
  EXPECT_NE(Value(Value::ObjectSet{a}), Value(Value::ObjectSet{a, b}));
  EXPECT_NE(Value(Value::ObjectSet{}), Value(Value::StringList{}));
  EXPECT_EQ(kindName(Value::Kind::objectSet), "set of objects");
}

}  // namespace
}  // namespace kelvo::data
