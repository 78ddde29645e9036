#include "core/model/ManagedObjectValues.hpp"

namespace kelvo {
namespace {

template <class T>
std::optional<T> convert(const data::Value& value);

template <>
std::optional<std::string> convert(const data::Value& value) {
  if (const auto* text = value.string()) return *text;
  return std::nullopt;
}

template <>
std::optional<std::int64_t> convert(const data::Value& value) {
  return value.integer();
}

template <>
std::optional<bool> convert(const data::Value& value) {
  return value.boolean();
}

template <>
std::optional<UUID> convert(const data::Value& value) {
  return value.uuid();
}

template <>
std::optional<Date> convert(const data::Value& value) {
  return value.date();
}

template <>
std::optional<data::Bytes> convert(const data::Value& value) {
  if (const auto* bytes = value.bytes()) return *bytes;
  return std::nullopt;
}

template <>
std::optional<std::vector<std::string>> convert(const data::Value& value) {
  if (const auto* list = value.stringList()) return *list;
  return std::nullopt;
}

}  // namespace

template <class T>
std::optional<T> optionalValue(const data::ManagedObject& object, std::string_view key) {
  const std::optional<data::Value> stored = object.value(key);
  if (!stored) return std::nullopt;
  return convert<T>(*stored);
}

template std::optional<std::string> optionalValue(const data::ManagedObject&, std::string_view);
template std::optional<std::int64_t> optionalValue(const data::ManagedObject&, std::string_view);
template std::optional<bool> optionalValue(const data::ManagedObject&, std::string_view);
template std::optional<UUID> optionalValue(const data::ManagedObject&, std::string_view);
template std::optional<Date> optionalValue(const data::ManagedObject&, std::string_view);
template std::optional<data::Bytes> optionalValue(const data::ManagedObject&, std::string_view);
template std::optional<std::vector<std::string>> optionalValue(const data::ManagedObject&,
                                                               std::string_view);

}  // namespace kelvo
