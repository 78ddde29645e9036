#pragma once

#include <concepts>
#include <optional>
#include <string>
#include <vector>

#include "core/organisation/LibrarySectionID.hpp"
#include "platform/foundation/Date.hpp"
#include "platform/foundation/UUID.hpp"

namespace kelvo {

/// What the library's sections need of an item: the host makes its card records conform.
template <class T>
concept LibraryItem = requires(const T& item) {
  { item.id() } -> std::convertible_to<UUID>;
  /// The project whose section the item belongs in; none for no project.
  { item.projectID() } -> std::convertible_to<std::optional<UUID>>;
  { item.isPinned() } -> std::convertible_to<bool>;
  /// None when never used.
  { item.lastUsedAt() } -> std::convertible_to<std::optional<Date>>;
  { item.createdAt() } -> std::convertible_to<Date>;
};

/// One section of the library screen: a project's cards, or the unsorted pile.
template <LibraryItem Item>
struct LibrarySection {
  LibrarySectionID id;
  /// The project's name, or the caller's title for the unsorted pile.
  std::string title;
  /// In display order.
  std::vector<Item> items;
  /// Whether the caller shows the section folded; the items are there either way.
  bool isCollapsed = false;

  friend bool operator==(const LibrarySection&, const LibrarySection&) = default;
};

}  // namespace kelvo
