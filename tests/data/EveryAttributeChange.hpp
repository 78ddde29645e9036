#pragma once

// A check that every attribute of a model, of every type, reaches the disk when it alone
// changes on a stored object, and that a rollback takes every change back.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/data/Container.hpp"
#include "tests/data/TestModel.hpp"

namespace kelvo::data::testing {

// A value of the attribute's type that differs from `current`; `round` varies it.
inline Value changedValue(const AttributeDescription& attribute,
                          const std::optional<Value>& current, int round) {
  for (int shift = 0;; shift += 1000) {
    const int n = round + shift;
    std::optional<Value> value;
    switch (attribute.type) {
      case AttributeType::uuid:
        value = Value(UUID::random());
        break;
      case AttributeType::string:
        value = Value("r" + std::to_string(n) + " \u2713 " + attribute.name);
        break;
      case AttributeType::integer64:
        value = Value(std::int64_t{n} * 1'000'003 - 7);
        break;
      case AttributeType::boolean:
        value = Value(!(current && current->boolean() == true));
        break;
      case AttributeType::date:
        value = Value(Date(700'000'000.25 + n));
        break;
      case AttributeType::binaryData:
        value = Value(Bytes{0, static_cast<std::uint8_t>(n), 255});
        break;
      case AttributeType::transformable:
        value = Value(Value::StringList{"r" + std::to_string(n), "a/b"});
        break;
    }
    if (value != current) return *value;
  }
}

// Every attribute's value of every object of `entity`, by object key order of the fetch.
inline std::vector<std::map<std::string, std::optional<Value>>> valuesOf(
    Context& context, const EntityDescription& entity) {
  std::vector<std::map<std::string, std::optional<Value>>> values;
  for (const auto& object : context.fetch(entity.name())) {
    auto& row = values.emplace_back();
    for (const auto& attribute : entity.attributes())
      row[attribute.name] = object->value(attribute.name);
  }
  return values;
}

// Against a fresh store at `url`: one object per entity, then each attribute of each changed
// alone, saved and read back from the store opened again; then all changed and rolled back.
inline void expectEveryAttributeChangeSaved(const std::shared_ptr<const Model>& model,
                                            const std::filesystem::path& url) {
  int round = 0;
  std::set<AttributeType> types;
  {
    auto container = openContainer(url, model);
    for (const auto& entity : model->entities()) {
      auto object = ManagedObject::make(*entity, &container->viewContext());
      for (const auto& attribute : entity->attributes()) {
        object->setValue(attribute.name, changedValue(attribute, std::nullopt, ++round));
      }
    }
    container->viewContext().save();
  }
  for (const auto& entity : model->entities()) {
    for (const auto& attribute : entity->attributes()) {
      types.insert(attribute.type);
      std::vector<std::map<std::string, std::optional<Value>>> expected;
      {
        auto container = openContainer(url, model);
        Context& context = container->viewContext();
        for (const auto& object : context.fetch(entity->name())) {
          object->setValue(attribute.name,
                           changedValue(attribute, object->value(attribute.name), ++round));
        }
        expected = valuesOf(context, *entity);
        context.save();
      }
      auto container = openContainer(url, model);
      EXPECT_EQ(valuesOf(container->viewContext(), *entity), expected)
          << entity->name() << "." << attribute.name << " changed alone";
    }
  }
  for (const auto& info : attributeTypes) {
    EXPECT_TRUE(types.contains(info.type)) << "no attribute of type " << info.name;
  }

  auto container = openContainer(url, model);
  Context& context = container->viewContext();
  for (const auto& entity : model->entities()) {
    const auto stored = valuesOf(context, *entity);
    for (const auto& object : context.fetch(entity->name())) {
      for (const auto& attribute : entity->attributes()) {
        object->setValue(attribute.name,
                         changedValue(attribute, object->value(attribute.name), ++round));
      }
    }
    EXPECT_NE(valuesOf(context, *entity), stored) << entity->name();
    context.rollback();
    EXPECT_FALSE(context.hasChanges());
    EXPECT_EQ(valuesOf(context, *entity), stored) << entity->name() << " after the rollback";
    auto reopened = openContainer(url, model);
    EXPECT_EQ(valuesOf(reopened->viewContext(), *entity), stored) << entity->name();
  }
  // All at once, saved.
  for (const auto& entity : model->entities()) {
    for (const auto& object : context.fetch(entity->name())) {
      for (const auto& attribute : entity->attributes()) {
        object->setValue(attribute.name,
                         changedValue(attribute, object->value(attribute.name), ++round));
      }
    }
  }
  context.save();
  auto reopened = openContainer(url, model);
  for (const auto& entity : model->entities()) {
    EXPECT_EQ(valuesOf(reopened->viewContext(), *entity), valuesOf(context, *entity))
        << entity->name() << " changed whole";
  }
}

}  // namespace kelvo::data::testing
