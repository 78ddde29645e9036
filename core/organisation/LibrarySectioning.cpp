#include "core/organisation/LibrarySectioning.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "platform/foundation/Text.hpp"

namespace kelvo::organisation_internal {
namespace {

// A damaged stored date (not a number) would make the comparison inconsistent.
double secondsOrDistantPast(Date date) {
  const double seconds = date.timeIntervalSinceReferenceDate();
  return std::isnan(seconds) ? Date::distantPast().timeIntervalSinceReferenceDate() : seconds;
}

bool comesBefore(const SortKey& a, const SortKey& b) {
  if (a.id == b.id) return false;
  if (a.isPinned != b.isPinned) return a.isPinned;
  if (a.rank != b.rank) return a.rank < b.rank;
  if (a.lastUsedAt != b.lastUsedAt) return a.lastUsedAt > b.lastUsedAt;
  if (a.createdAt != b.createdAt) return a.createdAt > b.createdAt;
  return a.id < b.id;
}

}  // namespace

SortKey sortKey(const UUID& id, bool isPinned, const std::optional<Date>& lastUsedAt,
                Date createdAt, const CardOrder::Ranks& ranks) {
  const auto rank = ranks.find(id);
  return {
      .isPinned = isPinned,
      .rank = rank == ranks.end() ? std::numeric_limits<std::int64_t>::max() : rank->second,
      .lastUsedAt = secondsOrDistantPast(lastUsedAt.value_or(Date::distantPast())),
      .createdAt = secondsOrDistantPast(createdAt),
      .id = id,
  };
}

std::vector<std::size_t> displayOrder(const std::vector<SortKey>& keys) {
  std::vector<std::size_t> positions(keys.size());
  std::iota(positions.begin(), positions.end(), std::size_t{0});
  std::stable_sort(positions.begin(), positions.end(),
                   [&](std::size_t a, std::size_t b) { return comesBefore(keys[a], keys[b]); });
  return positions;
}

std::vector<LibraryProject> standingOrder(const std::vector<LibraryProject>& projects) {
  // Names compare by the bytes of their composed forms, which order as their code points.
  std::vector<std::string> names;
  names.reserve(projects.size());
  for (const LibraryProject& project : projects) names.push_back(text::nfc(project.name));
  std::vector<std::size_t> positions(projects.size());
  std::iota(positions.begin(), positions.end(), std::size_t{0});
  std::stable_sort(positions.begin(), positions.end(), [&](std::size_t a, std::size_t b) {
    const LibraryProject& x = projects[a];
    const LibraryProject& y = projects[b];
    if (x.sortIndex != y.sortIndex) return x.sortIndex < y.sortIndex;
    if (const int order = names[a].compare(names[b]); order != 0) return order < 0;
    return x.id < y.id;
  });
  std::vector<LibraryProject> standing;
  standing.reserve(projects.size());
  for (const std::size_t position : positions) standing.push_back(projects[position]);
  return standing;
}

}  // namespace kelvo::organisation_internal

namespace kelvo::LibrarySectioning {

UUID rootProjectID(const UUID& id, const std::unordered_map<UUID, UUID>& parents) {
  UUID current = id;
  std::unordered_set<UUID> visited{id};
  for (auto parent = parents.find(current); parent != parents.end();
       parent = parents.find(current)) {
    if (!visited.insert(parent->second).second) return current;
    current = parent->second;
  }
  return current;
}

}  // namespace kelvo::LibrarySectioning
