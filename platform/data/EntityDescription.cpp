#include "platform/data/EntityDescription.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/foundation/Error.hpp"

namespace kelvo::data {
namespace {

// Names become SQL identifiers; letters, digits and "_", starting with a letter, quote safely.
bool isValidName(std::string_view name) {
  if (name.empty() || name.size() > 128) return false;
  const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  if (!isLetter(name.front())) return false;
  for (char c : name) {
    if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '_') return false;
  }
  return true;
}

std::uint64_t load(const char* bytes, std::size_t count) {
  std::uint64_t word = 0;
  std::memcpy(&word, bytes, count);
  return word;
}

// The length and the first and last eight bytes of a name (overlapping for short names). Every
// value read or set by name looks its name up, so lookups hash and compare these words rather
// than bytes; they hold the whole name when it has at most 16 bytes.
struct NameWords {
  std::uint64_t first = 0;
  std::uint64_t last = 0;

  explicit NameWords(std::string_view name) {
    const std::size_t size = name.size();
    if (size >= 8) {
      first = load(name.data(), 8);
      last = load(name.data() + size - 8, 8);
    } else if (size >= 4) {
      first = load(name.data(), 4);
      last = load(name.data() + size - 4, 4);
    } else if (size > 0) {
      first = load(name.data(), size);
    }
  }

  std::size_t hash(std::size_t size) const {
    std::uint64_t hash = (first ^ size) * 0x9E3779B97F4A7C15ull;
    hash = (hash ^ (hash >> 29) ^ last) * 0xBF58476D1CE4E5B9ull;
    return static_cast<std::size_t>(hash ^ (hash >> 32));
  }
};

}  // namespace

EntityDescription::EntityDescription(std::string name) : name_(std::move(name)) {
  if (!isValidName(name_) || name_.starts_with("sqlite")) {
    fatal("Entity name \"" + name_ + "\" is not a letter followed by letters, digits or _");
  }
  factory_ = [](const ManagedObject::Init& init) { return std::make_shared<ManagedObject>(init); };
}

void EntityDescription::addAttribute(AttributeDescription attribute) {
  if (!isValidName(attribute.name) || propertyIndex(attribute.name)) {
    fatal(name_ + " cannot take an attribute named \"" + attribute.name + "\"");
  }
  const PropertyIndex index{false, static_cast<std::uint32_t>(attributes_.size())};
  attributes_.push_back(std::move(attribute));
  addName(index);
}

void EntityDescription::addRelationship(RelationshipDescription relationship) {
  if (!isValidName(relationship.name) || propertyIndex(relationship.name)) {
    fatal(name_ + " cannot take a relationship named \"" + relationship.name + "\"");
  }
  const PropertyIndex index{true, static_cast<std::uint32_t>(relationships_.size())};
  relationships_.push_back(std::move(relationship));
  addName(index);
}

std::vector<std::string> EntityDescription::propertyNames() const {
  std::vector<std::string> names;
  names.reserve(order_.size());
  for (const auto& index : order_) {
    names.push_back(index.isRelationship ? relationships_[index.index].name
                                         : attributes_[index.index].name);
  }
  return names;
}

const AttributeDescription* EntityDescription::attribute(std::string_view name) const {
  const auto index = propertyIndex(name);
  return index && !index->isRelationship ? &attributes_[index->index] : nullptr;
}

const RelationshipDescription* EntityDescription::relationship(std::string_view name) const {
  const auto index = propertyIndex(name);
  return index && index->isRelationship ? &relationships_[index->index] : nullptr;
}

const std::string& EntityDescription::propertyName(PropertyIndex index) const {
  return index.isRelationship ? relationships_[index.index].name : attributes_[index.index].name;
}

void EntityDescription::addName(PropertyIndex index) {
  order_.push_back(index);
  names_ += propertyName(index);
  if (slots_.size() < 2 * order_.size()) {
    std::size_t count = 16;
    while (count < 4 * order_.size()) count *= 2;
    slots_.assign(count, Slot());
    std::size_t offset = 0;
    for (const PropertyIndex& each : order_) {
      place(each, offset);
      offset += propertyName(each).size();
    }
    return;
  }
  place(index, names_.size() - propertyName(index).size());
}

void EntityDescription::place(PropertyIndex index, std::size_t offset) {
  const std::string& name = propertyName(index);
  const NameWords words(name);
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = words.hash(name.size()) & mask;
  while (slots_[slot].used) slot = (slot + 1) & mask;
  slots_[slot] = Slot{words.first,
                      words.last,
                      static_cast<std::uint32_t>(offset),
                      static_cast<std::uint32_t>(name.size()),
                      index,
                      true};
}

std::optional<EntityDescription::PropertyIndex> EntityDescription::propertyIndex(
    std::string_view name) const {
  if (const PropertyIndex* index = find(name)) return *index;
  return std::nullopt;
}

const EntityDescription::PropertyIndex* EntityDescription::find(std::string_view name) const {
  if (slots_.empty()) return nullptr;
  const NameWords words(name);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t slot = words.hash(name.size()) & mask;; slot = (slot + 1) & mask) {
    const Slot& entry = slots_[slot];
    if (!entry.used) return nullptr;
    if (entry.size == name.size() && entry.first == words.first && entry.last == words.last &&
        (name.size() <= 16 ||
         std::memcmp(names_.data() + entry.offset, name.data(), name.size()) == 0)) {
      return &entry.index;
    }
  }
}

std::shared_ptr<ManagedObject> EntityDescription::instantiate() const {
  if (links_.size() != relationships_.size()) {
    fatal("Entity " + name_ + " is used before a model was built with it");
  }
  return factory_(ManagedObject::Init(*this));
}

}  // namespace kelvo::data
