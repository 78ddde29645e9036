#include "platform/foundation/PropertyList.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>
#include <pugixml.hpp>

#include "platform/foundation/Base64.hpp"

namespace kelvo {
namespace {

[[noreturn]] void unreadable(const std::string& detail) {
  throw PropertyListError("The property list could not be read: " + detail + ".");
}

bool isXMLSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string_view trimmedXMLSpace(std::string_view text) {
  while (!text.empty() && isXMLSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isXMLSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool isBlankText(const pugi::xml_node& node) {
  return node.type() == pugi::node_pcdata && trimmedXMLSpace(node.value()).empty();
}

bool isContainer(const pugi::xml_node& node) {
  return node.type() == pugi::node_element &&
         (std::strcmp(node.name(), "array") == 0 || std::strcmp(node.name(), "dict") == 0);
}

// A document nested past the limit is refused before anything is built from it; the walk keeps
// no stack of its own, so any depth is safe to measure.
void checkDepth(const pugi::xml_node& root) {
  int depth = 0;
  pugi::xml_node node = root.first_child();
  while (node && node != root) {
    if (node.first_child()) {
      if (isContainer(node) && ++depth > PropertyList::maximumDepth) {
        unreadable("it is nested too deeply");
      }
      node = node.first_child();
      continue;
    }
    while (node != root && !node.next_sibling()) {
      node = node.parent();
      if (isContainer(node)) --depth;
    }
    if (node != root) node = node.next_sibling();
  }
}

// The text of a leaf element: its character data and CDATA sections joined, no elements.
std::string leafText(const pugi::xml_node& element) {
  std::string text;
  for (const pugi::xml_node& child : element.children()) {
    if (child.type() != pugi::node_pcdata && child.type() != pugi::node_cdata) {
      unreadable(std::string("<") + element.name() + "> holds an element");
    }
    text += child.value();
  }
  return text;
}

// How many element children a container has; text other than white space between them is
// refused. Counted before any value is built, so that refusal comes first, as it always has.
std::size_t elementCount(const pugi::xml_node& container) {
  std::size_t count = 0;
  for (pugi::xml_node child = container.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element) {
      ++count;
    } else if (!isBlankText(child)) {
      unreadable(std::string("<") + container.name() + "> holds text");
    }
  }
  return count;
}

// The first element at or after `node` among its siblings.
pugi::xml_node nextElement(pugi::xml_node node) {
  while (node && node.type() != pugi::node_element) node = node.next_sibling();
  return node;
}

std::int64_t integerValue(std::string_view text) {
  text = trimmedXMLSpace(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    unreadable("an <integer> is not a 64-bit whole number");
  }
  return value;
}

double realValue(std::string_view text) {
  text = trimmedXMLSpace(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    unreadable("a <real> is not a number");
  }
  return value;
}

std::optional<int> digits(std::string_view text, std::size_t offset, std::size_t count) {
  int value = 0;
  for (std::size_t i = offset; i < offset + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// Days from 1970-01-01 to a day of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

int daysInMonth(int year, int month) {
  static constexpr int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : lengths[month - 1];
}

// "YYYY-MM-DDTHH:MM:SSZ", the one form property lists write.
Date dateValue(std::string_view text) {
  text = trimmedXMLSpace(text);
  static constexpr std::string_view shape = "0000-00-00T00:00:00Z";
  bool fits = text.size() == shape.size();
  for (std::size_t i = 0; fits && i < shape.size(); ++i) {
    fits = shape[i] == '0' ? (text[i] >= '0' && text[i] <= '9') : text[i] == shape[i];
  }
  if (!fits) unreadable("a <date> is not an ISO 8601 moment in UTC");
  const int year = *digits(text, 0, 4), month = *digits(text, 5, 2), day = *digits(text, 8, 2);
  const int hour = *digits(text, 11, 2), minute = *digits(text, 14, 2);
  const int second = *digits(text, 17, 2);
  if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 ||
      minute > 59 || second > 59) {
    unreadable("a <date> names no moment");
  }
  const std::int64_t seconds =
      daysFromCivil(year, month, day) * 86'400 + hour * 3'600 + minute * 60 + second;
  return Date::fromUnixTime(static_cast<TimeInterval>(seconds));
}

Bytes dataValue(std::string_view text) {
  std::string compact;
  compact.reserve(text.size());
  for (const char c : text) {
    if (!isXMLSpace(c)) compact.push_back(c);
  }
  std::optional<Bytes> bytes = base64Decoded(compact);
  if (!bytes) unreadable("a <data> is not Base64");
  return std::move(*bytes);
}

PropertyListValue value(const pugi::xml_node& element);

PropertyListValue::Dictionary dictionaryValue(const pugi::xml_node& element) {
  const std::size_t count = elementCount(element);
  if (count % 2 != 0) unreadable("a <dict> ends with a key without a value");
  PropertyListValue::Dictionary entries;
  entries.reserve(count / 2);
  for (pugi::xml_node keyNode = nextElement(element.first_child()); keyNode;
       keyNode = nextElement(keyNode.next_sibling())) {
    const pugi::xml_node valueNode = nextElement(keyNode.next_sibling());
    if (std::strcmp(keyNode.name(), "key") != 0) unreadable("a <dict> lacks a <key>");
    std::string key = leafText(keyNode);
    PropertyListValue entry = value(valueNode);
    keyNode = valueNode;
    auto existing = std::find_if(entries.begin(), entries.end(),
                                 [&](const auto& pair) { return pair.first == key; });
    if (existing != entries.end()) {
      existing->second = std::move(entry);
    } else {
      entries.emplace_back(std::move(key), std::move(entry));
    }
  }
  return entries;
}

PropertyListValue value(const pugi::xml_node& element) {
  const std::string_view name = element.name();
  if (name == "string") return {leafText(element)};
  if (name == "array") {
    PropertyListValue::Array elements;
    elements.reserve(elementCount(element));
    for (pugi::xml_node child = nextElement(element.first_child()); child;
         child = nextElement(child.next_sibling())) {
      elements.push_back(value(child));
    }
    return {std::move(elements)};
  }
  if (name == "dict") return {dictionaryValue(element)};
  if (name == "integer") return {integerValue(leafText(element))};
  if (name == "real") return {realValue(leafText(element))};
  if (name == "true" || name == "false") {
    if (elementCount(element) != 0) unreadable("a Boolean holds an element");
    return {name == "true"};
  }
  if (name == "date") return {dateValue(leafText(element))};
  if (name == "data") return {dataValue(leafText(element))};
  unreadable("<" + std::string(name) + "> is not a property-list value");
}

// The one value of a `<plist>` element or of the document itself.
pugi::xml_node onlyElement(const pugi::xml_node& parent) {
  if (elementCount(parent) != 1) unreadable("there is not exactly one value");
  return nextElement(parent.first_child());
}

}  // namespace

const std::string& PropertyListValue::string() const {
  static const std::string empty;
  const auto* text = std::get_if<std::string>(&storage_);
  return text ? *text : empty;
}

const PropertyListValue::Array& PropertyListValue::array() const {
  static const Array empty;
  const auto* elements = std::get_if<Array>(&storage_);
  return elements ? *elements : empty;
}

const PropertyListValue::Dictionary& PropertyListValue::dictionary() const {
  static const Dictionary empty;
  const auto* entries = std::get_if<Dictionary>(&storage_);
  return entries ? *entries : empty;
}

const PropertyListValue* PropertyListValue::find(std::string_view key) const {
  for (const auto& [name, entry] : dictionary()) {
    if (name == key) return &entry;
  }
  return nullptr;
}

PropertyListValue PropertyList::read(std::string_view text) {
  // No DOCTYPE is kept (nor its entities ever expanded), no comment or processing instruction
  // becomes a node, and white space inside a string stays as written.
  constexpr unsigned options = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_ws_pcdata;
  pugi::xml_document document;
  const pugi::xml_parse_result result =
      document.load_buffer(text.data(), text.size(), options, pugi::encoding_utf8);
  if (!result) unreadable(std::string("it is not XML (") + result.description() + ")");
  checkDepth(document);
  pugi::xml_node root = onlyElement(document);
  if (std::strcmp(root.name(), "plist") == 0) root = onlyElement(root);
  return value(root);
}

}  // namespace kelvo
