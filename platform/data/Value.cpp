#include "platform/data/Value.hpp"

#include <algorithm>
#include <functional>

namespace kelvo::data {

std::optional<std::int64_t> Value::integer() const {
  if (const auto* number = std::get_if<std::int64_t>(&storage_)) return *number;
  return std::nullopt;
}

std::optional<bool> Value::boolean() const {
  const auto* number = std::get_if<std::int64_t>(&storage_);
  if (number == nullptr || (*number != 0 && *number != 1)) return std::nullopt;
  return *number == 1;
}

std::optional<Date> Value::date() const {
  if (const auto* date = std::get_if<Date>(&storage_)) return *date;
  return std::nullopt;
}

std::optional<UUID> Value::uuid() const {
  if (const auto* id = std::get_if<UUID>(&storage_)) return *id;
  return std::nullopt;
}

Value::Object Value::object() const {
  if (const auto* object = std::get_if<Object>(&storage_)) return *object;
  return nullptr;
}

namespace {

std::vector<const ManagedObject*> identities(const Value::ObjectSet& objects) {
  std::vector<const ManagedObject*> pointers;
  pointers.reserve(objects.size());
  for (const auto& object : objects) pointers.push_back(object.get());
  std::sort(pointers.begin(), pointers.end(), std::less<>());
  pointers.erase(std::unique(pointers.begin(), pointers.end()), pointers.end());
  return pointers;
}

}  // namespace

bool operator==(const Value& a, const Value& b) {
  if (a.storage_.index() != b.storage_.index()) return false;
  if (const auto* objects = a.objectSet())
    return identities(*objects) == identities(*b.objectSet());
  return a.storage_ == b.storage_;
}

std::string_view kindName(Value::Kind kind) {
  switch (kind) {
    case Value::Kind::string:
      return "string";
    case Value::Kind::number:
      return "number";
    case Value::Kind::date:
      return "date";
    case Value::Kind::uuid:
      return "UUID";
    case Value::Kind::bytes:
      return "bytes";
    case Value::Kind::stringList:
      return "list of strings";
    case Value::Kind::object:
      return "object";
    case Value::Kind::objectSet:
      return "set of objects";
  }
  return "value";
}

}  // namespace kelvo::data
