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
  std::variant<std::string, std::int64_t, Date, UUID, Bytes, StringList, Object, ObjectSet>
      storage_;
};

/// The name of a value kind, for messages ("string", "number", ...).
std::string_view kindName(Value::Kind kind);

}  // namespace kelvo::data
