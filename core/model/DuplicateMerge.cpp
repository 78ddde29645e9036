#include "core/model/DuplicateMerge.hpp"

#include <algorithm>
#include <numeric>
#include <string>

#include "core/model/Card.hpp"
#include "core/model/Shelf.hpp"
#include "core/model/SmartShelf.hpp"
#include "platform/data/Context.hpp"
#include "platform/data/StoreError.hpp"

namespace kelvo::DuplicateMerge {
namespace {

void add(DuplicateMergeReport::Counts& counts, std::string_view name, std::int64_t count) {
  auto [found, isNew] = counts.try_emplace(std::string(name), 0);
  found->second += count;
}

void add(DuplicateMergeReport& report, const DuplicateMergeReport& other) {
  for (const auto& [name, count] : other.removed) add(report.removed, name, count);
  for (const auto& [name, count] : other.indistinguishable) {
    add(report.indistinguishable, name, count);
  }
  report.saveFailed = report.saveFailed || other.saveFailed;
}

// Thrown out of a pass when reading the store failed after the pass began to change things.
struct Interrupted {};

// One pass over every record of T: each group that shares an identifier is sorted by the
// merge order; its first record absorbs the others, which are then deleted.
template <MergeableByID T>
DuplicateMergeReport mergePass(data::Context& context) {
  DuplicateMergeReport report;
  std::vector<std::shared_ptr<T>> records;
  try {
    records = context.fetch(data::FetchRequest<T>(std::string(T::mergeEntityName)));
  } catch (const data::StoreError&) {
    return report;
  }

  // Groups keep the fetch order; the map only finds a record's group.
  std::unordered_map<UUID, std::size_t> groupOf;
  std::vector<std::vector<T*>> groups;
  groupOf.reserve(records.size());
  for (const auto& record : records) {
    auto [found, isNew] = groupOf.try_emplace(record->id(), groups.size());
    if (isNew) groups.emplace_back();
    groups[found->second].push_back(record.get());
  }

  try {
    for (auto& group : groups) {
      if (group.size() < 2) continue;
      std::vector<MergeKey> keys;
      keys.reserve(group.size());
      for (T* record : group) keys.push_back(MergeKey::of(*record));
      std::vector<std::size_t> order(group.size());
      std::iota(order.begin(), order.end(), std::size_t{0});
      std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return mergePrecedes(keys[a], keys[b]);
      });
      const auto duplicates = static_cast<std::int64_t>(group.size() - 1);
      // Only the survivor and the runner-up are compared.
      if (mergeTies(keys[order[0]], keys[order[1]])) {
        add(report.indistinguishable, T::mergeEntityName, duplicates);
        continue;
      }
      T& survivor = *group[order[0]];
      for (std::size_t i = 1; i < order.size(); ++i) {
        T& duplicate = *group[order[i]];
        survivor.absorb(duplicate);
        context.deleteObject(duplicate);
      }
      add(report.removed, T::mergeEntityName, duplicates);
    }
  } catch (const data::StoreError&) {
    throw Interrupted{};
  }
  return report;
}

DuplicateMergeReport rolledBack(data::Context& context) {
  context.rollback();
  DuplicateMergeReport report;
  report.saveFailed = true;
  return report;
}

}  // namespace

DuplicateMergeReport run(data::Context& context) {
  DuplicateMergeReport report;
  try {
    // Shelves first, so that the cards of a deleted shelf already sit on its survivor.
    add(report, mergePass<Shelf>(context));
    add(report, mergePass<Card>(context));
    add(report, mergePass<SmartShelf>(context));
  } catch (const Interrupted&) {
    // A half-made merge must not be saved: it ends as a failed save does.
    return rolledBack(context);
  }
  if (report.isEmpty()) return report;
  try {
    context.save();
  } catch (const data::StoreError&) {
    return rolledBack(context);
  }
  return report;
}

}  // namespace kelvo::DuplicateMerge
