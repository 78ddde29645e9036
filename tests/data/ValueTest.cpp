#include "platform/data/Value.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>

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
// A slot keeps its empty state inside the value. Random steps on two of them must leave them
// as two optional strings taking the same steps.
TEST(ValueTest, SlotsBehaveAsOptionalValues) {
  using Plain = std::optional<std::string>;
  ValueSlot slots[2];
  Plain plain[2];
  std::mt19937 random(7);
  for (int step = 0; step < 5000; ++step) {
    const std::size_t i = random() % 2;
    const std::string text(random() % 40, static_cast<char>('a' + random() % 26));
    const Plain given = random() % 3 == 0 ? Plain() : Plain(text);
    switch (random() % 6) {
      case 0:
        slots[i] = std::nullopt, plain[i] = std::nullopt;
        break;
      case 1:
        slots[i] = Value(text), plain[i] = text;
        break;
      case 2:
        slots[i] = slots[1 - i], plain[i] = plain[1 - i];
        break;
      case 3:
        slots[i] = std::move(slots[1 - i]), plain[i] = std::move(plain[1 - i]);
        break;
      case 4:
        std::swap(slots[0], slots[1]), std::swap(plain[0], plain[1]);
        break;
      default:
        slots[i] = given ? std::optional<Value>(*given) : std::nullopt, plain[i] = given;
    }
    for (std::size_t j = 0; j < 2; ++j) {
      ASSERT_EQ(slots[j].has_value(), plain[j].has_value()) << step;
      ASSERT_EQ(slots[j].get() == nullptr, !plain[j]) << step;
      const std::optional<Value> expected =
          plain[j] ? std::optional<Value>(*plain[j]) : std::nullopt;
      ASSERT_EQ(slots[j].optional(), expected) << step;
      ASSERT_TRUE(slots[j] == expected) << step;
    }
    ASSERT_EQ(slots[0] == slots[1], plain[0] == plain[1]) << step;
  }
  static_assert(sizeof(ValueSlot) == sizeof(Value));
}

}  // namespace kelvo::data
