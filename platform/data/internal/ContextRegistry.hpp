// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/data/Context.hpp"

namespace kelvo::data {

// A context's stored objects of one entity, by row key. Rows are numbered from 1 up, so nearly
// every key indexes a vector: no node, hash or bucket per object, and a walk over all of them
// reads one array. Keys far past the objects held (a store written by something else) go to a
// hash table instead, so that no key makes the vector huge; such a key stays there when the
// vector later grows past it.
class Context::Registry {
 public:
  using Object = std::shared_ptr<ManagedObject>;

  ManagedObject* find(std::int64_t key) const;
  bool contains(std::int64_t key) const { return find(key) != nullptr; }
  // Adds `object` under `key`. A key already held keeps being counted once; its object goes, so
  // callers make sure no live object is held there.
  void insert(std::int64_t key, Object object);
  void erase(std::int64_t key);
  // Room for objects under keys up to `largestKey`, `count` of them, so that inserting them
  // allocates no vector.
  void reserve(std::int64_t largestKey, std::size_t count);
  std::size_t size() const { return size_; }
  // The largest key ever held, also after its object went: 0 when none was.
  std::int64_t largestKey() const { return largestKey_; }
  // Gives back the vector's spare room, as after a fetch that grew it.
  void trim() { dense_.shrink_to_fit(); }

  template <class Visit>
  void forEach(Visit visit) const {
    for (const Object& object : dense_) {
      if (object != nullptr) visit(*object);
    }
    for (const auto& entry : sparse_) visit(*entry.second);
  }

 private:
  bool isDense(std::int64_t key, std::size_t count) const;
  void growTo(std::size_t room);

  std::vector<Object> dense_;  // by key; null where none is held
  std::unordered_map<std::int64_t, Object> sparse_;
  std::size_t size_ = 0;
  std::int64_t largestKey_ = 0;
};

}  // namespace kelvo::data
