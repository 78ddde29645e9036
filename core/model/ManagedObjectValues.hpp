#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/data/ManagedObject.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/UUID.hpp"

/// Typed reads of one attribute of a managed object by key. They never fail: a missing value, or
/// one stored as another kind, reads as the caller's default (or none), and nothing is written
/// back. Strings never read as numbers nor numbers as strings; a number reads as a Boolean only
/// when it is 0 or 1. Writes are `setValue(key, value)` on the object. Each read asks the object
/// afresh: there is no cache. An unknown key is a programming error and stops the process.
/// The to-one helpers at the end read and move an object's end of a relationship.
namespace kelvo {

/// The value under `key` as a `T`, or none. `T` is one of std::string, std::int64_t, bool, UUID,
/// Date, data::Bytes and std::vector<std::string>. Every reader below is this one.
template <class T>
std::optional<T> optionalValue(const data::ManagedObject& object, std::string_view key);

/// The value under `key` as a `T`, or `defaultValue`.
template <class T>
T value(const data::ManagedObject& object, std::string_view key, T defaultValue) {
  auto found = optionalValue<T>(object, key);
  return found ? std::move(*found) : std::move(defaultValue);
}

inline std::string stringValue(const data::ManagedObject& object, std::string_view key,
                               std::string defaultValue) {
  return value<std::string>(object, key, std::move(defaultValue));
}
inline std::int64_t intValue(const data::ManagedObject& object, std::string_view key,
                             std::int64_t defaultValue) {
  return value<std::int64_t>(object, key, defaultValue);
}
inline bool boolValue(const data::ManagedObject& object, std::string_view key, bool defaultValue) {
  return value<bool>(object, key, defaultValue);
}
inline UUID uuidValue(const data::ManagedObject& object, std::string_view key,
                      const UUID& defaultValue) {
  return value<UUID>(object, key, defaultValue);
}
inline Date dateValue(const data::ManagedObject& object, std::string_view key, Date defaultValue) {
  return value<Date>(object, key, defaultValue);
}

inline std::optional<UUID> uuidValue(const data::ManagedObject& object, std::string_view key) {
  return optionalValue<UUID>(object, key);
}
inline std::optional<Date> dateValue(const data::ManagedObject& object, std::string_view key) {
  return optionalValue<Date>(object, key);
}
inline std::optional<std::string> optionalStringValue(const data::ManagedObject& object,
                                                      std::string_view key) {
  return optionalValue<std::string>(object, key);
}
inline std::optional<Date> optionalDateValue(const data::ManagedObject& object,
                                             std::string_view key) {
  return optionalValue<Date>(object, key);
}
inline std::optional<data::Bytes> optionalDataValue(const data::ManagedObject& object,
                                                    std::string_view key) {
  return optionalValue<data::Bytes>(object, key);
}

/// The "id" of a card, smart shelf or reminder: a fresh random identifier at every read when
/// none is stored, so code that needs a stable identity stores one when it creates the object.
inline UUID storedIdentifier(const data::ManagedObject& object) {
  // Only draw from the system's generator when nothing is stored: reads are hot in merges.
  auto stored = optionalValue<UUID>(object, "id");
  return stored ? *stored : UUID::random();
}
inline void storeIdentifier(data::ManagedObject& object, const UUID& id) {
  object.setValue("id", data::Value(id));
}

/// The object at the to-one end `key` as a `T`; none when nothing is there or it is not a `T`.
template <class T>
std::shared_ptr<T> relatedObject(const data::ManagedObject& object, std::string_view key) {
  const auto stored = object.value(key);
  if (!stored) return nullptr;
  return std::dynamic_pointer_cast<T>(stored->object());
}

/// Points the to-one end `key` at `target` (or nothing); the target it already has writes
/// nothing. The object leaves the old target's to-many end and joins the new one's, which the
/// store edits without reading a set it has not read yet (a bounded one is read, to check its
/// count): moving a card to another shelf costs the same whatever the shelves hold.
template <class T>
void setRelatedObject(data::ManagedObject& object, std::string_view key,
                      const std::shared_ptr<T>& target) {
  object.setValue(key, target != nullptr ? std::optional<data::Value>(target) : std::nullopt);
}

}  // namespace kelvo
