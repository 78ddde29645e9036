#include "platform/data/Value.hpp"

#include <algorithm>
#include <functional>
#include <memory>
#include <new>

namespace kelvo::data {

Value::Value(const Value& other) { constructFrom(other); }

Value::Value(Value&& other) noexcept { constructFrom(std::move(other)); }

Value& Value::operator=(const Value& other) {
  if (this == &other) return *this;
  if (tag() != other.tag()) {
    // Copied first, so that a failed copy leaves this value as it was.
    Value copy(other);
    destroy();
    constructFrom(std::move(copy));
    return *this;
  }
  switch (tag()) {
    case Tag::text:
      *std::launder(reinterpret_cast<std::string*>(storage_)) = other.text();
      break;
    case Tag::bytes:
      as<Bytes>() = other.as<Bytes>();
      break;
    case Tag::stringList:
      as<StringList>() = other.as<StringList>();
      break;
    case Tag::object:
      as<Object>() = other.as<Object>();
      break;
    case Tag::objectSet:
      as<ObjectSet>() = other.as<ObjectSet>();
      break;
    default:
      std::memcpy(storage_, other.storage_, sizeof storage_);
  }
  return *this;
}

Value& Value::operator=(Value&& other) noexcept {
  if (this == &other) return *this;
  destroy();
  constructFrom(std::move(other));
  return *this;
}

void Value::constructFrom(const Value& other) {
  switch (other.tag()) {
    case Tag::text:
      new (storage_) std::string(other.text());
      return;
    case Tag::bytes:
      return construct(Tag::bytes, other.as<Bytes>());
    case Tag::stringList:
      return construct(Tag::stringList, other.as<StringList>());
    case Tag::object:
      return construct(Tag::object, other.as<Object>());
    case Tag::objectSet:
      return construct(Tag::objectSet, other.as<ObjectSet>());
    default:
      // Numbers, dates, identifiers and none: plain bytes.
      std::memcpy(storage_, other.storage_, sizeof storage_);
  }
}

void Value::constructFrom(Value&& other) noexcept {
  switch (other.tag()) {
    case Tag::text:
      new (storage_)
          std::string(std::move(*std::launder(reinterpret_cast<std::string*>(other.storage_))));
      return;
    case Tag::bytes:
      return construct(Tag::bytes, std::move(other.as<Bytes>()));
    case Tag::stringList:
      return construct(Tag::stringList, std::move(other.as<StringList>()));
    case Tag::object:
      return construct(Tag::object, std::move(other.as<Object>()));
    case Tag::objectSet:
      return construct(Tag::objectSet, std::move(other.as<ObjectSet>()));
    default:
      std::memcpy(storage_, other.storage_, sizeof storage_);
  }
}

void Value::destroy() noexcept {
  switch (tag()) {
    case Tag::text:
      std::destroy_at(std::launder(reinterpret_cast<std::string*>(storage_)));
      break;
    case Tag::bytes:
      std::destroy_at(&as<Bytes>());
      break;
    case Tag::stringList:
      std::destroy_at(&as<StringList>());
      break;
    case Tag::object:
      std::destroy_at(&as<Object>());
      break;
    case Tag::objectSet:
      std::destroy_at(&as<ObjectSet>());
      break;
    default:
      break;
  }
}

Value::Kind Value::kind() const {
  switch (tag()) {
    case Tag::number:
      return Kind::number;
    case Tag::date:
      return Kind::date;
    case Tag::uuid:
      return Kind::uuid;
    case Tag::bytes:
      return Kind::bytes;
    case Tag::stringList:
      return Kind::stringList;
    case Tag::object:
      return Kind::object;
    case Tag::objectSet:
      return Kind::objectSet;
    default:
      // A slot's "none" is never handed out as a value.
      return Kind::string;
  }
}

std::optional<std::int64_t> Value::integer() const {
  if (tag() == Tag::number) return as<std::int64_t>();
  return std::nullopt;
}

std::optional<bool> Value::boolean() const {
  if (tag() != Tag::number) return std::nullopt;
  const std::int64_t number = as<std::int64_t>();
  if (number != 0 && number != 1) return std::nullopt;
  return number == 1;
}

std::optional<Date> Value::date() const {
  if (tag() == Tag::date) return as<Date>();
  return std::nullopt;
}

std::optional<UUID> Value::uuid() const {
  if (tag() == Tag::uuid) return as<UUID>();
  return std::nullopt;
}

Value::Object Value::object() const {
  if (tag() == Tag::object) return as<Object>();
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
  using Tag = Value::Tag;
  if (a.tag() != b.tag()) return false;
  switch (a.tag()) {
    case Tag::text:
      return a.text() == b.text();
    case Tag::number:
      return a.as<std::int64_t>() == b.as<std::int64_t>();
    case Tag::date:
      return a.as<Date>() == b.as<Date>();
    case Tag::uuid:
      return a.as<UUID>() == b.as<UUID>();
    case Tag::bytes:
      return a.as<Bytes>() == b.as<Bytes>();
    case Tag::stringList:
      return a.as<Value::StringList>() == b.as<Value::StringList>();
    case Tag::object:
      return a.as<Value::Object>() == b.as<Value::Object>();
    case Tag::objectSet:
      return identities(a.as<Value::ObjectSet>()) == identities(b.as<Value::ObjectSet>());
    case Tag::unset:
      return true;
  }
  return false;
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
