#pragma once

#include <concepts>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo::data {

class ManagedObject;
class ValueSlot;

/// Raw bytes of a binary attribute: the foundation's byte string.
using Bytes = kelvo::Bytes;

/// A dynamic value held under an attribute or relationship key.
///
/// Reads bridge as the platform does: a number reads as an integer always and as a Boolean only
/// when it is 0 or 1; a string never reads as a number nor a number as a string. Booleans are
/// stored as the numbers 0 and 1.
class Value {
 public:
  using StringList = std::vector<std::string>;
  using Object = std::shared_ptr<ManagedObject>;
  /// An unordered set of objects; equality ignores order.
  using ObjectSet = std::vector<Object>;

  enum class Kind { string, number, date, uuid, bytes, stringList, object, objectSet };

  Value(std::string text) : storage_(std::move(text)) {}
  Value(std::string_view text) : storage_(std::string(text)) {}
  Value(const char* text) : storage_(std::string(text)) {}
  Value(bool flag) : storage_(std::int64_t{flag ? 1 : 0}) {}
  template <std::integral T>
  requires(!std::same_as<T, bool> && (std::is_signed_v<T> || sizeof(T) < 8)) Value(T number)
      : storage_(static_cast<std::int64_t>(number)) {}
  Value(Date date) : storage_(date) {}
  Value(UUID id) : storage_(id) {}
  Value(Bytes bytes) : storage_(std::move(bytes)) {}
  Value(StringList list) : storage_(std::move(list)) {}
  template <class T>
  requires std::derived_from<T, ManagedObject> Value(std::shared_ptr<T> object)
      : storage_(Object(std::move(object))) {}
  Value(ObjectSet objects) : storage_(std::move(objects)) {}

  Kind kind() const { return static_cast<Kind>(storage_.index()); }

  /// The text of a string; nothing for any other kind.
  const std::string* string() const { return std::get_if<std::string>(&storage_); }
  /// The integer of a number.
  std::optional<std::int64_t> integer() const;
  /// The Boolean of a number that is 0 or 1.
  std::optional<bool> boolean() const;
  std::optional<Date> date() const;
  std::optional<UUID> uuid() const;
  const Bytes* bytes() const { return std::get_if<Bytes>(&storage_); }
  const StringList* stringList() const { return std::get_if<StringList>(&storage_); }
  /// The object of an object reference; null for any other kind.
  Object object() const;
  const ObjectSet* objectSet() const { return std::get_if<ObjectSet>(&storage_); }

  /// Objects compare by identity; object sets compare as sets.
  friend bool operator==(const Value& a, const Value& b);

 private:
  friend class ValueSlot;
  struct Unset {
    bool operator==(const Unset&) const = default;
  };
  explicit Value(Unset unset) noexcept : storage_(unset) {}
  bool isUnset() const noexcept { return std::holds_alternative<Unset>(storage_); }

  std::variant<std::string, std::int64_t, Date, UUID, Bytes, StringList, Object, ObjectSet, Unset>
      storage_;
};

/// An attribute's value or none, in the room of a value alone (an object holds one for each
/// attribute): "none" is a state of the value's own variant that is never handed out. Reads as
/// an optional does.
class ValueSlot {
 public:
  ValueSlot() noexcept : value_(Value::Unset{}) {}
  // Implicit, as it stands where an optional value stood.
  ValueSlot(std::optional<Value> value)
      : value_(value ? std::move(*value) : Value(Value::Unset{})) {}
  ValueSlot& operator=(std::optional<Value> value) {
    value_ = value ? std::move(*value) : Value(Value::Unset{});
    return *this;
  }

  bool has_value() const noexcept { return !value_.isUnset(); }
  explicit operator bool() const noexcept { return has_value(); }
  const Value& operator*() const noexcept { return value_; }
  const Value* operator->() const noexcept { return &value_; }
  /// The value, or null.
  const Value* get() const noexcept { return has_value() ? &value_ : nullptr; }
  std::optional<Value> optional() const {
    return has_value() ? std::optional<Value>(value_) : std::nullopt;
  }

  friend bool operator==(const ValueSlot& a, const ValueSlot& b) { return a.value_ == b.value_; }
  friend bool operator==(const ValueSlot& slot, const std::optional<Value>& value) {
    return value ? slot.value_ == *value : !slot.has_value();
  }

 private:
  Value value_;
};

/// The name of a value kind, for messages ("string", "number", ...).
std::string_view kindName(Value::Kind kind);

}  // namespace kelvo::data
