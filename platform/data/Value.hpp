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
  friend class std::optional<Value>;
  // The empty state of `std::optional<Value>`, which so needs no flag of its own: an object
  // holds one optional value per attribute. No `Value` in this state is ever handed out.
  struct Unset {
    bool operator==(const Unset&) const = default;
  };
  explicit Value(Unset unset) noexcept : storage_(unset) {}
  bool isUnset() const noexcept { return std::holds_alternative<Unset>(storage_); }

  std::variant<std::string, std::int64_t, Date, UUID, Bytes, StringList, Object, ObjectSet, Unset>
      storage_;
};

/// The name of a value kind, for messages ("string", "number", ...).
std::string_view kindName(Value::Kind kind);

}  // namespace kelvo::data

namespace std {

// An optional value is as large as a value: its empty state is a state of the value's own
// variant. It behaves exactly as the general template does.
template <>
class optional<kelvo::data::Value> {
  using Value = kelvo::data::Value;
  template <class U>
  static constexpr bool convertsFromOptional =
      is_constructible_v<Value, optional<U>&> || is_constructible_v<Value, const optional<U>&> ||
      is_constructible_v<Value, optional<U>&&> || is_constructible_v<Value, const optional<U>&&> ||
      is_convertible_v<optional<U>&, Value> || is_convertible_v<const optional<U>&, Value> ||
      is_convertible_v<optional<U>&&, Value> || is_convertible_v<const optional<U>&&, Value>;

 public:
  using value_type = Value;

  optional() noexcept : value_(Value::Unset{}) {}
  optional(nullopt_t) noexcept : optional() {}
  optional(const optional&) = default;
  optional(optional&&) noexcept = default;
  template <class... Args>
  requires is_constructible_v<Value, Args...>
  explicit optional(in_place_t, Args&&... args) : value_(std::forward<Args>(args)...) {}
  template <class U, class... Args>
  requires is_constructible_v < Value, initializer_list<U>
  &, Args... > explicit optional(in_place_t, initializer_list<U> list, Args&&... args)
      : value_(list, std::forward<Args>(args)...) {}
  template <class U = Value>
  requires(is_constructible_v<Value, U> && !is_same_v<remove_cvref_t<U>, in_place_t> &&
           !is_same_v<remove_cvref_t<U>, optional>) explicit(!is_convertible_v<U, Value>)
      optional(U&& value)
      : value_(std::forward<U>(value)) {}
  template <class U>
  requires(is_constructible_v<Value, const U&> &&
           !convertsFromOptional<U>) explicit(!is_convertible_v<const U&, Value>)
      optional(const optional<U>& other)
      : optional() {
    if (other) emplace(*other);
  }
  template <class U>
  requires(is_constructible_v<Value, U> &&
           !convertsFromOptional<U>) explicit(!is_convertible_v<U, Value>)
      optional(optional<U>&& other)
      : optional() {
    if (other) emplace(std::move(*other));
  }
  ~optional() = default;

  optional& operator=(nullopt_t) noexcept {
    reset();
    return *this;
  }
  optional& operator=(const optional&) = default;
  optional& operator=(optional&&) noexcept = default;
  template <class U = Value>
  requires(!is_same_v<remove_cvref_t<U>, optional> && is_constructible_v<Value, U> &&
           is_assignable_v<Value&, U>) optional&
  operator=(U&& value) {
    value_ = Value(std::forward<U>(value));
    return *this;
  }
  template <class U>
  requires(is_constructible_v<Value, const U&>&& is_assignable_v<Value&, const U&> &&
           !convertsFromOptional<U> && !is_assignable_v<Value&, optional<U>&> &&
           !is_assignable_v<Value&, const optional<U>&> &&
           !is_assignable_v<Value&, optional<U>&&> &&
           !is_assignable_v<Value&, const optional<U>&&>) optional&
  operator=(const optional<U>& other) {
    if (other) {
      emplace(*other);
    } else {
      reset();
    }
    return *this;
  }
  template <class U>
  requires(is_constructible_v<Value, U>&& is_assignable_v<Value&, U> && !convertsFromOptional<U> &&
           !is_assignable_v<Value&, optional<U>&> && !is_assignable_v<Value&, const optional<U>&> &&
           !is_assignable_v<Value&, optional<U>&&> &&
           !is_assignable_v<Value&, const optional<U>&&>) optional&
  operator=(optional<U>&& other) {
    if (other) {
      emplace(std::move(*other));
    } else {
      reset();
    }
    return *this;
  }

  template <class... Args>
  requires is_constructible_v<Value, Args...> Value& emplace(Args&&... args) {
    value_ = Value(std::forward<Args>(args)...);
    return value_;
  }
  template <class U, class... Args>
  requires is_constructible_v < Value, initializer_list<U>
  &, Args... > Value& emplace(initializer_list<U> list, Args&&... args) {
    value_ = Value(list, std::forward<Args>(args)...);
    return value_;
  }
  void swap(optional& other) noexcept { std::swap(value_, other.value_); }
  void reset() noexcept { value_ = Value(Value::Unset{}); }

  const Value* operator->() const noexcept { return &value_; }
  Value* operator->() noexcept { return &value_; }
  const Value& operator*() const& noexcept { return value_; }
  Value& operator*() & noexcept { return value_; }
  Value&& operator*() && noexcept { return std::move(value_); }
  const Value&& operator*() const&& noexcept { return std::move(value_); }
  explicit operator bool() const noexcept { return has_value(); }
  bool has_value() const noexcept { return !value_.isUnset(); }
  const Value& value() const& {
    check();
    return value_;
  }
  Value& value() & {
    check();
    return value_;
  }
  Value&& value() && {
    check();
    return std::move(value_);
  }
  const Value&& value() const&& {
    check();
    return std::move(value_);
  }
  template <class U>
  Value value_or(U&& fallback) const& {
    return has_value() ? value_ : static_cast<Value>(std::forward<U>(fallback));
  }
  template <class U>
  Value value_or(U&& fallback) && {
    return has_value() ? std::move(value_) : static_cast<Value>(std::forward<U>(fallback));
  }

 private:
  void check() const {
    if (!has_value()) throw bad_optional_access();
  }

  Value value_;
};

}  // namespace std
