#include "platform/data/internal/ContextRegistry.hpp"

#include <algorithm>

namespace kelvo::data {

// A key indexes the vector when it is within reach of the objects held: the vector's room
// already, or no more than twice the objects (and a start) once they are in.
bool Context::Registry::isDense(std::int64_t key, std::size_t count) const {
  if (key <= 0) return false;
  const auto index = static_cast<std::uint64_t>(key);
  return index < dense_.capacity() || index <= 2 * (size_ + count) + 1024;
}

// A key the table took may since have come within the vector's reach: where the vector holds
// nothing, the table is asked too.
ManagedObject* Context::Registry::find(std::int64_t key) const {
  if (key > 0 && static_cast<std::uint64_t>(key) < dense_.size() && dense_[key] != nullptr) {
    return dense_[key].get();
  }
  if (sparse_.empty()) return nullptr;
  const auto found = sparse_.find(key);
  return found != sparse_.end() ? found->second.get() : nullptr;
}

// Grown by the vector's factor, so that adding keys one by one, or a few at each save, stays
// linear.
void Context::Registry::growTo(std::size_t room) {
  if (room > dense_.capacity()) dense_.reserve(std::max(room, 2 * dense_.capacity()));
}

void Context::Registry::insert(std::int64_t key, Object object) {
  largestKey_ = std::max(largestKey_, key);
  // A key the table took stays there, also once the vector has grown past it.
  if (!sparse_.empty()) {
    const auto found = sparse_.find(key);
    if (found != sparse_.end()) {
      found->second = std::move(object);
      return;
    }
  }
  if (isDense(key, 1)) {
    const auto index = static_cast<std::size_t>(key);
    if (index >= dense_.size()) {
      growTo(index + 1);
      dense_.resize(index + 1);
    }
    if (dense_[index] == nullptr) ++size_;
    dense_[index] = std::move(object);
  } else {
    sparse_.emplace(key, std::move(object));
    ++size_;
  }
}

void Context::Registry::erase(std::int64_t key) {
  if (key > 0 && static_cast<std::uint64_t>(key) < dense_.size() && dense_[key] != nullptr) {
    dense_[key] = nullptr;
    --size_;
    return;
  }
  size_ -= sparse_.erase(key);
}

void Context::Registry::reserve(std::int64_t largestKey, std::size_t count) {
  if (isDense(largestKey, count)) {
    growTo(static_cast<std::size_t>(largestKey) + 1);
  } else {
    sparse_.reserve(sparse_.size() + count);
  }
}

}  // namespace kelvo::data
