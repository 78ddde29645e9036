#include "platform/foundation/PropertyList.hpp"

#include <algorithm>
#include <cstring>
#include <optional>
#include <pugixml.hpp>

#include "platform/foundation/internal/PropertyListLeaves.hpp"
#include "platform/foundation/internal/PropertyListScanner.hpp"

namespace kelvo {
namespace {

using foundation_internal::dataValue;
using foundation_internal::dateValue;
using foundation_internal::integerValue;
using foundation_internal::realValue;
using foundation_internal::trimmedXMLSpace;
using foundation_internal::unreadable;

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

PropertyListValue value(const pugi::xml_node& element);

PropertyListValue::Dictionary dictionaryValue(const pugi::xml_node& element) {
  const std::size_t count = elementCount(element);
  if (count % 2 != 0) unreadable("a <dict> ends with a key without a value");
  PropertyListValue::Dictionary entries;
  entries.reserve(count / 2);
  foundation_internal::DictionaryKeys keys;
  for (pugi::xml_node keyNode = nextElement(element.first_child()); keyNode;
       keyNode = nextElement(keyNode.next_sibling())) {
    const pugi::xml_node valueNode = nextElement(keyNode.next_sibling());
    if (std::strcmp(keyNode.name(), "key") != 0) unreadable("a <dict> lacks a <key>");
    std::string key = leafText(keyNode);
    PropertyListValue entry = value(valueNode);
    keyNode = valueNode;
    const std::size_t place = keys.find(entries, key);
    if (place != entries.size()) {
      entries[place].second = std::move(entry);
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

PropertyListValue foundation_internal::readDocument(std::string_view text,
                                                    PropertyList::ElementSink* sink) {
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
  if (!sink || std::strcmp(root.name(), "array") != 0) return value(root);
  // Text among the elements is refused before any is read, as when the array is built.
  elementCount(root);
  for (pugi::xml_node child = nextElement(root.first_child()); child;
       child = nextElement(child.next_sibling())) {
    sink->element(kept(value(child), *sink));
  }
  return {PropertyListValue::Array()};
}

PropertyListValue foundation_internal::kept(PropertyListValue&& element,
                                            const PropertyList::ElementSink& sink) {
  const auto emptied = [](PropertyListValue&& value) -> PropertyListValue {
    if (value.isArray()) return {PropertyListValue::Array()};
    if (value.isDictionary()) return {PropertyListValue::Dictionary()};
    return std::move(value);
  };
  if (element.isArray()) return {PropertyListValue::Array()};
  if (!element.isDictionary()) return std::move(element);
  PropertyListValue::Dictionary entries;
  for (auto& [key, value] : std::get<PropertyListValue::Dictionary>(std::move(element).storage())) {
    if (sink.keeps(key)) entries.emplace_back(std::move(key), emptied(std::move(value)));
  }
  return {std::move(entries)};
}

// pugixml holds a copy of the text and a node of 64 bytes for every element, CDATA section and
// run of text (an attribute takes 40). All but the runs of text open with '<', and a run ends
// at one or at the end. Nodes come in pages of 32 KiB, a little of each kept for pugixml's use.
std::size_t foundation_internal::documentSize(std::string_view text) {
  const auto marks = static_cast<std::size_t>(std::count(text.begin(), text.end(), '<'));
  const auto equals = static_cast<std::size_t>(std::count(text.begin(), text.end(), '='));
  const std::size_t nodes = 64 * (2 * marks + 2) + 40 * equals;
  return text.size() + nodes + nodes / 32 + 2 * 32'768;
}

PropertyListValue PropertyList::read(std::string_view text) {
  if (std::optional<PropertyListValue> value = foundation_internal::readPlain(text))
    return std::move(*value);
  return foundation_internal::readDocument(text);
}

PropertyListValue PropertyList::read(std::string_view text, ElementSink& sink,
                                     std::size_t documentLimit) {
  if (std::optional<PropertyListValue> value = foundation_internal::readPlain(text, &sink)) {
    return std::move(*value);
  }
  sink.restart();
  if (foundation_internal::documentSize(text) > documentLimit)
    unreadable("it would take too large a document");
  return foundation_internal::readDocument(text, &sink);
}

}  // namespace kelvo
