#pragma once

// The library screen's sections, from the host's card records (any type that is a LibraryItem):
// one per project in the projects' order, then the unsorted pile; within each, pinned items
// first, then the manual order, then the most recently used and the newest.
//
//   const auto screen = [](const auto& cards, const CardOrder& order) {
//     const std::vector<LibraryProject> projects{{UUID::random(), "Taxes", 0}};
//     return LibrarySectioning::sections(cards, projects, "Unsorted", order, /*collapsed=*/{},
//                                        /*alwaysShowUnsorted=*/true,
//                                        /*hideEmptyProjects=*/false);  // Taxes, Unsorted
//   };

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "core/organisation/CardOrder.hpp"
#include "core/organisation/LibraryProject.hpp"
#include "core/organisation/LibrarySection.hpp"
#include "core/organisation/LibrarySectionID.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo::organisation_internal {

/// What the display order compares, taken from an item once.
struct SortKey {
  bool isPinned;
  std::int64_t rank;
  // Seconds since 2001; a missing or damaged date is the distant past.
  double lastUsedAt;
  double createdAt;
  UUID id;
};

SortKey sortKey(const UUID& id, bool isPinned, const std::optional<Date>& lastUsedAt,
                Date createdAt, const CardOrder::Ranks& ranks);
/// The positions of `keys` in display order (a stable sort).
std::vector<std::size_t> displayOrder(const std::vector<SortKey>& keys);
/// The projects in their standing order: sort index, name by code points of its composed
/// form, then identifier.
std::vector<LibraryProject> standingOrder(const std::vector<LibraryProject>& projects);

}  // namespace kelvo::organisation_internal

/// Builds the library screen's sections from a flat list of items: one section per project in
/// the projects' order, then the unsorted pile; within a section pinned items first, then the
/// user's manual order, then the most recently used, the newest and the identifier.
namespace kelvo::LibrarySectioning {

/// The items of one section in display order. Items with the same identifier keep their order.
template <LibraryItem Item>
std::vector<Item> ordered(std::vector<Item> items, const LibrarySectionID& section,
                          const CardOrder& order) {
  const CardOrder::Ranks ranks = order.ranks(section);
  std::vector<organisation_internal::SortKey> keys;
  keys.reserve(items.size());
  for (const Item& item : items) {
    keys.push_back(organisation_internal::sortKey(item.id(), item.isPinned(), item.lastUsedAt(),
                                                  item.createdAt(), ranks));
  }
  std::vector<Item> result;
  result.reserve(items.size());
  for (const std::size_t index : organisation_internal::displayOrder(keys)) {
    result.push_back(std::move(items[index]));
  }
  return result;
}

/// The sections of the library. Every project gets a section, also without items; items of no
/// listed project go to the unsorted pile, which comes last and shows when it has items or
/// `alwaysShowUnsorted`. `hideEmptyProjects` then drops every empty section, the pile included.
template <LibraryItem Item>
std::vector<LibrarySection<Item>> sections(const std::vector<Item>& items,
                                           const std::vector<LibraryProject>& projects,
                                           std::string_view unsortedTitle, const CardOrder& order,
                                           const std::unordered_set<LibrarySectionID>& collapsed,
                                           bool alwaysShowUnsorted, bool hideEmptyProjects) {
  const std::vector<LibraryProject> standing = organisation_internal::standingOrder(projects);
  // A project listed twice gets the group of its first listing in each of its sections.
  std::unordered_map<UUID, std::size_t> slots;
  slots.reserve(standing.size());
  std::vector<std::size_t> listings(standing.size(), 0);
  for (std::size_t index = 0; index < standing.size(); ++index) {
    ++listings[slots.try_emplace(standing[index].id, index).first->second];
  }

  std::vector<std::vector<Item>> groups(standing.size() + 1);
  for (const Item& item : items) {
    const std::optional<UUID> projectID = item.projectID();
    const auto slot = projectID ? slots.find(*projectID) : slots.end();
    groups[slot == slots.end() ? standing.size() : slot->second].push_back(item);
  }

  std::vector<LibrarySection<Item>> result;
  result.reserve(standing.size() + 1);
  auto add = [&](LibrarySectionID id, std::string title, std::vector<Item> members) {
    const bool isCollapsed = collapsed.contains(id);
    if (hideEmptyProjects && members.empty()) return;
    auto display = ordered(std::move(members), id, order);
    result.push_back({std::move(id), std::move(title), std::move(display), isCollapsed});
  };
  for (std::size_t index = 0; index < standing.size(); ++index) {
    const LibraryProject& project = standing[index];
    const std::size_t slot = slots.at(project.id);
    std::vector<Item> members;
    if (--listings[slot] == 0) {
      members = std::move(groups[slot]);
    } else {
      members = groups[slot];
    }
    add(LibrarySectionID::project(project.id), project.name, std::move(members));
  }
  std::vector<Item>& unsorted = groups.back();
  if (!unsorted.empty() || alwaysShowUnsorted) {
    add(LibrarySectionID::unsorted(), std::string(unsortedTitle), std::move(unsorted));
  }
  return result;
}

/// The project at the top of `id`'s chain of parents (shelf to parent); a cycle stops at the
/// last shelf before it comes round.
UUID rootProjectID(const UUID& id, const std::unordered_map<UUID, UUID>& parents);

}  // namespace kelvo::LibrarySectioning
