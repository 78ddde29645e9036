#include "platform/data/PropertyDescription.hpp"

#include "platform/data/ValueTransformer.hpp"

namespace kelvo::data {

int rawValue(AttributeType type) {
  for (const auto& info : attributeTypes) {
    if (info.type == type) return info.rawValue;
  }
  return 0;
}

std::optional<AttributeType> attributeTypeFromRawValue(int rawValue) {
  for (const auto& info : attributeTypes) {
    if (info.rawValue == rawValue) return info.type;
  }
  return std::nullopt;
}

std::string_view name(AttributeType type) {
  for (const auto& info : attributeTypes) {
    if (info.type == type) return info.name;
  }
  return "";
}

int rawValue(DeleteRule) { return 1; }

bool fitsAttribute(const AttributeDescription& attribute, const Value& value) {
  switch (attribute.type) {
    case AttributeType::uuid:
      return value.kind() == Value::Kind::uuid;
    case AttributeType::string:
      return value.kind() == Value::Kind::string;
    case AttributeType::integer64:
      return value.kind() == Value::Kind::number;
    case AttributeType::boolean:
      return value.boolean().has_value();
    case AttributeType::date:
      return value.kind() == Value::Kind::date;
    case AttributeType::binaryData:
      return value.kind() == Value::Kind::bytes;
    case AttributeType::transformable: {
      const auto* transformer = ValueTransformer::named(attribute.valueTransformerName);
      return transformer != nullptr && transformer->accepts(value);
    }
  }
  return false;
}

}  // namespace kelvo::data
