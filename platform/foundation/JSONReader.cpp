#include "platform/foundation/JSONReader.hpp"

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>

#include "platform/foundation/Base64.hpp"

namespace kelvo {
namespace {

using Kind = DecodingError::Kind;

std::string_view describe(const Json& value) {
  switch (value.type()) {
    case Json::value_t::null:
      return "null";
    case Json::value_t::boolean:
      return "a Boolean";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
      return "a number";
    case Json::value_t::string:
      return "a string";
    case Json::value_t::array:
      return "an array";
    case Json::value_t::object:
      return "an object";
    default:
      return "an unknown value";
  }
}

std::vector<std::string> extended(const std::vector<std::string>& path, std::string key) {
  std::vector<std::string> longer;
  longer.reserve(path.size() + 1);
  longer = path;
  longer.push_back(std::move(key));
  return longer;
}

}  // namespace

void JSONReader::fail(Kind kind, std::string description, std::string type) const {
  throw DecodingError(kind, std::move(description), codingPath_, std::move(type));
}

void JSONReader::expect(bool matches, std::string_view expected) const {
  if (matches) return;
  if (value_->is_null()) {
    fail(Kind::valueNotFound,
         "Expected " + std::string(expected) + " value but found null instead.",
         std::string(expected));
  }
  fail(Kind::typeMismatch,
       "Expected to decode " + std::string(expected) + " but found " +
           std::string(describe(*value_)) + " instead.",
       std::string(expected));
}

bool JSONReader::isNull() const { return value_->is_null(); }

std::string JSONReader::string() const {
  expect(value_->is_string(), "String");
  return value_->get<std::string>();
}

bool JSONReader::boolean() const {
  expect(value_->is_boolean(), "Bool");
  return value_->get<bool>();
}

std::int64_t JSONReader::integer() const {
  expect(value_->is_number(), "Int");
  if (value_->is_number_integer() && !value_->is_number_unsigned()) {
    return value_->get<std::int64_t>();
  }
  if (value_->is_number_unsigned()) {
    const auto value = value_->get<std::uint64_t>();
    if (value <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
      return static_cast<std::int64_t>(value);
    }
  } else {
    const double value = value_->get<double>();
    // -2^63 is exact as a double; 2^63 is already out of range.
    if (value == std::trunc(value) && value >= -9.2233720368547758e18 &&
        value < 9.2233720368547758e18) {
      return static_cast<std::int64_t>(value);
    }
  }
  fail(Kind::dataCorrupted, "Parsed JSON number <" + value_->dump() + "> does not fit in Int.");
}

double JSONReader::number() const {
  expect(value_->is_number(), "Double");
  return value_->get<double>();
}

Date JSONReader::date() const {
  expect(value_->is_number(), "Date");
  return Date(value_->get<double>());
}

UUID JSONReader::uuid() const {
  expect(value_->is_string(), "UUID");
  const auto id = UUID::parse(value_->get_ref<const std::string&>());
  if (!id) fail(Kind::dataCorrupted, "Attempted to decode UUID from invalid UUID string.");
  return *id;
}

Bytes JSONReader::bytes() const {
  expect(value_->is_string(), "Data");
  auto bytes = base64Decoded(value_->get_ref<const std::string&>());
  if (!bytes) fail(Kind::dataCorrupted, "Encountered Data is not valid Base64.");
  return std::move(*bytes);
}

JSONReader JSONReader::operator[](std::string_view key) const {
  expect(value_->is_object(), "Dictionary");
  const auto found = value_->find(key);
  if (found == value_->end()) {
    fail(Kind::keyNotFound, "No value associated with key \"" + std::string(key) + "\".");
  }
  return JSONReader(*found, extended(codingPath_, std::string(key)));
}

std::optional<JSONReader> JSONReader::optional(std::string_view key) const {
  expect(value_->is_object(), "Dictionary");
  const auto found = value_->find(key);
  if (found == value_->end() || found->is_null()) return std::nullopt;
  return JSONReader(*found, extended(codingPath_, std::string(key)));
}

bool JSONReader::contains(std::string_view key) const {
  return value_->is_object() && value_->contains(key);
}

std::vector<JSONReader> JSONReader::elements() const {
  const std::size_t count = arraySize();
  std::vector<JSONReader> elements;
  elements.reserve(count);
  for (std::size_t index = 0; index < count; ++index) elements.push_back(element(index));
  return elements;
}

std::size_t JSONReader::arraySize() const {
  expect(value_->is_array(), "Array");
  return value_->size();
}

JSONReader JSONReader::element(std::size_t index) const {
  return JSONReader((*value_)[index], extended(codingPath_, "Index " + std::to_string(index)));
}

JSONCase JSONReader::singleKeyCase(std::span<const std::string_view> caseNames,
                                   std::string_view typeName) const {
  expect(value_->is_object(), "Dictionary");
  const std::string_view* chosen = nullptr;
  size_t count = 0;
  for (const std::string_view& name : caseNames) {
    if (value_->contains(name)) {
      chosen = &name;
      ++count;
    }
  }
  if (count != 1) {
    fail(Kind::typeMismatch, "Invalid number of keys found, expected one.", std::string(typeName));
  }
  JSONReader payload = (*this)[*chosen];
  payload.expect(payload.value_->is_object(), "Dictionary");
  return {*chosen, std::move(payload)};
}

}  // namespace kelvo
