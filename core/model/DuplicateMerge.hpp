#pragma once

#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/model/DuplicateMergeReport.hpp"
#include "core/model/MergeableByID.hpp"

namespace kelvo::data {
class Context;
}

/// Folds records of one entity that share an identifier (the default shelf's fixed one, or
/// copies that arrived through sync) into one survivor: the oldest, or at equal moments the one
/// with the smaller signature.
namespace kelvo::DuplicateMerge {

/// Merges shelves, then cards, then smart shelves, and saves the context when it deleted or
/// counted anything. That save commits every pending change of the context, the caller's
/// included; when it fails the whole context is rolled back, the caller's unsaved changes with
/// it, and the report says `saveFailed` with empty counts. With nothing counted the context is
/// not saved and its pending changes stay pending. Never throws. The records it deleted leave
/// the context at that save, and linking anything to one stops the process: fetch again after it
/// rather than keep objects fetched before.
DuplicateMergeReport run(data::Context& context);

/// The records that would survive a merge, one per identifier, in the order of `records`;
/// changes nothing. Of records that cannot be told apart the earlier one is chosen. A record
/// whose identifier does not read the same twice (none is stored) is left out.
template <MergeableByID T>
std::vector<std::shared_ptr<T>> preferred(const std::vector<std::shared_ptr<T>>& records) {
  struct Choice {
    const T* record;
    std::optional<MergeKey> key;  // read only when another record claims the identifier
  };
  std::unordered_map<UUID, Choice> chosen;
  for (const auto& record : records) {
    if (record == nullptr) continue;
    auto [found, isNew] = chosen.try_emplace(record->id(), Choice{record.get(), std::nullopt});
    if (isNew || found->second.record == record.get()) continue;
    Choice& choice = found->second;
    if (!choice.key) choice.key = MergeKey::of(*choice.record);
    MergeKey key = MergeKey::of(*record);
    if (mergePrecedes(key, *choice.key)) choice = Choice{record.get(), std::move(key)};
  }
  std::vector<std::shared_ptr<T>> survivors;
  std::unordered_set<const T*> listed;
  for (const auto& record : records) {
    if (record == nullptr) continue;
    const auto found = chosen.find(record->id());
    if (found == chosen.end() || found->second.record != record.get()) continue;
    if (listed.insert(record.get()).second) survivors.push_back(record);
  }
  return survivors;
}

}  // namespace kelvo::DuplicateMerge
