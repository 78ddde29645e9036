#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/UUID.hpp"

// A value lays its tag over the first word of libstdc++'s string (its data pointer) and keeps
// every other kind behind that word. The library's code reads that room as the library was
// built, and a program built in another mode links against it without a word, then writes past
// its values: so the layout is checked here, where the header is used.
#if !defined(__GLIBCXX__)
#error "kelvo::data::Value needs libstdc++: its tags share the first word of its std::string"
#endif
static_assert(_GLIBCXX_USE_CXX11_ABI,
              "kelvo::data::Value needs libstdc++'s C++11 string ABI, as the library is built: "
              "with _GLIBCXX_USE_CXX11_ABI=0 a std::string is one pointer, too small for a value");
#if defined(_GLIBCXX_DEBUG)
static_assert(false,
              "kelvo::data::Value cannot be used with _GLIBCXX_DEBUG: the library is built with "
              "libstdc++'s normal containers, and debug-mode ones are larger and laid out apart");
#endif
static_assert(sizeof(std::string) == 32 && alignof(std::string) == alignof(std::uintptr_t),
              "kelvo::data::Value is laid out in the 32 bytes of the library's std::string, "
              "aligned as a pointer: this build's std::string differs");

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

  Value(std::string text) { new (storage_) std::string(std::move(text)); }
  Value(std::string_view text) { new (storage_) std::string(text); }
  Value(const char* text) { new (storage_) std::string(text); }
  Value(bool flag) { construct(Tag::number, std::int64_t{flag ? 1 : 0}); }
  template <std::integral T>
  requires(!std::same_as<T, bool> && (std::is_signed_v<T> || sizeof(T) < 8)) Value(T number) {
    construct(Tag::number, static_cast<std::int64_t>(number));
  }
  Value(Date date) { construct(Tag::date, date); }
  Value(UUID id) { construct(Tag::uuid, id); }
  Value(Bytes bytes) { construct(Tag::bytes, std::move(bytes)); }
  Value(StringList list) { construct(Tag::stringList, std::move(list)); }
  template <class T>
  requires std::derived_from<T, ManagedObject> Value(std::shared_ptr<T> object) {
    construct(Tag::object, Object(std::move(object)));
  }
  Value(ObjectSet objects) { construct(Tag::objectSet, std::move(objects)); }

  Value(const Value& other);
  Value(Value&& other) noexcept;
  Value& operator=(const Value& other);
  Value& operator=(Value&& other) noexcept;
  ~Value() { destroy(); }

  Kind kind() const;

  /// The text of a string; nothing for any other kind.
  const std::string* string() const { return isText() ? &text() : nullptr; }
  /// The integer of a number.
  std::optional<std::int64_t> integer() const;
  /// The Boolean of a number that is 0 or 1.
  std::optional<bool> boolean() const;
  std::optional<Date> date() const;
  std::optional<UUID> uuid() const;
  const Bytes* bytes() const { return tag() == Tag::bytes ? &as<Bytes>() : nullptr; }
  const StringList* stringList() const {
    return tag() == Tag::stringList ? &as<StringList>() : nullptr;
  }
  /// The object of an object reference; null for any other kind.
  Object object() const;
  const ObjectSet* objectSet() const {
    return tag() == Tag::objectSet ? &as<ObjectSet>() : nullptr;
  }

  /// Objects compare by identity; object sets compare as sets.
  friend bool operator==(const Value& a, const Value& b);

 private:
  friend class ValueSlot;
  // A value fills every attribute slot of every object (a card holds 25), so it takes 32 bytes
  // rather than the 40 a variant with a std::string needs: a string fills all 32, and every
  // other kind starts with a tag word, which no string's first word (its data pointer, never
  // below a page) can equal, followed by its value.
  enum class Tag : std::uintptr_t {
    text = 0,  // never stored: the word holds the string's pointer
    number = 1,
    date,
    uuid,
    bytes,
    stringList,
    object,
    objectSet,
    unset,
  };
  static constexpr std::size_t payload = sizeof(std::uintptr_t);
  // Whether a kind's value fits behind the tag word, in the rest of the string's room.
  template <class T>
  static constexpr bool fits = sizeof(T) <= sizeof(std::string) - payload &&
                               alignof(T) <= alignof(std::string) && payload % alignof(T) == 0;
  static_assert(fits<std::int64_t> && fits<Date> && fits<UUID>,
                "kelvo::data::Value keeps a number, date or UUID in the 24 bytes behind its tag");
  static_assert(fits<Bytes> && fits<StringList> && fits<ObjectSet>,
                "kelvo::data::Value keeps a std::vector in the 24 bytes behind its tag: this "
                "build's vector does not fit there (build in the library's mode)");
  static_assert(fits<Object>,
                "kelvo::data::Value keeps a std::shared_ptr in the 24 bytes behind its tag: this "
                "build's shared_ptr does not fit there (build in the library's mode)");

  struct Unset {};
  explicit Value(Unset) noexcept { setTag(Tag::unset); }
  bool isUnset() const noexcept { return tag() == Tag::unset; }

  Tag tag() const noexcept {
    std::uintptr_t word;
    std::memcpy(&word, storage_, sizeof word);
    return word <= static_cast<std::uintptr_t>(Tag::unset) ? static_cast<Tag>(word) : Tag::text;
  }
  bool isText() const noexcept { return tag() == Tag::text; }
  void setTag(Tag tag) noexcept {
    const auto word = static_cast<std::uintptr_t>(tag);
    std::memcpy(storage_, &word, sizeof word);
  }
  const std::string& text() const {
    return *std::launder(reinterpret_cast<const std::string*>(storage_));
  }
  template <class T>
  const T& as() const {
    return *std::launder(reinterpret_cast<const T*>(storage_ + payload));
  }
  template <class T>
  T& as() {
    return *std::launder(reinterpret_cast<T*>(storage_ + payload));
  }
  template <class T>
  void construct(Tag tag, T&& value) {
    static_assert(fits<std::remove_cvref_t<T>>,
                  "every kind of kelvo::data::Value must fit in the 24 bytes behind its tag, "
                  "at an alignment of at most 8");
    new (storage_ + payload) std::remove_cvref_t<T>(std::forward<T>(value));
    setTag(tag);
  }
  // Takes on `other`'s kind and value, copied or moved; the storage holds nothing before.
  void constructFrom(const Value& other);
  void constructFrom(Value&& other) noexcept;
  void destroy() noexcept;

  alignas(std::string) std::byte storage_[sizeof(std::string)];
};
static_assert(sizeof(Value) == 32);

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
  ValueSlot& operator=(Value&& value) noexcept {
    value_ = std::move(value);
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
