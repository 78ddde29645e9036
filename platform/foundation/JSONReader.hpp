#pragma once

// Stored and received JSON read into values, strictly: each member is asked for by name and
// type, and a value that does not fit throws at once, naming where it stands, so that a bad
// document is reported rather than half read:
//
//   const Json document = json::parse(R"({"title":"Wi-Fi","createdAt":7e8,"tags":["home"]})");
//   const JSONReader reader(document);
//   const std::string title = reader["title"].string();
//   const Date createdAt = reader["createdAt"].date();
//   const auto tags = reader["tags"].map([](const JSONReader& tag) { return tag.string(); });
//   const bool hasNote = reader.optional("note").has_value();  // false: absent or null

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/JSON.hpp"

namespace kelvo {

struct JSONCase;

/// A strict reader over a parsed JSON value that knows its coding path, so that every failure
/// names where it happened. Reads throw `DecodingError`: a missing member is "key not found",
/// a null where a value is required "value not found", a value of another JSON type "type
/// mismatch", and a value the type refuses "data corrupted". Members it is not asked for are
/// ignored. The reader refers to the value; keep the value alive while reading.
class JSONReader {
 public:
  explicit JSONReader(const Json& root) : value_(&root) {}
  JSONReader(const Json& value, std::vector<std::string> codingPath)
      : value_(&value), codingPath_(std::move(codingPath)) {}
  // A reader of a temporary would outlive it.
  explicit JSONReader(Json&&) = delete;
  JSONReader(Json&&, std::vector<std::string>) = delete;

  const Json& json() const { return *value_; }
  const std::vector<std::string>& codingPath() const { return codingPath_; }
  bool isNull() const;

  std::string string() const;
  bool boolean() const;
  /// A whole number; a float with a fraction, or one out of range, is data corrupted.
  std::int64_t integer() const;
  double number() const;
  /// Seconds since 2001-01-01 00:00:00 UTC, fractions allowed.
  Date date() const;
  /// The canonical text in either case.
  UUID uuid() const;
  /// Standard Base64 with padding, decoded strictly.
  Bytes bytes() const;
  /// The case of an enumeration whose raw value is this string; `table` lists pairs of case and
  /// raw value (such as `RawValues<E>::table`). An unknown value is data corrupted.
  template <class Table>
  auto rawValue(const Table& table, std::string_view typeName) const {
    const std::string text = string();
    for (const auto& [value, raw] : table) {
      if (raw == text) return value;
    }
    fail(DecodingError::Kind::dataCorrupted,
         "Cannot initialize " + std::string(typeName) + " from invalid String value " + text);
  }

  /// The member `key` of this object; key not found when it is missing.
  JSONReader operator[](std::string_view key) const;
  /// The member `key`, or none when it is missing or null.
  std::optional<JSONReader> optional(std::string_view key) const;
  bool contains(std::string_view key) const;
  /// The elements of this array, each with "Index n" on its path.
  std::vector<JSONReader> elements() const;
  /// `read` applied to every element of this array, in order. Each element's reader is made as
  /// its turn comes: readers for all of a long array at once would cost more than its values.
  template <class Read>
  auto map(Read&& read) const {
    std::vector<std::decay_t<decltype(read(std::declval<const JSONReader&>()))>> values;
    const std::size_t count = arraySize();
    for (std::size_t index = 0; index < count; ++index) values.push_back(read(element(index)));
    return values;
  }

  /// The case of an enumeration with values, written as an object with exactly one member named
  /// after the case. Members that name no case are ignored; none or several case members is a
  /// type mismatch for `typeName` described "Invalid number of keys found, expected one.". The
  /// member's value must be an object: the payload, read under the case's name.
  JSONCase singleKeyCase(std::span<const std::string_view> caseNames,
                         std::string_view typeName) const;

  /// Throws a `DecodingError` of `kind` at this reader's path.
  [[noreturn]] void fail(DecodingError::Kind kind, std::string description,
                         std::string type = {}) const;

 private:
  // Throws unless the value has the expected type: value not found for null, else a mismatch.
  void expect(bool matches, std::string_view expected) const;
  // The number of elements of this array; throws unless it is one.
  std::size_t arraySize() const;
  JSONReader element(std::size_t index) const;

  const Json* value_;
  std::vector<std::string> codingPath_;
};

/// One case read by `JSONReader::singleKeyCase`.
struct JSONCase {
  std::string_view name;  // one of the names given
  JSONReader payload;
};

}  // namespace kelvo
