#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "platform/foundation/Bytes.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/Error.hpp"

/// XML property lists, read into a tree of values.
///
///   const PropertyListValue root = PropertyList::read(text);
///   for (const PropertyListValue& entry : root.array()) {
///     if (const auto* phrase = entry.find("phrase"); phrase && phrase->isString()) ...
///   }
namespace kelvo {

/// One value of a property list: a Boolean, an integer, a real number, a string, a date, bytes,
/// an array or a dictionary with string keys (in document order, each key once).
class PropertyListValue {
 public:
  using Array = std::vector<PropertyListValue>;
  using Dictionary = std::vector<std::pair<std::string, PropertyListValue>>;
  using Storage =
      std::variant<bool, std::int64_t, double, std::string, Date, Bytes, Array, Dictionary>;

  PropertyListValue() = default;
  PropertyListValue(Storage storage) : storage_(std::move(storage)) {}

  const Storage& storage() const& { return storage_; }
  /// The storage of a value about to go, for its strings and containers to be moved out.
  Storage&& storage() && { return std::move(storage_); }

  bool isString() const { return std::holds_alternative<std::string>(storage_); }
  bool isArray() const { return std::holds_alternative<Array>(storage_); }
  bool isDictionary() const { return std::holds_alternative<Dictionary>(storage_); }

  /// The value as that kind; the empty one for a value of another kind.
  const std::string& string() const;
  const Array& array() const;
  const Dictionary& dictionary() const;

  /// The value under `key` of a dictionary; null when absent or when this is no dictionary.
  const PropertyListValue* find(std::string_view key) const;

  friend bool operator==(const PropertyListValue&, const PropertyListValue&) = default;

 private:
  Storage storage_;
};

/// A text that is not a property list this reader understands.
class PropertyListError : public Error {
 public:
  using Error::Error;
};

namespace PropertyList {

/// The deepest nesting of arrays and dictionaries a reader accepts.
inline constexpr int maximumDepth = 512;

/// Reads an XML property list. The text is read as UTF-8 whatever its declaration says; the
/// `<plist>` element is optional, a DOCTYPE is skipped and never loaded, and entity references
/// other than the predefined ones and numeric references stay as written. A `<string>` keeps
/// its text exactly, white space included. Integers are signed 64-bit, dates ISO 8601 in UTC
/// ("2024-05-01T09:30:00Z"), data Base64 with white space ignored. In a dictionary keys
/// alternate with values and the last of two equal keys wins. Throws `PropertyListError` for
/// anything else, binary property lists and nesting deeper than `maximumDepth` included.
PropertyListValue read(std::string_view text);

/// Takes the elements of a top-level array one at a time, as they are read, each only as far as
/// it keeps them: a dictionary holds only the entries whose key `keeps` accepts, and an array or
/// dictionary inside an element comes empty. What is not kept is still read and checked.
class ElementSink {
 public:
  virtual ~ElementSink() = default;
  /// Whether an entry of a dictionary that is an element is kept.
  virtual bool keeps(std::string_view key) const = 0;
  /// The next element, in order.
  virtual void element(PropertyListValue&& element) = 0;
  /// Reading starts again from the first element: what came before is to be dropped.
  virtual void restart() = 0;
};

/// Reads as `read` does, but hands each element of a top-level array to `sink` as soon as it is
/// read, keeping none: the array comes back empty. A text the reader cannot take straight from
/// its bytes is read through a document that takes about 64 bytes for every element and run of
/// text; when its markup could make that document larger than `documentLimit` bytes, it is
/// refused unread. What the sink was given from a text that is then refused is no value.
PropertyListValue read(std::string_view text, ElementSink& sink, std::size_t documentLimit);

}  // namespace PropertyList
}  // namespace kelvo
