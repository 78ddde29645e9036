// Internal to platform/data: include "platform/data/Container.hpp" instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/data/Context.hpp"

namespace kelvo::data_internal {
class Statement;
}

namespace kelvo::data {

// Turns rows into objects, one per row. A row's to-one targets are loaded too (they may have
// targets of their own) and linked only once every row has been read, so that a failed read
// leaves the context as it was: a loader that is not finished takes its objects back out.
class Context::Loader {
 public:
  Loader(Context& context, Store& store) : context_(context), store_(store) {}
  ~Loader();
  Loader(const Loader&) = delete;
  Loader& operator=(const Loader&) = delete;

  // The objects of the rows `statement` gives, registered ones as they are.
  std::vector<ManagedObject*> read(const EntityDescription& entity,
                                   data_internal::Statement& statement);
  // Loads the rows the to-one ends read so far point at, then links every end.
  void finish();

 private:
  // A to-one end read from a row, linked once every row it needs is loaded.
  struct PendingLink {
    ManagedObject* object;
    std::uint32_t relationship;
    std::int64_t primaryKey;
  };

  ManagedObject& materialize(const EntityDescription& entity, const data_internal::Statement& row);

  Context& context_;
  Store& store_;
  std::vector<PendingLink> pending_;
  std::vector<std::pair<std::size_t, std::int64_t>> fresh_;  // entity index, row
  std::vector<std::int64_t> keys_;
  // The file's version the first statement read at; a later one that finds another tells the
  // context that it read across versions.
  std::uint64_t firstVersion_ = 0;
  bool readOne_ = false;
  bool finished_ = false;
};

}  // namespace kelvo::data
