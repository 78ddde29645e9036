#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/data/Value.hpp"

namespace kelvo::data {

/// The type of an attribute, with its numeric code.
enum class AttributeType { uuid, string, integer64, boolean, date, binaryData, transformable };

/// Every attribute type, with its code and its name.
struct AttributeTypeInfo {
  AttributeType type;
  int rawValue;
  std::string_view name;
};
inline constexpr std::array<AttributeTypeInfo, 7> attributeTypes{{
    {AttributeType::uuid, 1100, "UUID"},
    {AttributeType::string, 700, "String"},
    {AttributeType::integer64, 300, "Integer 64"},
    {AttributeType::boolean, 800, "Boolean"},
    {AttributeType::date, 900, "Date"},
    {AttributeType::binaryData, 1000, "Binary data"},
    {AttributeType::transformable, 1800, "Transformable"},
}};

int rawValue(AttributeType type);
std::optional<AttributeType> attributeTypeFromRawValue(int rawValue);
std::string_view name(AttributeType type);

/// One attribute of an entity. A default is a fixed value, computed once when the model is
/// built; every object created without a value for the attribute receives that same value.
struct AttributeDescription {
  AttributeDescription(std::string attributeName, AttributeType attributeType, bool optional = true,
                       std::optional<Value> defaultTo = std::nullopt)
      : name(std::move(attributeName)),
        type(attributeType),
        isOptional(optional),
        defaultValue(std::move(defaultTo)) {}

  std::string name;
  AttributeType type;
  bool isOptional;
  std::optional<Value> defaultValue;
  /// The store may keep a large value outside its row. This store keeps every value in its row.
  bool allowsExternalBinaryDataStorage = false;
  /// For transformable attributes: the name of the `ValueTransformer` that stores the value.
  std::string valueTransformerName;
};

/// What deleting an object does to the objects at the other end of a relationship.
enum class DeleteRule { nullify };
/// The delete rule's numeric code (nullify: 1).
int rawValue(DeleteRule rule);

/// One relationship of an entity. Every relationship has an inverse, and of the two ends exactly
/// one is to-one: the to-one end is stored as a foreign key, the to-many end is an unordered set.
struct RelationshipDescription {
  RelationshipDescription(std::string relationshipName, std::string destination,
                          std::size_t minimum, std::size_t maximum, std::string inverse)
      : name(std::move(relationshipName)),
        destinationEntityName(std::move(destination)),
        minCount(minimum),
        maxCount(maximum),
        inverseName(std::move(inverse)) {}

  std::string name;
  std::string destinationEntityName;
  std::size_t minCount;
  /// 1 for a to-one relationship; 0 means unbounded (to-many).
  std::size_t maxCount;
  std::string inverseName;
  DeleteRule deleteRule = DeleteRule::nullify;
  bool isOptional = true;

  bool isToMany() const { return maxCount != 1; }
};

/// Whether `value` is of the attribute's type, as a save requires: a string for String, a number
/// for Integer 64, a number 0 or 1 for Boolean, a value its transformer takes for Transformable.
bool fitsAttribute(const AttributeDescription& attribute, const Value& value);

}  // namespace kelvo::data
