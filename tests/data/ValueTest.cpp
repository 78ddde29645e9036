#include "platform/data/Value.hpp"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

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

// Values of every kind, short and long texts among them, copied, moved, swapped and compared at
// random, must stay what the same steps make of a variant of the same kinds.
TEST(ValueTest, EveryKindCopiesMovesAndComparesAsAVariantWould) {
  using Plain = std::variant<std::string, std::int64_t, Date, UUID, Bytes, Value::StringList,
                             Value::Object, Value::ObjectSet>;
  const auto& entity = *testing::testModel()->entity("Note");
  const Value::Object objects[] = {ManagedObject::make(entity), ManagedObject::make(entity)};
  std::mt19937 random(11);
  const auto text = [&] {
    return std::string(random() % 3 == 0 ? 40 : random() % 16, 'a' + random() % 3);
  };
  const auto make = [&]() -> std::pair<Value, Plain> {
    switch (random() % 8) {
      case 0: {
        const std::string t = text();
        return {Value(t), t};
      }
      case 1: {
        const auto n = static_cast<std::int64_t>(random() % 3) - 1;
        return {Value(n), n};
      }
      case 2: {
        const Date date(random() % 3);
        return {Value(date), date};
      }
      case 3: {
        const UUID id = random() % 2 ? UUID() : UUID::random();
        return {Value(id), id};
      }
      case 4: {
        const Bytes bytes(random() % 40, 7);
        return {Value(bytes), bytes};
      }
      case 5: {
        const Value::StringList list{text(), text()};
        return {Value(list), list};
      }
      case 6: {
        const auto& object = objects[random() % 2];
        return {Value(object), object};
      }
      default: {
        const Value::ObjectSet set{objects[random() % 2]};
        return {Value(set), set};
      }
    }
  };
  const auto same = [](const Value& value, const Plain& plain) {
    if (value.kind() != static_cast<Value::Kind>(plain.index())) return false;
    switch (value.kind()) {
      case Value::Kind::string:
        return *value.string() == std::get<std::string>(plain);
      case Value::Kind::number:
        return value.integer() == std::get<std::int64_t>(plain);
      case Value::Kind::date:
        return value.date() == std::get<Date>(plain);
      case Value::Kind::uuid:
        return value.uuid() == std::get<UUID>(plain);
      case Value::Kind::bytes:
        return *value.bytes() == std::get<Bytes>(plain);
      case Value::Kind::stringList:
        return *value.stringList() == std::get<Value::StringList>(plain);
      case Value::Kind::object:
        return value.object() == std::get<Value::Object>(plain);
      case Value::Kind::objectSet:
        return *value.objectSet() == std::get<Value::ObjectSet>(plain);
    }
    return false;
  };
  // Object sets are equal as sets; everything else as the variant's values.
  const auto equal = [](const Plain& a, const Plain& b) {
    const auto* x = std::get_if<Value::ObjectSet>(&a);
    const auto* y = std::get_if<Value::ObjectSet>(&b);
    if (x == nullptr || y == nullptr) return a == b;
    const std::set<Value::Object> xs(x->begin(), x->end()), ys(y->begin(), y->end());
    return xs == ys;
  };
  std::vector<std::pair<Value, Plain>> held;
  for (int i = 0; i < 4; ++i) held.push_back(make());
  for (int step = 0; step < 20'000; ++step) {
    auto& [value, plain] = held[random() % held.size()];
    auto& [other, otherPlain] = held[random() % held.size()];
    switch (random() % 6) {
      case 0:
        value = other, plain = otherPlain;
        break;
      case 1:
        if (&value != &other) value = std::move(other), plain = std::move(otherPlain);
        break;
      case 2:
        std::swap(value, other), std::swap(plain, otherPlain);
        break;
      case 3: {
        auto made = make();
        value = std::move(made.first), plain = std::move(made.second);
        break;
      }
      case 4: {
        Value copy(value);
        Value moved(std::move(copy));
        value = moved;
        break;
      }
      default:
        ASSERT_EQ(value == other, equal(plain, otherPlain)) << step;
    }
    for (const auto& [v, p] : held) ASSERT_TRUE(same(v, p)) << step;
  }
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
